#include "engine/SoundPolicy.h"

#include "qxchat.h"

#include <mmsystem.h>

namespace {

const DWORD kBeepHz = 4095;
const DWORD kBeepMs = 350;

bool SameName(const std::wstring& a, const std::wstring& b) {
    return lstrcmpiW(a.c_str(), b.c_str()) == 0;
}

class CRealSoundOutput : public IQxSoundOutput {
public:
    void Beep(DWORD dwFreq, DWORD dwMs) override { ::Beep(dwFreq, dwMs); }
    void PlayFile(const std::wstring& strPath) override {
        PlaySoundW(strPath.c_str(), nullptr, SND_FILENAME | SND_ASYNC);
    }
};

CRealSoundOutput g_realOutput;
IQxSoundOutput* g_pOutput = nullptr; // null: the real one

} // namespace

QxSoundAction QxDecideSound(const QxSoundInput& in) {
    if (!in.lNeedPlaySound || in.bOwnSender) return QxSoundAction::None;
    bool bPlay = false;
    switch (in.lOptionValue) {
    case QXCHAT_SOUND_UNLESS_VISIBLE:
        // The user is looking at the chat tab, or the host switched sound off with tab 100.
        bPlay = in.lCurTabIndex != QXCHAT_SOUND_TAB_OFF &&
                !(in.bChatInForeground && in.lCurTabIndex == QXCHAT_SOUND_TAB_CHAT);
        break;
    case QXCHAT_SOUND_FIRST_MESSAGE: bPlay = in.bFirstMessageOfSender; break;
    case QXCHAT_SOUND_ALWAYS: bPlay = true; break;
    default: break;
    }
    if (!bPlay) return QxSoundAction::None;
    return SameName(in.strSoundPath, in.strBeepName) ? QxSoundAction::Beep : QxSoundAction::PlayFile;
}

std::wstring QxResolveSoundPath(const wchar_t* lpszName, const std::wstring& strBeepName,
                                const std::wstring& strWindowsDir) {
    std::wstring name = lpszName ? lpszName : L"";
    std::wstring path = name;
    if (name.find(L'\\') == std::wstring::npos && !SameName(name, strBeepName))
        path = strWindowsDir + L"\\MEDIA\\" + name;
    if (path.size() > QX_SOUND_PATH_ROOM) path.resize(QX_SOUND_PATH_ROOM);
    return path;
}

std::wstring QxWindowsDirectory() {
    wchar_t buffer[MAX_PATH] = L"";
    UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return std::wstring();
    std::wstring dir(buffer, n);
    size_t last = dir.find_last_of(L'\\');
    if (last != std::wstring::npos) dir.resize(last);
    return dir;
}

IQxSoundOutput* QxSetSoundOutput(IQxSoundOutput* pOutput) {
    IQxSoundOutput* pPrevious = g_pOutput;
    g_pOutput = pOutput;
    return pPrevious;
}

void QxPlaySound(QxSoundAction action, const std::wstring& strPath) {
    IQxSoundOutput* pOutput = g_pOutput ? g_pOutput : &g_realOutput;
    switch (action) {
    case QxSoundAction::Beep: pOutput->Beep(kBeepHz, kBeepMs); break;
    case QxSoundAction::PlayFile: pOutput->PlayFile(strPath); break;
    case QxSoundAction::None: break;
    }
}
