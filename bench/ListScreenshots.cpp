// Screenshots of the message list as a person sees it: a conversation scrolled to its middle
// with the scroll bar, a long line wrapped, links, and a partial selection. Writes PNG files
// into the folder given as the first argument. (The typing strip with its tooltip is shot by
// its window test, into screenshots\indication-strip.png.)
#include "MessagePump.h"
#include "PngWriter.h"
#include "Screenshot.h"
#include "module/ModuleState.h"
#include "window/MessageContainer.h"
#include "window/MessageWindow.h"

#include <windows.h>
#include <cstdio>
#include <string>

namespace {

LRESULT CALLBACK HostProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return DefWindowProcW(h, m, w, l);
}

// Whether the screen shows what the window paints: the display takes a painted frame over
// while the message loop runs, not at once.
bool Shown(HWND hWnd) {
    const ScreenImage painted = PrintClientArea(hWnd);
    return !painted.rgb.empty() && CaptureClientArea(hWnd).rgb == painted.rgb;
}

// Waits until the list shows on the screen, then captures hWnd's area.
bool Shot(HWND hWnd, HWND hList, const std::wstring& path) {
    RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    if (!PumpUntil([&] { return Shown(hList); }, 3000))
        std::printf("%ls: the screen did not show the list\n", path.c_str());
    const ScreenImage image = CaptureWindowArea(hWnd);
    const bool bDone = !image.rgb.empty() && WritePngFile(path, image.width, image.height, image.rgb);
    std::printf("%ls: %s\n", path.c_str(), bDone ? "written" : "FAILED");
    return bDone;
}

struct Window {
    HWND hHost, hContainer;
    CMessageWindow* list;
    explicit Window(int cx, int cy) {
        hHost = CreateWindowW(L"QxListShotHost", L"Chat", WS_POPUP | WS_VISIBLE, 20, 20, cx, cy, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
        hContainer = QxCreateMessageContainer(hHost);
        SetWindowPos(hContainer, nullptr, 0, 0, cx, cy, SWP_NOZORDER);
        QxLayoutMessageContainer(hContainer, FALSE);
        list = QxMessageList(hContainer);
    }
    ~Window() { DestroyWindow(hHost); }
    void Say(const std::wstring& who, const std::wstring& text) {
        list->ShowMessage(who, text, L" says to Everyone:", L"December 8, 2026", L"14:40");
    }
};

} // namespace

int main(int argc, char** argv) {
    std::wstring folder = L".";
    if (argc > 1) {
        const std::string arg = argv[1];
        folder.assign(arg.begin(), arg.end());
    }
    if (HMODULE hRes = LoadLibraryW(L"qxres.dll")) QxSetResourceModule(hRes);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = L"QxListShotHost";
    RegisterClassW(&wc);
    bool bAll = true;
    {
        Window w(360, 260);
        const wchar_t* names[] = {L"Alice", L"Bob", L"Carol", L"Dave"};
        for (int i = 0; i < 40; ++i)
            w.Say(names[i % 4], L"Point " + std::to_wstring(i + 1) + L" of the agenda, as discussed.");
        w.list->ShowNotice(3, L"Erin joined the chat", L"December 8, 2026", L"14:41");
        w.list->Refresh();
        w.list->Scroll(ScrollAction::Track, w.list->ScrollState().BottomPos() / 2);
        bAll &= Shot(w.hContainer, w.list->GetHwnd(), folder + L"\\list-scrolled.png");
    }
    {
        Window w(360, 260);
        w.Say(L"Alice", L"Good morning, everyone.");
        w.Say(L"Bob", L"The slides are at www.example.com/slides. and the recording will be at "
                      L"https://media.example.org/meeting/2026-12-08 once it is processed; the notes "
                      L"for each section follow in this long line, which wraps at the window's width.");
        w.list->ShowNotice(6, L"Recording started", L"December 8, 2026", L"14:42");
        w.Say(L"Carol", L"Thanks, I will read them tonight.");
        w.list->Refresh();
        w.list->SelectText(TextPoint{3, 4}, TextPoint{3, 52});
        bAll &= Shot(w.hContainer, w.list->GetHwnd(), folder + L"\\list-wrap-link-selection.png");
    }
    return bAll ? 0 : 1;
}
