// The transcript of one instance on a real message list: saving, auto-saving, the read-only
// question, failed saves, loading, the file dialogs and printing. Every box and dialog is found
// and answered by the test, as a person would.
#include "transcript/Transcript.h"

#include "DialogAnswerer.h"
#include "TranscriptTestSupport.h"
#include "WindowTestUtil.h"
#include "module/ModuleState.h"
#include "qxchat.h"
#include "resources/resource.h"
#include "transcript/TranscriptRules.h"
#include "window/MessageContainer.h"
#include "window/MessageWindow.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using dialogtest::DialogAnswerer;
using transcripttest::Bytes;
using transcripttest::FileBytes;
using transcripttest::Message;
using transcripttest::Notice;
using transcripttest::TempFolder;
using transcripttest::WriteBytes;

const wchar_t kOneRecord[] = L"d\t    t\t    Ann\v to all:\thello\r\n\n";

class TranscriptTest : public testing::Test {
protected:
    void SetUp() override {
        m_hResources = LoadLibraryW((QxModuleFolder() + L"qxres.dll").c_str());
        ASSERT_NE(m_hResources, nullptr);
        QxSetResourceModule(m_hResources);
        hContainer = QxCreateMessageContainer(host.Get());
        ASSERT_NE(hContainer, nullptr);
        list = QxMessageList(hContainer);
        ASSERT_NE(list, nullptr);
        transcript = std::make_unique<CTranscript>(
            QxTranscriptSite{[this] { return bWindow ? list : nullptr; }, [this] { return dwFeatures; },
                             [this] { return lMeetingType; }, [this] { return host.Get(); }});
    }
    void TearDown() override {
        transcript.reset();
        if (hContainer) DestroyWindow(hContainer);
        QxSetResourceModule(QxThisModule());
        if (m_hResources) FreeLibrary(m_hResources);
    }

    void AddMessage(const std::wstring& sender, const std::wstring& text) {
        auto header = std::make_unique<MessageItem>();
        header->kind = ITEM_HEADER;
        header->text = sender + L" to all:";
        list->Append(std::move(header), false);
        list->Append(std::make_unique<MessageItem>(Message(sender, L" to all:", text, L"d", L"t")), false);
    }
    void AddNotice(const std::wstring& text) {
        list->Append(std::make_unique<MessageItem>(Notice(text, L"d", L"t")), false);
    }
    static std::wstring Str(UINT id) { return QxLoadString(id); }

    TestHostWindow host{400, 300};
    HWND hContainer = nullptr;
    CMessageWindow* list = nullptr;
    std::unique_ptr<CTranscript> transcript;
    DWORD dwFeatures = 0;
    LONG lMeetingType = 0;
    bool bWindow = true;
    TempFolder folder;

private:
    HMODULE m_hResources = nullptr;
};

TEST_F(TranscriptTest, OneMessageAndANoticeAreWrittenByteForByte) {
    AddMessage(L"Ann", L"hello");
    AddNotice(L"Bob joined");
    const std::wstring path = folder / L"chat.txt";
    EXPECT_EQ(transcript->SaveTo(path.c_str()), 0);
    EXPECT_EQ(FileBytes(path),
              Bytes(L"d\t    t\t    Ann\v to all:\thello\r\n\nd\t    t\t    \tBob joined\r\n\n", true));
    EXPECT_EQ(transcript->FileName(), path);
    EXPECT_FALSE(list->IsUnsaved());
    EXPECT_TRUE(list->IsUnsavedSinceAutoSave()) << "a user save leaves the auto-save flag";
}

// Thousands of records across many writes of the buffer, one far longer than the buffer, texts
// beyond the basic plane and the layout's separators: the file is what the first writer wrote.
TEST_F(TranscriptTest, ALongListIsWrittenAsTheFirstWriterWroteIt) {
    for (int i = 0; i < 3000; ++i) {
        AddMessage(L"P\xD83D\xDE00" + std::to_wstring(i),
                   std::wstring(i % 97, static_cast<wchar_t>(L'a' + i % 26)) + L"\x4E2D\t\v\r\n");
        if (i % 7 == 0) AddNotice(i % 14 ? L"" : L"Bob joined");
        if (i == 1500) AddMessage(L"Long", std::wstring(300000, L'\xE9'));
    }
    std::wstring expected(1, L'\xFEFF');
    for (int i = 0; i < list->GetItemCount(); ++i)
        transcripttest::ReferenceRecord(list->GetItem(i), expected);
    const std::wstring path = folder / L"long.txt";
    EXPECT_EQ(transcript->SaveTo(path.c_str()), 0);
    const std::vector<unsigned char> bytes = FileBytes(path);
    ASSERT_EQ(bytes.size(), expected.size() * 2);
    EXPECT_TRUE(bytes == Bytes(expected.substr(1), true));
}

