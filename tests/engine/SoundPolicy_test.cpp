#include "engine/SoundPolicy.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct DecideCase {
    const char* name;
    LONG lNeed, lOption, lTab;
    bool bOwn, bForeground, bFirst;
    const wchar_t* path;
    QxSoundAction expected;
};

TEST(SoundPolicy, DecidesByOptionTabAndSender) {
    const wchar_t* wav = L"C:\\windows\\MEDIA\\ding.wav";
    const DecideCase cases[] = {
        {"option 0, looking at the chat", 1, 0, 0, false, true, false, wav, QxSoundAction::None},
        {"option 0, other tab", 1, 0, 1, false, true, false, wav, QxSoundAction::PlayFile},
        {"option 0, chat tab, host behind", 1, 0, 0, false, false, false, wav, QxSoundAction::PlayFile},
        {"option 0, tab 100", 1, 0, 100, false, false, false, wav, QxSoundAction::None},
        {"option 1, first message", 1, 1, 0, false, true, true, wav, QxSoundAction::PlayFile},
        {"option 1, later message", 1, 1, 1, false, false, false, wav, QxSoundAction::None},
        {"option 2, always", 1, 2, 100, false, true, false, wav, QxSoundAction::PlayFile},
        {"option 3", 1, 3, 1, false, false, true, wav, QxSoundAction::None},
        {"option -1", 1, -1, 1, false, false, true, wav, QxSoundAction::None},
        {"sound off", 0, 2, 1, false, false, true, wav, QxSoundAction::None},
        {"own message", 1, 2, 1, true, false, true, wav, QxSoundAction::None},
        {"beep name", 1, 2, 1, false, false, false, L"Beep", QxSoundAction::Beep},
        {"beep name, other case", 1, 2, 1, false, false, false, L"bEEP", QxSoundAction::Beep},
        {"beep-like file", 1, 2, 1, false, false, false, L"C:\\Beep", QxSoundAction::PlayFile},
    };
    for (const DecideCase& c : cases) {
        QxSoundInput in;
        in.lNeedPlaySound = c.lNeed;
        in.lOptionValue = c.lOption;
        in.lCurTabIndex = c.lTab;
        in.bOwnSender = c.bOwn;
        in.bChatInForeground = c.bForeground;
        in.bFirstMessageOfSender = c.bFirst;
        in.strSoundPath = c.path;
        in.strBeepName = L"BEEP";
        EXPECT_EQ(c.expected, QxDecideSound(in)) << c.name;
    }
}

TEST(SoundPolicy, BareNamesPlayFromTheMediaFolder) {
    const std::wstring beep = L"Beep";
    const std::wstring dir = L"C:\\windows";
    EXPECT_EQ(L"C:\\windows\\MEDIA\\ding.wav", QxResolveSoundPath(L"ding.wav", beep, dir));
    EXPECT_EQ(L"D:\\sounds\\ding.wav", QxResolveSoundPath(L"D:\\sounds\\ding.wav", beep, dir));
    EXPECT_EQ(L"beep", QxResolveSoundPath(L"beep", beep, dir));
    EXPECT_EQ(L"C:\\windows\\MEDIA\\", QxResolveSoundPath(nullptr, beep, dir));
    EXPECT_EQ(255u, QxResolveSoundPath(std::wstring(400, L'n').c_str(), beep, dir).size());
    EXPECT_EQ(255u, QxResolveSoundPath((L"C:\\" + std::wstring(400, L'n')).c_str(), beep, dir).size());
}

TEST(SoundPolicy, WindowsDirectoryIsTheSystemDirectorysParent) {
    wchar_t system[MAX_PATH];
    ASSERT_NE(0u, GetSystemDirectoryW(system, MAX_PATH));
    std::wstring dir = QxWindowsDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(std::wstring(system), dir + L"\\" + std::wstring(system).substr(dir.size() + 1));
    EXPECT_EQ(std::wstring::npos, std::wstring(system).substr(dir.size() + 1).find(L'\\'));
}

class CRecordingOutput : public IQxSoundOutput {
public:
    void Beep(DWORD dwFreq, DWORD dwMs) override {
        calls.push_back(L"beep " + std::to_wstring(dwFreq) + L" " + std::to_wstring(dwMs));
    }
    void PlayFile(const std::wstring& strPath) override { calls.push_back(L"play " + strPath); }
    std::vector<std::wstring> calls;
};

TEST(SoundPolicy, PlaysThroughTheSeam) {
    CRecordingOutput output;
    IQxSoundOutput* pPrevious = QxSetSoundOutput(&output);
    EXPECT_EQ(nullptr, pPrevious); // the real output was in place
    QxPlaySound(QxSoundAction::Beep, L"ignored");
    QxPlaySound(QxSoundAction::PlayFile, L"C:\\windows\\MEDIA\\ding.wav");
    QxPlaySound(QxSoundAction::None, L"C:\\x.wav");
    EXPECT_EQ(&output, QxSetSoundOutput(pPrevious));
    QxPlaySound(QxSoundAction::None, L""); // the real output, doing nothing
    ASSERT_EQ(2u, output.calls.size());
    EXPECT_EQ(L"beep 4095 350", output.calls[0]);
    EXPECT_EQ(L"play C:\\windows\\MEDIA\\ding.wav", output.calls[1]);
}

} // namespace
