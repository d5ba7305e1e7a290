#include "window/MessageContainer.h"

#include "interface/ModuleState.h"

const wchar_t kMessageContainerName[] = L"MessageContainerWnd";

namespace {

const wchar_t kClassName[] = L"QxChatMessageContainer";

LRESULT CALLBACK ContainerProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

bool EnsureClass(HINSTANCE hInstance) {
    WNDCLASSEXW wc = {};
    if (GetClassInfoExW(hInstance, kClassName, &wc)) return true;
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ContainerProc;
    wc.hInstance = hInstance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
}

} // namespace

HWND QxCreateMessageContainer(HWND hParent) {
    HINSTANCE hInstance = QxThisModule();
    if (!EnsureClass(hInstance)) return nullptr;
    return CreateWindowExW(0, kClassName, kMessageContainerName,
                           WS_CHILD | WS_VISIBLE | WS_BORDER | WS_CLIPSIBLINGS, 10, 10, 90, 90, hParent,
                           nullptr, hInstance, nullptr);
}

void QxUnregisterMessageContainerClass() {
    UnregisterClassW(kClassName, QxThisModule());
}