TEST_F(TranscriptTest, AnEmptyListGivesAnEmptyFileThatLoadsSilently) {
    DialogAnswerer answerer;
    const std::wstring path = folder / L"empty.txt";
    EXPECT_EQ(transcript->SaveTo(path.c_str()), 0);
    EXPECT_TRUE(FileBytes(path).empty());
    ASSERT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(transcript->LoadTranscript(path));
    EXPECT_EQ(list->GetItemCount(), 0);
    EXPECT_TRUE(answerer.Unexpected().empty());
}

TEST_F(TranscriptTest, WithoutTheWindowNothingIsSavedOrLoaded) {
    bWindow = false;
    const std::wstring path = folder / L"none.txt";
    EXPECT_EQ(transcript->SaveTo(path.c_str()), 1);
    EXPECT_EQ(transcript->AutoSave(), 1);
    EXPECT_EQ(transcript->Save(), 1);
    EXPECT_EQ(transcript->SaveState(), 0);
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(TranscriptTest, AutoSaveWritesOnlyWhatIsNewAndLeavesAPlainFile) {
    transcript->SetAutoSavePath((folder.Path() + L"auto").c_str());
    EXPECT_EQ(transcript->AutoSaveFile(), folder.Path() + L"auto" + Str(IDS_AUTOSAVE_FILE));
    EXPECT_EQ(transcript->LastFolder(), folder.Path() + L"auto");
    AddMessage(L"Ann", L"hello");
    EXPECT_EQ(transcript->AutoSave(), 0) << "the folder is created";
    EXPECT_EQ(FileBytes(transcript->AutoSaveFile()), Bytes(kOneRecord, true));
    EXPECT_FALSE(list->IsUnsavedSinceAutoSave());
    EXPECT_TRUE(list->IsUnsaved());
    DeleteFileW(transcript->AutoSaveFile().c_str());
    EXPECT_EQ(transcript->AutoSave(), 0);
    EXPECT_EQ(GetFileAttributesW(transcript->AutoSaveFile().c_str()), INVALID_FILE_ATTRIBUTES)
        << "nothing new: nothing written";
    AddNotice(L"later");
    ASSERT_TRUE(WriteBytes(transcript->AutoSaveFile(), {1}));
    SetFileAttributesW(transcript->AutoSaveFile().c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(transcript->AutoSave(), 0);
    EXPECT_EQ(GetFileAttributesW(transcript->AutoSaveFile().c_str()) &
                  (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY),
              0u);
}

TEST_F(TranscriptTest, AutoSaveFolderWithoutRoomForTheNameIsRefused) {
    AddMessage(L"Ann", L"hello");
    // 250 characters in the test's own folder: the refused auto-save still creates the folder.
    const std::wstring crowded = folder.Path() + std::wstring(250 - folder.Path().size(), L'f');
    transcript->SetAutoSavePath(crowded.c_str());
    EXPECT_EQ(transcript->AutoSaveFile(), L"");
    EXPECT_EQ(transcript->AutoSave(), 3);
    transcript->SetAutoSavePath(nullptr);
    EXPECT_EQ(transcript->AutoSave(), 3);
}

TEST_F(TranscriptTest, ReadOnlyFileAsksFirstAndStaysReadOnly) {
    AddMessage(L"Ann", L"hello");
    const std::wstring path = folder / L"ro.txt";
    const std::vector<unsigned char> previous = Bytes(L"old", true);
    ASSERT_TRUE(WriteBytes(path, previous));
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    std::vector<wchar_t> question(1024);
    _snwprintf(question.data(), question.size(), Str(IDS_ASK_OVERWRITE_READONLY).c_str(), path.c_str());
    {
        DialogAnswerer answerer({{Str(IDS_TITLE), DialogAnswerer::Press(IDNO)}});
        EXPECT_EQ(transcript->SaveTo(path.c_str()), 1);
        ASSERT_TRUE(answerer.AllAnswered());
        EXPECT_EQ(answerer.Answered()[0].text, question.data());
        EXPECT_EQ(FileBytes(path), previous);
        EXPECT_TRUE(list->IsUnsaved());
    }
    {
        DialogAnswerer answerer({{Str(IDS_TITLE), DialogAnswerer::Press(IDYES)}});
        EXPECT_EQ(transcript->SaveTo(path.c_str()), 0);
        EXPECT_TRUE(answerer.AllAnswered());
        EXPECT_TRUE(answerer.Unexpected().empty());
    }
    EXPECT_EQ(FileBytes(path), Bytes(kOneRecord, true));
    EXPECT_TRUE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(list->IsUnsaved());
}

// Failure injection of the file calls.
int g_nShortAfter = -1;
BOOL WINAPI ShortWrite(HANDLE h, LPCVOID p, DWORD n, LPDWORD pWritten, LPOVERLAPPED o) {
    if (g_nShortAfter-- == 0) return WriteFile(h, p, n / 2, pWritten, o);
    return WriteFile(h, p, n, pWritten, o);
}
BOOL WINAPI FailingClose(HANDLE h) {
    CloseHandle(h);
    return FALSE;
}

struct FailureCase {
    const char* name;
    QxSaveMode mode;
    bool shortWrite;
    bool readOnly;
    UINT boxText; // 0: no box
};

TEST_F(TranscriptTest, FailedSavesKeepThePreviousFileItsAttributesAndTheFlag) {
    for (int i = 0; i < 3000; ++i)
        AddMessage(L"Ann", L"a message long enough to need more than one write of the buffer");
    const FailureCase cases[] = {
        {"user save, short write", SAVE_USER, true, false, IDS_ERR_WRITE_SHORT},
        {"user save over a read-only file, short write", SAVE_USER, true, true, IDS_ERR_WRITE_SHORT},
        {"user save, close fails", SAVE_USER, false, false, IDS_ERR_CLOSE},
        {"auto-save, short write", SAVE_AUTO, true, false, IDS_ERR_WRITE_SHORT},
        {"auto-save, close fails", SAVE_AUTO, false, false, 0},
    };
    const std::wstring path = folder / L"kept.txt";
    const std::vector<unsigned char> previous = Bytes(L"yesterday", true);
    for (const FailureCase& c : cases) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        ASSERT_TRUE(WriteBytes(path, previous));
        SetFileAttributesW(path.c_str(), c.readOnly ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_ARCHIVE);
        const DWORD attributes = GetFileAttributesW(path.c_str());
        std::vector<DialogAnswerer::Step> steps;
        if (c.readOnly) steps.push_back({Str(IDS_TITLE), DialogAnswerer::Press(IDYES)});
        if (c.boxText) steps.push_back({Str(IDS_TITLE), DialogAnswerer::Press(IDOK)});
        QxTranscriptFileCalls calls;
        g_nShortAfter = 1;
        if (c.shortWrite)
            calls.pfnWrite = ShortWrite;
        else
            calls.pfnClose = FailingClose;
        const QxTranscriptFileCalls previousCalls = QxSetTranscriptFileCalls(calls);
        DialogAnswerer answerer(steps);
        const LONG lResult = transcript->SaveTranscript(path, c.mode);
        QxSetTranscriptFileCalls(previousCalls);
        EXPECT_EQ(lResult, 1) << c.name;
        EXPECT_EQ(FileBytes(path), previous) << c.name;
        EXPECT_EQ(GetFileAttributesW(path.c_str()), attributes) << c.name;
        EXPECT_TRUE(c.mode == SAVE_USER ? list->IsUnsaved() : list->IsUnsavedSinceAutoSave()) << c.name;
        ASSERT_TRUE(answerer.AllAnswered()) << c.name;
        if (c.boxText) {
            EXPECT_EQ(answerer.Answered().back().text, Str(c.boxText)) << c.name;
        }
        EXPECT_TRUE(answerer.Unexpected().empty()) << c.name;
        EXPECT_EQ(folder.Files(), std::vector<std::wstring>{L"kept.txt"}) << c.name;
    }
}

TEST_F(TranscriptTest, AFolderThatCannotBeWrittenShowsErrorTwentySix) {
    AddMessage(L"Ann", L"hello");
    DialogAnswerer answerer({{Str(IDS_TITLE), DialogAnswerer::Press(IDOK)}});
    EXPECT_EQ(transcript->SaveTo((folder.Path() + L"missing\\chat.txt").c_str()), 1);
    ASSERT_TRUE(answerer.AllAnswered());
    EXPECT_EQ(answerer.Answered()[0].text, Str(IDS_ERR_WRITE_OPEN));
    EXPECT_EQ(transcript->SaveTo(L""), 3);
}

TEST_F(TranscriptTest, SaveStateFollowsTheFileAndTheFlag) {
    for (bool bits : {false, true}) {
        dwFeatures = bits ? QXCHAT_FEATURE_SAVE_STATE_FLAGS : 0;
        SCOPED_TRACE(bits ? "with bit 0x2" : "without bit 0x2");
        CTranscript fresh({[this] { return list; }, [this] { return dwFeatures; }, [] { return 0L; },
                           [this] { return host.Get(); }});
        const std::wstring path = folder / (bits ? L"s1.txt" : L"s0.txt");
        if (list->GetItemCount() == 0) {
            EXPECT_EQ(fresh.SaveState(), bits ? 1 : 0) << "no messages";
        }
        AddMessage(L"Ann", L"hello");
        EXPECT_EQ(fresh.SaveState(), bits ? 0x10001 : 2) << "unsaved";
        ASSERT_EQ(fresh.SaveTo(path.c_str()), 0);
        EXPECT_EQ(fresh.SaveState(), bits ? 0x10000 : 1) << "saved";
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
        EXPECT_EQ(fresh.SaveState(), bits ? 0x10001 : 2) << "made read-only";
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
        EXPECT_EQ(fresh.SaveState(), bits ? 0x10001 : 2) << "deleted";
    }
}

TEST_F(TranscriptTest, LoadRestoresMessagesWithDateAndTimeButNoNotices) {
    const std::wstring path = folder / L"load.txt";
    ASSERT_TRUE(WriteBytes(path, Bytes(L"Dec 6\t    9:05\t    Ann\v to all:\thello\r\n\n"
                                       L"Dec 6\t    9:06\t    \tBob joined\r\n\n"
                                       L"Dec 6\t    9:07\t    Bob\v to all:\thi\r\nthere\r\n\n",
                                       true)));
    const int nRefreshes = list->RefreshCount();
    EXPECT_TRUE(transcript->LoadTranscript(path));
    ASSERT_EQ(list->GetItemCount(), 4);
    EXPECT_EQ(list->GetItem(0).kind, ITEM_HEADER);
    EXPECT_EQ(list->GetItem(0).text, L"Ann to all:");
    const MessageItem& first = list->GetItem(1);
    EXPECT_EQ(first.kind, ITEM_TEXT);
    EXPECT_EQ(first.text, L"hello");
    EXPECT_EQ(first.date, L"Dec 6");
    EXPECT_EQ(first.time, L"9:05");
    EXPECT_EQ(first.senderPart, L"Ann");
    EXPECT_EQ(first.restPart, L" to all:");
    EXPECT_EQ(list->GetItem(3).text, L"hi\r\nthere");
    EXPECT_EQ(list->RefreshCount(), nRefreshes + 1) << "one refresh at the end";
    EXPECT_FALSE(list->IsRefreshPending());
    EXPECT_TRUE(list->IsUnsaved());
    EXPECT_TRUE(list->IsUnsavedSinceAutoSave());
    EXPECT_EQ(transcript->FileName(), L"") << "loading does not name the transcript";
}

TEST_F(TranscriptTest, OlderLayoutLoadsWithoutDateAndSavesBackWithEmptyFields) {
    const std::wstring older = folder / L"older.txt";
    ASSERT_TRUE(WriteBytes(older, Bytes(L"12/06/2026    09:05:07 AM    Ann\v to all:\thello\r\n\n", true)));
    EXPECT_TRUE(transcript->LoadTranscript(older));
    ASSERT_EQ(list->GetItemCount(), 2);
    EXPECT_EQ(list->GetItem(1).date, L"");
    const std::wstring saved = folder / L"saved.txt";
    EXPECT_EQ(transcript->SaveTo(saved.c_str()), 0);
    EXPECT_EQ(FileBytes(saved), Bytes(L"\t    \t    Ann\v to all:\thello\r\n\n", true));
}

TEST_F(TranscriptTest, LoadErrorsShowTheirBoxes) {
    const std::wstring noMark = folder / L"nomark.txt";
    ASSERT_TRUE(WriteBytes(noMark, Bytes(kOneRecord, false)));
    DialogAnswerer answerer({{Str(IDS_TITLE), DialogAnswerer::Press(IDOK)},
                             {Str(IDS_TITLE), DialogAnswerer::Press(IDOK)},
                             {Str(IDS_TITLE), DialogAnswerer::Press(IDOK)}});
    EXPECT_FALSE(transcript->LoadTranscript(noMark));
    EXPECT_FALSE(transcript->LoadTranscript(folder / L"absent.txt"));
    EXPECT_FALSE(transcript->LoadTranscript(L"")) << "no path and no transcript name";
    ASSERT_TRUE(answerer.AllAnswered());
    const auto seen = answerer.Answered();
    EXPECT_EQ(seen[0].text, Str(IDS_ERR_NOT_TRANSCRIPT));
    EXPECT_EQ(seen[1].text, Str(IDS_ERR_LOAD));
    EXPECT_EQ(seen[2].text, Str(IDS_ERR_LOAD));
    EXPECT_EQ(list->GetItemCount(), 0);
}

TEST_F(TranscriptTest, TenThousandMessagesRoundTrip) {
    std::vector<MessageItem> sent;
    for (int i = 0; i < 10000; ++i) {
        const std::wstring text = L"m" + std::to_wstring(i) + L"\t\xD83D\xDE00 tab\r\nline \xD801\xDC37";
        AddMessage(L"S" + std::to_wstring(i % 7), text);
        sent.push_back(list->GetItem(list->GetItemCount() - 1));
    }
    const std::wstring path = folder / L"big.txt";
    ASSERT_EQ(transcript->SaveTo(path.c_str()), 0);
    const HWND hOther = QxCreateMessageContainer(host.Get());
    CMessageWindow* other = QxMessageList(hOther);
    CTranscript loader(
        {[other] { return other; }, [] { return 0UL; }, [] { return 0L; }, [this] { return host.Get(); }});
    EXPECT_TRUE(loader.LoadTranscript(path));
    ASSERT_EQ(other->GetItemCount(), 20000);
    for (int i = 0; i < 10000; ++i) {
        const MessageItem& item = other->GetItem(2 * i + 1);
        ASSERT_EQ(item.text, sent[i].text) << i;
        ASSERT_EQ(item.senderPart, sent[i].senderPart) << i;
        ASSERT_EQ(item.restPart, sent[i].restPart) << i;
        ASSERT_EQ(item.date, sent[i].date) << i;
    }
    DestroyWindow(hOther);
}

// The save dialog, as a person fills it in.
TEST_F(TranscriptTest, SaveAsThroughTheDialog) {
    AddMessage(L"Ann", L"hello");
    transcript->SetAutoSavePath(folder.Path().c_str()); // the dialogs start in the last folder
    const std::wstring chosen = folder / L"picked.txt";
    DialogAnswerer answerer({{Str(IDS_SAVE_TITLE), DialogAnswerer::ChooseFile(chosen)}});
    EXPECT_EQ(transcript->SaveAs(), 0);
    ASSERT_TRUE(answerer.AllAnswered()) << "unexpected: " << answerer.Unexpected().size();
    EXPECT_EQ(answerer.Answered()[0].text, Str(IDS_DEFAULT_FILE));
    EXPECT_EQ(transcript->FileName(), chosen);
    EXPECT_EQ(transcript->LastFolder(), folder.Path());
    EXPECT_EQ(FileBytes(chosen), Bytes(kOneRecord, true));
    // Saving again goes to the same file without a dialog.
    AddNotice(L"more");
    DialogAnswerer none;
    EXPECT_EQ(transcript->Save(), 0);
    EXPECT_TRUE(none.Unexpected().empty());
    EXPECT_GT(FileBytes(chosen).size(), Bytes(kOneRecord, true).size());
}

TEST_F(TranscriptTest, SaveAsInMeetingTypeThreeForcesTheExtension) {
    AddMessage(L"Ann", L"hello");
    lMeetingType = 3;
    transcript->SetAutoSavePath(folder.Path().c_str());
    DialogAnswerer answerer({{Str(IDS_SAVE_TITLE), DialogAnswerer::ChooseFile(folder / L"notes.log")}});
    EXPECT_EQ(transcript->SaveAs(), 0);
    EXPECT_EQ(transcript->FileName(), folder / L"notes.log.txt");
    EXPECT_FALSE(FileBytes(folder / L"notes.log.txt").empty());
}

TEST_F(TranscriptTest, CancelledSaveAsSavesNothing) {
    AddMessage(L"Ann", L"hello");
    DialogAnswerer answerer({{Str(IDS_SAVE_TITLE), DialogAnswerer::Press(IDCANCEL)}});
    EXPECT_EQ(transcript->SaveAs(), 1);
    EXPECT_TRUE(answerer.AllAnswered());
    EXPECT_TRUE(list->IsUnsaved());
}

TEST_F(TranscriptTest, OpenDialogWithTheAlternativeFormatAcceptsOnlyWcf) {
    dwFeatures = QXCHAT_FEATURE_ALT_TRANSCRIPT;
    transcript->SetAutoSavePath(folder.Path().c_str());
    const std::wstring upper = folder / L"CHAT.WCF", other = folder / L"chat.txt";
    ASSERT_TRUE(WriteBytes(upper, Bytes(kOneRecord, true)));
    ASSERT_TRUE(WriteBytes(other, Bytes(kOneRecord, true)));
    {
        DialogAnswerer answerer({{Str(IDS_OPEN_TITLE), DialogAnswerer::ChooseFile(upper)}});
        transcript->Load();
        EXPECT_TRUE(answerer.AllAnswered());
        EXPECT_TRUE(answerer.Unexpected().empty());
        EXPECT_EQ(list->GetItemCount(), 2);
    }
    {
        DialogAnswerer answerer({{Str(IDS_OPEN_TITLE), DialogAnswerer::ChooseFile(other)},
                                 {Str(IDS_TITLE), DialogAnswerer::Press(IDOK)}});
        transcript->Load();
        ASSERT_TRUE(answerer.AllAnswered());
        EXPECT_EQ(answerer.Answered()[1].text, Str(IDS_ERR_LOAD));
        EXPECT_EQ(list->GetItemCount(), 2);
    }
}

// A window of this process titled as the host's notification window.
class HostNotifyWindow {
public:
    HostNotifyWindow() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QxTestHostNotify";
        RegisterClassW(&wc);
        m_hWnd = CreateWindowW(wc.lpszClassName, L"09334AB1-AE2F-11d5-B672-00500411925B", WS_OVERLAPPED, 0, 0,
                               10, 10, nullptr, nullptr, wc.hInstance, nullptr);
        s_nNotified = 0;
    }
    ~HostNotifyWindow() { DestroyWindow(m_hWnd); }
    static int s_nNotified;

private:
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        if (m == WM_USER + 99 && w == 0 && l == 0) ++s_nNotified;
        return DefWindowProcW(h, m, w, l);
    }
    HWND m_hWnd;
};
int HostNotifyWindow::s_nNotified = 0;

