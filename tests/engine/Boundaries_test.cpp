// Nothing from outside can crash the host: sizes the controller reports are bounded before
// anything is copied, and an exception (here an allocation failure forced on purpose) inside a
// dialog timer or a controller callback stops at that boundary with a trace line. Also the
// module's resource handle once the last instance has freed its library.
#include "ChatMember.h"

#include "TestControl.h"
#include "TraceCapture.h"
#include "module/ModuleState.h"
#include "qxmem.h"
#include "qxmem_test.h"
#include "qxskin7.h"
#include "resources/resource.h"
#include "window/GdiObject.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace {

// Armed, the next allocation of this process's C++ code fails (the trace capture's excepted).
std::atomic<bool> g_bFailNextAllocation{false};

} // namespace

void* operator new(std::size_t n) {
    if (g_bFailNextAllocation.load() && !TraceCapture::Storing()) {
        g_bFailNextAllocation = false;
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}

using namespace msgtest;

namespace {

constexpr DWORD k100MB = 100u * 1024u * 1024u;

class BoundariesTest : public testing::Test {
protected:
    BoundariesTest() : control(enginetest::FreshControl()) {
        a.reset(new ChatMember(MemberConfig(L"Alice")));
        a->Start();
        EXPECT_TRUE(PumpUntilReady({a.get()}));
        a->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    }
    ~BoundariesTest() override {
        g_bFailNextAllocation = false;
        a.reset();
        control->Reset();
    }

    // The instance still sends and shows.
    void ExpectStillWorking(const std::wstring& strLine) {
        std::vector<std::wstring> expected = a->Texts();
        expected.push_back(strLine);
        a->Say(strLine);
        EXPECT_TRUE(PumpUntilTexts(*a, expected));
    }

    IQxNodeControlTest* control;
    TraceCapture capture;
    std::unique_ptr<ChatMember> a;
};

TEST_F(BoundariesTest, A100MegabyteCacheItemIsNotReadAndEndsItsAnswerAllTheSame) {
    QXMEMHANDLE hMem = nullptr;
    ASSERT_EQ(QxMemoryAlloc(k100MB, &hMem), QXMEM_OK);
    CMainChatDlg* pDlg = a->Dlg();
    const DWORD dwHandle = pDlg->GetGroupCacheHandle(CHAT_ALL_USERS_ROLE_GROUP);
    EXPECT_EQ(pDlg->Sinks().SharedData()->SharedDataReceivedEx(pDlg->Status().m_apeHandle, 9, dwHandle, hMem,
                                                               0, QXNC_CACHE_APPEND, 0, k100MB, 0),
              0);
    QxMemoryRelease(hMem);
    EXPECT_TRUE(capture.Contains(L"Fail: CMainChatDlg::SharedDataReceivedEx: item 9 of 104857600 bytes "
                                 L"exceeds 1048576, not read"));
    EXPECT_TRUE(a->Texts().empty());
    ExpectStillWorking(L"after the flood");
}

TEST_F(BoundariesTest, A100MegabyteDirectDataIsDroppedBeforeAnythingIsCopied) {
    // Reserved and committed, never touched: a copy would be the first to touch it.
    void* pData = VirtualAlloc(nullptr, k100MB, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    ASSERT_NE(pData, nullptr);
    CMainChatDlg* pDlg = a->Dlg();
    EXPECT_EQ(pDlg->Sinks().Ape()->ApeDataIndication(pDlg->Status().m_apeHandle, 1, 1, 1,
                                                     static_cast<const BYTE*>(pData), k100MB),
              -1);
    VirtualFree(pData, 0, MEM_RELEASE);
    EXPECT_TRUE(capture.Contains(
        L"Fail: CMainChatDlg::ApeDataIndication: data_length 104857600 exceeds 1048576, dropped"));
    ExpectStillWorking(L"after the data");
}

TEST_F(BoundariesTest, AnAllocationFailureInsideATimerStopsAtTheDialog) {
    capture.Clear();
    g_bFailNextAllocation = true;
    EXPECT_EQ(SendMessageW(a->Dialog(), WM_TIMER, CHAT_STATUS_TIMER, 0), FALSE);
    EXPECT_FALSE(g_bFailNextAllocation) << "no allocation was made, nothing was forced";
    EXPECT_TRUE(capture.Contains(L"Fail: CMainChatDlg::DialogProc, out of memory")) << capture.Dump();
    ExpectStillWorking(L"after the timer");
}

TEST_F(BoundariesTest, AnAllocationFailureInsideAControllerCallbackStopsThere) {
    CMainChatDlg* pDlg = a->Dlg();
    QxCacheName entry = {};
    strcpy(entry.name, "0_Chat_User_Info_of_nobody");
    entry.handle = 4242;
    capture.Clear();
    g_bFailNextAllocation = true;
    EXPECT_EQ(pDlg->Sinks().Name()->AllocNameHandleConfirm(pDlg->Status().m_apeHandle, 1, &entry, 0, 0), 0);
    EXPECT_FALSE(g_bFailNextAllocation) << "no allocation was made, nothing was forced";
    EXPECT_TRUE(capture.Contains(L"Fail: CMainChatDlg::AllocNameHandleConfirm, out of memory"))
        << capture.Dump();
    ExpectStillWorking(L"after the callback");
}

TEST_F(BoundariesTest, SetAllCachesStopsAndSaysWhichStepFailedWhenTheEmptyItemCannotBeMade) {
    CMainChatDlg* pDlg = a->Dlg();
    const size_t nWrites = enginetest::CallsOf(QXNC_OP_CACHE_SET).size();
    const DWORD dwBlocks = QxMemoryLiveBlocks();
    // No memory for the empty item itself.
    capture.Clear();
    g_bFailNextAllocation = true;
    pDlg->SetAllCaches();
    EXPECT_FALSE(g_bFailNextAllocation) << "no allocation was made, nothing was forced";
    EXPECT_TRUE(capture.Contains(L"/==== CMainChatDlg::SetAllCaches: !lpszEmptyString ====/"))
        << capture.Dump();
    EXPECT_FALSE(capture.ContainsSubstring(L"MemHandle_Set"));
    // No memory block to carry it.
    capture.Clear();
    QxMemoryScriptFailures(1);
    pDlg->SetAllCaches();
    EXPECT_EQ(QxMemoryScriptFailures(0), 0u) << "the block was never asked for";
    EXPECT_TRUE(capture.Contains(L"/==== CMainChatDlg::SetAllCaches: 0 == MemHandle_Set ====/"))
        << capture.Dump();
    EXPECT_FALSE(capture.ContainsSubstring(L"!lpszEmptyString"));
    // Either way nothing was written, no block is left behind, and the chat goes on.
    EXPECT_EQ(enginetest::CallsOf(QXNC_OP_CACHE_SET).size(), nWrites);
    EXPECT_FALSE(capture.ContainsSubstring(L"SetAllCaches: Exit"));
    EXPECT_EQ(QxMemoryLiveBlocks(), dwBlocks);
    ExpectStillWorking(L"after the failed reset");
}

TEST(DialogBoundary, ARefusedEnrollmentLeavesTheWindowsControlsTheirFonts) {
    IQxNodeControlTest* control = enginetest::FreshControl();
    TraceCapture capture;
    control->ScriptConfirm(QXNC_CONFIRM_ENROLL, ARM_ERROR_INVALID_STATE, 1);
    {
        ChatMember m(MemberConfig(L"Alice"));
        m.Start();
        ASSERT_TRUE(PumpUntil([&] { return capture.ContainsSubstring(L"CMainChatDlg::Cleanup() : end"); }));
        ASSERT_NE(m.Dialog(), nullptr) << "the window stays";
        for (HWND hCtl : {m.Input(), GetDlgItem(m.Dialog(), IDC_SEND_TO_LABEL)}) {
            const HFONT hFont = reinterpret_cast<HFONT>(SendMessageW(hCtl, WM_GETFONT, 0, 0));
            ASSERT_NE(hFont, nullptr);
            LOGFONTW lf = {};
            EXPECT_NE(GetObjectW(hFont, sizeof(lf), &lf), 0) << "the control's font was deleted under it";
        }
        RedrawWindow(m.Dialog(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }
    control->Reset();
}

TEST(ModuleBoundary, DeletedInstancesLeaveNoWindowDrawingObjectOrMemoryBlock) {
    IQxNodeControlTest* control = enginetest::FreshControl();
    PumpUntilQuiet();
    const long nDrawing = QxGdiObjectsLive();
    const int nWindows = ThreadWindowCount();
    const DWORD dwBlocks = QxMemoryLiveBlocks();
    int nWindowsLeft = -1;
    for (int nRound = 0; nRound < 2; ++nRound) {
        ChatMember a(MemberConfig(L"Alice", QXCHAT_FEATURE_TYPING | QXCHAT_FEATURE_QUICK_PHRASE).Typing(5));
        ChatMember b(MemberConfig(L"Bob"));
        a.Start();
        b.Start();
        ASSERT_TRUE(PumpUntilReady({&a, &b}));
        a.ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
        a.Say(L"see www.example.com");
        ASSERT_TRUE(PumpUntilTexts(b, {L"see www.example.com"}));
        for (HWND hWnd : {a.Dialog(), b.Dialog()})
            RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        EXPECT_GT(QxGdiObjectsLive(), nDrawing) << "the instances hold fonts and brushes";
        a.Delete();
        b.Delete();
        PumpUntilQuiet();
        EXPECT_EQ(QxGdiObjectsLive(), nDrawing) << "round " << nRound;
        EXPECT_EQ(QxMemoryLiveBlocks(), dwBlocks) << "round " << nRound;
        // The members' own host windows are all that is left of them until they go.
        const int nLeft = ThreadWindowCount();
        if (nRound == 0) nWindowsLeft = nLeft;
        EXPECT_LE(nLeft, nWindows + 2) << "round " << nRound << ": " << JoinClasses(ThreadWindowClasses());
        EXPECT_EQ(nLeft, nWindowsLeft) << "round " << nRound;
    }
    EXPECT_EQ(ThreadWindowCount(), nWindows);
    control->Reset();
}

TEST(ModuleBoundary, TheLastInstanceGoneTheResourceLibraryIsForgotten) {
    enginetest::FreshControl();
    TestHostWindow host;
    const QXHCOMPONENT h1 = QxNewInstance(host.Get());
    const QXHCOMPONENT h2 = QxNewInstance(host.Get());
    ASSERT_TRUE(QxHasResourceLibrary());
    const HMODULE hLibrary = QxResourceModule();
    QXSKIN_DIAGNOSTICS skin = {};
    skin.cbSize = sizeof(skin);
    QxDeleteInstance(h1);
    EXPECT_EQ(QxResourceModule(), hLibrary) << "still loaded for the other instance";
    ASSERT_TRUE(SkinGetDiagnostics(&skin));
    EXPECT_EQ(skin.hResourceModule, hLibrary);
    QxDeleteInstance(h2);
    EXPECT_FALSE(QxHasResourceLibrary());
    EXPECT_EQ(QxResourceModule(), QxThisModule());
    ASSERT_TRUE(SkinGetDiagnostics(&skin));
    EXPECT_EQ(skin.hResourceModule, nullptr);
    // A new instance loads and names it again.
    const QXHCOMPONENT h3 = QxNewInstance(host.Get());
    EXPECT_TRUE(QxHasResourceLibrary());
    EXPECT_FALSE(QxLoadString(IDS_SEND).empty());
    QxDeleteInstance(h3);
}

} // namespace
