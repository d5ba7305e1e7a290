// Decisions of the transcript without files or windows: the save state, the names the exports
// build, and the dialogs' filter and extension rules.
#include "transcript/TranscriptRules.h"

#include <gtest/gtest.h>

namespace {

TEST(SaveState, SixAnswersWithAndWithoutTheFlagBit) {
    struct Case {
        const char* name;
        bool hasMessages, unsaved;
        const wchar_t* file;
        DWORD attributes;
        LONG plain, flags;
    };
    const DWORD kNormal = FILE_ATTRIBUTE_ARCHIVE, kGone = INVALID_FILE_ATTRIBUTES;
    const DWORD kReadOnly = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE;
    const Case cases[] = {
        {"no messages", false, false, L"", kGone, 0, 1},
        {"no messages, saved file", false, false, L"c:\\a.txt", kNormal, 0, 0},
        {"unsaved", true, true, L"c:\\a.txt", kNormal, 2, 0x10001},
        {"saved", true, false, L"c:\\a.txt", kNormal, 1, 0x10000},
        {"saved file deleted", true, false, L"c:\\a.txt", kGone, 2, 0x10001},
        {"saved file made read-only", true, false, L"c:\\a.txt", kReadOnly, 2, 0x10001},
        {"never saved", true, false, L"", kGone, 2, 0x10001},
    };
    for (const Case& c : cases) {
        const bool needs = QxNeedsSaving(c.unsaved, c.file, c.attributes);
        EXPECT_EQ(QxSaveState(c.hasMessages, needs, false), c.plain) << c.name;
        EXPECT_EQ(QxSaveState(c.hasMessages, needs, true), c.flags) << c.name;
    }
}

TEST(TranscriptNames, AutoSaveFileFitsOrIsRefused) {
    const std::wstring name = L"\\AutoSavedChat.txt"; // 18 characters
    EXPECT_EQ(QxAutoSaveFile(L"C:\\chats", name), L"C:\\chats\\AutoSavedChat.txt");
    EXPECT_EQ(QxAutoSaveFile(L"C:\\chats\\", name), L"C:\\chats\\\\AutoSavedChat.txt")
        << "no separator logic";
    const std::wstring fits(kAutoSaveFileMax - name.size(), L'f');
    EXPECT_EQ(QxAutoSaveFile(fits, name), fits + name);
    EXPECT_EQ(QxAutoSaveFile(fits + L"g", name), L"") << "one character too many";
    EXPECT_EQ(QxAutoSaveFile(L"", name), L"");
}

TEST(TranscriptNames, HostNameIsTheDocumentsFolderAndTheNameCut) {
    EXPECT_EQ(QxHostTranscriptName(L"C:\\Docs", L"C:\\Fallback", L"\\chat.txt"), L"C:\\Docs\\chat.txt");
    EXPECT_EQ(QxHostTranscriptName(L"", L"C:\\Fallback", L"chat.txt"), L"C:\\Fallbackchat.txt");
    const std::wstring longName = std::wstring(1020, L'n') + L"\xD83D\xDE00" + L"x";
    EXPECT_EQ(QxHostTranscriptName(L"C:", L"", longName).size(), 1022u) << "the pair is not split";
    EXPECT_EQ(QxHostTranscriptName(L"", L"", std::wstring(2000, L'n')).size(), kTranscriptNameMax);
    EXPECT_EQ(QxCutPath(std::wstring(300, L'p'), kAutoSaveFolderMax).size(), 259u);
}

TEST(TranscriptNames, InitialFolderFallsBackInOrder) {
    EXPECT_EQ(QxInitialFolder(L"C:\\last\\", L"C:\\Docs", L"C:\\Fb"), L"C:\\last\\");
    EXPECT_EQ(QxInitialFolder(L"", L"C:\\Docs", L"C:\\Fb"), L"C:\\Docs");
    EXPECT_EQ(QxInitialFolder(L"", L"", L"C:\\Fb"), L"C:\\Fb");
}

TEST(FileDialogRules, FilterBarsBecomeSeparators) {
    const std::wstring filter = QxDialogFilter(L"Text (*.txt)|*.txt|All (*.*)|*.*||");
    EXPECT_EQ(filter, std::wstring(L"Text (*.txt)\0*.txt\0All (*.*)\0*.*\0\0\0\0", 36));
}

TEST(FileDialogRules, MeetingTypeThreeExtension) {
    const struct {
        const wchar_t *path, *expected;
    } cases[] = {
        {L"C:\\a\\chat.txt", L"C:\\a\\chat.txt"},
        {L"C:\\a\\chat.TXT", L"C:\\a\\chat.TXT"},
        {L"C:\\a\\chat.doc", L"C:\\a\\chat.doc.txt"},
        {L"C:\\a.b\\chat", L"C:\\a.b\\chat"},
        {L"chat.log", L"chat.log.txt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(QxApplyDefaultExtension(c.path, L"txt"), c.expected) << c.path;
}

TEST(FileDialogRules, AlternativeExtensionInAnyCase) {
    EXPECT_TRUE(QxHasAltTranscriptExtension(L"C:\\a\\Chat.WCF"));
    EXPECT_TRUE(QxHasAltTranscriptExtension(L"C:\\a\\chat.wcf"));
    EXPECT_FALSE(QxHasAltTranscriptExtension(L"C:\\a\\chat.txt"));
    EXPECT_FALSE(QxHasAltTranscriptExtension(L"C:\\a\\chatwcf"));
    EXPECT_FALSE(QxHasAltTranscriptExtension(L"wcf"));
}

bool OnlySystem32(const std::wstring& path) {
    return path.find(L"system32") != std::wstring::npos;
}
bool Everywhere(const std::wstring&) {
    return true;
}

TEST(PrintRules, FileEditorAndCommandLine) {
    EXPECT_EQ(QxPrintFileName(L"C:\\Program\\", L"ChatTranscript", L"txt"),
              L"C:\\Program\\ChatTranscript.txt");
    EXPECT_EQ(QxPrintEditorPath(L"C:\\windows", Everywhere), L"C:\\windows\\NOTEPAD.EXE");
    EXPECT_EQ(QxPrintEditorPath(L"C:\\windows", OnlySystem32), L"C:\\windows\\system32\\NOTEPAD.EXE");
    EXPECT_EQ(QxPrintCommandLine(L"C:\\p\\t.txt"), L"NOTEPAD.EXE /p C:\\p\\t.txt");
    EXPECT_EQ(QxPrintCommandLine(L"C:\\my p\\t.txt"), L"NOTEPAD.EXE /p \"C:\\my p\\t.txt\"");
}

} // namespace