std::wstring g_program, g_commandLine;
bool RecordLaunch(const std::wstring& program, const std::wstring& commandLine) {
    g_program = program;
    g_commandLine = commandLine;
    return true;
}

TEST_F(TranscriptTest, PrintWritesTheCopyNotifiesTheHostAndStartsTheEditor) {
    AddMessage(L"Ann", L"hello");
    ASSERT_EQ(transcript->SaveTo((folder / L"mine.txt").c_str()), 0);
    AddNotice(L"unsaved notice");
    HostNotifyWindow notify;
    const QxPrintLauncher previous = QxSetPrintLauncher(RecordLaunch);
    transcript->Print();
    QxSetPrintLauncher(previous);
    const std::wstring printFile = QxModuleFolder() + Str(IDS_RECORD_NAME) + L"." + Str(IDS_EXTENSION);
    EXPECT_EQ(FileBytes(printFile),
              Bytes(std::wstring(kOneRecord) + L"d\t    t\t    \tunsaved notice\r\n\n", true));
    EXPECT_EQ(HostNotifyWindow::s_nNotified, 1);
    EXPECT_NE(g_program.find(L"NOTEPAD.EXE"), std::wstring::npos);
    EXPECT_EQ(g_commandLine, QxPrintCommandLine(printFile));
    EXPECT_EQ(transcript->FileName(), folder / L"mine.txt") << "the transcript name is put back";
    EXPECT_TRUE(list->IsUnsaved()) << "a print copy is not a save";
    SetFileAttributesW(printFile.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(printFile.c_str());
}

TEST_F(TranscriptTest, TheOpenDialogNotifiesTheHostFirst) {
    HostNotifyWindow notify;
    DialogAnswerer answerer({{Str(IDS_OPEN_TITLE), DialogAnswerer::Press(IDCANCEL)}});
    transcript->Load();
    EXPECT_TRUE(answerer.AllAnswered());
    EXPECT_EQ(HostNotifyWindow::s_nNotified, 1);
}

// A window whose message runs a call on the test thread while a modal loop is open, as the host
// calls ChDestroyModalDialog from its own messages.
class CallWindow {
public:
    explicit CallWindow(std::function<void()> call) : m_call(std::move(call)) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QxTestCallWindow";
        RegisterClassW(&wc);
        m_hWnd =
            CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~CallWindow() { DestroyWindow(m_hWnd); }
    HWND Get() const { return m_hWnd; }

private:
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        if (m == WM_APP) reinterpret_cast<CallWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA))->m_call();
        return DefWindowProcW(h, m, w, l);
    }
    std::function<void()> m_call;
    HWND m_hWnd;
};

