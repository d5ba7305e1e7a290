// The incoming-message sound: whether to play, what, and the output behind a seam.
#pragma once

#include <windows.h>
#include <string>

enum class QxSoundAction { None, Beep, PlayFile };

struct QxSoundInput {
    LONG lNeedPlaySound = 0, lOptionValue = 0, lCurTabIndex = 0;
    bool bOwnSender = false;
    bool bChatInForeground = false; // GetForegroundWindow() == lhWnd
    bool bFirstMessageOfSender =
        false; // option 1: the sender's first-message flag was set (the engine clears it)
    std::wstring strSoundPath, strBeepName;
};
QxSoundAction QxDecideSound(const QxSoundInput&);

// Longest stored sound path and beep name, in characters.
enum { QX_SOUND_PATH_ROOM = 255, QX_BEEP_NAME_ROOM = 64 };
// The stored path: bare names (no backslash, not the beep name) go to <windows dir>\MEDIA\<name>;
// at most 255 characters.
std::wstring QxResolveSoundPath(const wchar_t* lpszName, const std::wstring& strBeepName,
                                const std::wstring& strWindowsDir);
std::wstring QxWindowsDirectory(); // the system directory with its last element removed

// The seam: the real output calls Beep(4095, 350) and PlaySoundW(path, nullptr, SND_FILENAME | SND_ASYNC).
struct IQxSoundOutput {
    virtual void Beep(DWORD dwFreq, DWORD dwMs) = 0;
    virtual void PlayFile(const std::wstring& strPath) = 0;

protected:
    ~IQxSoundOutput() = default;
};
IQxSoundOutput* QxSetSoundOutput(IQxSoundOutput* pOutput); // returns the previous one; nullptr = the real one
void QxPlaySound(QxSoundAction action, const std::wstring& strPath);
