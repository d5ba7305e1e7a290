// Answers the modal windows the test's own thread opens (message boxes, the read-only question,
// the save and open dialogs) from a second thread, the way a person would: it finds each one by
// its title, reads it, and presses a button. A window nobody expected is cancelled and recorded,
// so that no test can hang on a box.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace dialogtest {

// Control ids of the platform's file dialogs: the file name box (combo or plain edit).
constexpr int kFileNameCombo = 0x47c;
constexpr int kFileNameEdit = 0x480;

struct SeenDialog {
    std::wstring title, text; // text: the static texts of a box, the file box of a file dialog
};

class DialogAnswerer {
public:
    // What to do with the next expected window; it runs on the answering thread.
    using Action = std::function<void(HWND)>;
    struct Step {
        std::wstring title;
        Action action;
    };

    explicit DialogAnswerer(std::vector<Step> steps = {})
        : m_steps(std::move(steps)), m_uiThread(GetCurrentThreadId()), m_thread([this] { Run(); }) {}
    ~DialogAnswerer() {
        m_stop = true;
        m_thread.join();
    }
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    std::vector<SeenDialog> Answered() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_answered;
    }
    std::vector<SeenDialog> Unexpected() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_unexpected;
    }
    bool AllAnswered() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_answered.size() == m_steps.size();
    }

    static Action Press(int nId) {
        return [nId](HWND hDlg) {
            PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(hDlg, nId)));
        };
    }
    // Types the path into a file dialog's file box and presses OK.
    static Action ChooseFile(const std::wstring& path) {
        return [path](HWND hDlg) {
            SendMessageW(FileBox(hDlg), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
            PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        };
    }
    static Action Ignore() {
        return [](HWND) {};
    }

    static HWND FileBox(HWND hDlg) {
        HWND h = GetDlgItem(hDlg, kFileNameCombo);
        return h ? h : GetDlgItem(hDlg, kFileNameEdit);
    }
    static std::wstring TextOf(HWND hWnd) {
        wchar_t text[1024] = {};
        SendMessageTimeoutW(hWnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 2000,
                            nullptr);
        return text;
    }

private:
    // What a person reads in the window: a box's static texts, a file dialog's file box.
    static std::wstring ContentOf(HWND hDlg) {
        if (HWND hBox = FileBox(hDlg)) return TextOf(hBox);
        std::wstring text;
        EnumChildWindows(hDlg, AddStaticText, reinterpret_cast<LPARAM>(&text));
        return text;
    }
    static BOOL CALLBACK AddStaticText(HWND hChild, LPARAM lParam) {
        wchar_t cls[32] = {};
        GetClassNameW(hChild, cls, 32);
        if (_wcsicmp(cls, L"Static") == 0) *reinterpret_cast<std::wstring*>(lParam) += TextOf(hChild);
        return TRUE;
    }
    static BOOL CALLBACK FindVisibleDialog(HWND hWnd, LPARAM lParam) {
        wchar_t cls[16] = {};
        GetClassNameW(hWnd, cls, 16);
        if (!IsWindowVisible(hWnd) || wcscmp(cls, L"#32770") != 0) return TRUE;
        *reinterpret_cast<HWND*>(lParam) = hWnd;
        return FALSE;
    }

    // A visible dialog of the test thread, and its title.
    HWND FindDialog(std::wstring& title) const {
        HWND hFound = nullptr;
        EnumThreadWindows(m_uiThread, FindVisibleDialog, reinterpret_cast<LPARAM>(&hFound));
        if (hFound) title = TextOf(hFound);
        return hFound;
    }

    void Run() {
        HWND hLast = nullptr;
        while (!m_stop) {
            if (hLast && !IsWindow(hLast)) hLast = nullptr;
            std::wstring title;
            HWND hDlg = FindDialog(title);
            if (!hDlg || hDlg == hLast) {
                Sleep(5);
                continue;
            }
            // A dialog may show before its children exist: read it once it is ready.
            Sleep(20);
            const SeenDialog seen = {title, ContentOf(hDlg)};
            size_t next;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                next = m_answered.size();
            }
            if (next < m_steps.size() && m_steps[next].title == title) {
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_answered.push_back(seen);
                }
                m_steps[next].action(hDlg);
            } else {
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_unexpected.push_back(seen);
                }
                PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
                PostMessageW(hDlg, WM_CLOSE, 0, 0);
            }
            hLast = hDlg;
        }
    }

    std::vector<Step> m_steps;
    DWORD m_uiThread;
    mutable std::mutex m_mutex;
    std::vector<SeenDialog> m_answered, m_unexpected;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace dialogtest