TEST_F(TranscriptTest, TheReadOnlyQuestionCanBeEndedFromOutside) {
    AddMessage(L"Ann", L"hello");
    const std::wstring path = folder / L"ro.txt";
    ASSERT_TRUE(WriteBytes(path, Bytes(L"old", true)));
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    LONG lEnded = -1;
    CallWindow call([&] { lEnded = QxDestroyModalDialog(*transcript); });
    const HWND hCall = call.Get();
    DialogAnswerer answerer({{Str(IDS_TITLE), [hCall](HWND) { PostMessageW(hCall, WM_APP, 0, 0); }}});
    EXPECT_EQ(transcript->SaveTo(path.c_str()), 1) << "ended means no";
    EXPECT_EQ(lEnded, 1);
    EXPECT_FALSE(transcript->EndReadOnlyQuestion()) << "nothing open any more";
    EXPECT_EQ(QxDestroyModalDialog(*transcript), 0);
    EXPECT_EQ(FileBytes(path), Bytes(L"old", true));
}

TEST_F(TranscriptTest, DestroyModalDialogEndsTheSaveAndOpenDialogs) {
    AddMessage(L"Ann", L"hello");
    LONG lEnded = -1;
    CallWindow call([&] { lEnded = QxDestroyModalDialog(*transcript); });
    const HWND hCall = call.Get();
    const auto endFromTheHost = [hCall](HWND) { PostMessageW(hCall, WM_APP, 0, 0); };
    {
        DialogAnswerer answerer({{Str(IDS_SAVE_TITLE), endFromTheHost}});
        EXPECT_EQ(transcript->SaveAs(), 1);
        EXPECT_EQ(lEnded, 1);
        EXPECT_TRUE(answerer.Unexpected().empty());
    }
    lEnded = -1;
    {
        DialogAnswerer answerer({{Str(IDS_OPEN_TITLE), endFromTheHost}});
        transcript->Load();
        EXPECT_EQ(lEnded, 1);
        EXPECT_TRUE(answerer.Unexpected().empty());
    }
    EXPECT_EQ(list->GetItemCount(), 2) << "nothing was loaded";
    EXPECT_TRUE(list->IsUnsaved()) << "nothing was saved";
}

TEST(TranscriptErrors, CodesChooseTheirTexts) {
    EXPECT_EQ(QxFileErrorTextId(0), UINT(IDS_ERR_LOAD));
    EXPECT_EQ(QxFileErrorTextId(4), UINT(IDS_ERR_NOT_TRANSCRIPT));
    EXPECT_EQ(QxFileErrorTextId(26), UINT(IDS_ERR_WRITE_OPEN));
    EXPECT_EQ(QxFileErrorTextId(112), UINT(IDS_ERR_WRITE_SHORT));
    EXPECT_EQ(QxFileErrorTextId(5), 0u);
}

} // namespace
