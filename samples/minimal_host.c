/* minimal_host.c: a meeting host of qxchat.dll in plain C, built with the kit alone.
 *
 * It opens a meeting window with two chat panels, one per participant (Ann and Ben), creates a
 * chat instance on each, configures it, starts both on the conference that the node controller
 * embeds in the process, and deletes both when the window closes.
 *
 *   minimal_host.exe          stays open: type into either panel and press Send.
 *   minimal_host.exe --auto   Ann greets everyone, Ben answers Ann privately, then the host
 *                             deletes both instances and exits: 0 when every message was shown
 *                             where it belongs, 1 otherwise.
 *
 * Build with MinGW-w64 (i686), from the kit's folder:
 *   i686-w64-mingw32-gcc -Wall -o bin/minimal_host.exe samples/minimal_host.c \
 *       -Iinclude -Llib -lqxchat
 * (a 64-bit kit: x86_64-w64-mingw32-gcc) and run it from bin/, beside qxchat.dll and the
 * libraries it loads. */
#include <qxchat.h>

#include <stdio.h>
#include <string.h>
#include <wchar.h>

#define PANEL_COUNT 2
#define PANEL_WIDTH 320
#define WAIT_MS 10000
#define MAX_NOTICES 16

/* One participant: its panel (the window the instance fills) and its instance. */
typedef struct Participant {
    const wchar_t* name;
    HWND panel;
    QXHCOMPONENT chat;
    int enrolled;    /* WM_CHAT_NOTIFY_TO_SERVICE said so */
    int failed;      /* enrollment failed */
    int groupsReady; /* WM_CHAT_CACHE_NOTIFY came: the chat has joined its groups */
} Participant;

/* What the frame heard through the WM_COMMAND notification of shown messages. */
typedef struct Notice {
    DWORD node;
    wchar_t text[128];
} Notice;

static Participant g_people[PANEL_COUNT] = {{L"Ann", NULL, 0, 0, 0, 0}, {L"Ben", NULL, 0, 0, 0, 0}};
static Notice g_notices[MAX_NOTICES];
static int g_noticeCount;

/* ---- windows ---------------------------------------------------------------------------- */

/* A panel is also its instance's service window: the chat's notifications arrive here. */
static LRESULT CALLBACK PanelProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Participant* p = (Participant*)GetWindowLongPtrW(hWnd, GWLP_USERDATA);
    if (p && msg == WM_CHAT_NOTIFY_TO_SERVICE && wParam == QXCHAT_NOTIFY_ENROLL) {
        if (lParam == 0)
            p->enrolled = 1;
        else
            p->failed = 1;
        return 0;
    }
    if (p && msg == WM_CHAT_CACHE_NOTIFY) {
        p->groupsReady = 1;
        return 0;
    }
    return DefWindowProcW(hWnd, msg, wParam, lParam);
}

static void LayoutPanels(HWND frame) {
    RECT rc;
    int i;
    GetClientRect(frame, &rc);
    for (i = 0; i < PANEL_COUNT; ++i)
        if (g_people[i].panel)
            MoveWindow(g_people[i].panel, i * PANEL_WIDTH, 0, PANEL_WIDTH, rc.bottom, TRUE);
}

/* The frame hears of every message a panel shows: WM_COMMAND with QXCHAT_CMD_MESSAGE_SHOWN and
 * the notice block in lParam (a control with id 2 would give its window handle there instead). */
static LRESULT CALLBACK FrameProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        if (wParam == QXCHAT_CMD_MESSAGE_SHOWN && lParam && !IsWindow((HWND)lParam)) {
            const QXCHAT_MESSAGE_NOTICE* n = (const QXCHAT_MESSAGE_NOTICE*)lParam;
            if (g_noticeCount < MAX_NOTICES) {
                Notice* mine = &g_notices[g_noticeCount++];
                mine->node = n->dwNodeId;
                wcsncpy(mine->text, n->lpszText ? n->lpszText : L"", 127);
                mine->text[127] = 0;
            }
            return 0;
        }
        break;
    case WM_SIZE: LayoutPanels(hWnd); return 0;
    case WM_CLOSE: {
        int i;
        for (i = 0; i < PANEL_COUNT; ++i) {
            if (g_people[i].chat) QxDeleteInstance(g_people[i].chat);
            g_people[i].chat = 0;
        }
        DestroyWindow(hWnd);
        return 0;
    }
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(hWnd, msg, wParam, lParam);
}

/* Handles what is queued; then waits for more until the condition holds or the time is up. */
typedef int (*Condition)(const void* arg);
static int PumpUntil(Condition done, const void* arg, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    MSG m;
    for (;;) {
        while (PeekMessageW(&m, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        if (done(arg)) return 1;
        if (GetTickCount() - start >= timeoutMs) return 0;
        MsgWaitForMultipleObjects(0, NULL, FALSE, 50, QS_ALLINPUT);
    }
}

/* ---- the chat ---------------------------------------------------------------------------- */

static BOOL StartChat(Participant* p) {
    p->chat = QxNewInstance(p->panel);
    if (!p->chat) return FALSE;
    ChSetMeetingType(p->chat, 1);
    ChSelectFeature(p->chat, QXCHAT_FEATURE_ENROLL_FEEDBACK, 0, 0, 0, 0, NULL);
    ChSetEventConfig(p->chat, QXCHAT_EVT_SERVICE_WINDOW, (LONG)(LONG_PTR)p->panel, 0, NULL);
    ChSetPrivilege(p->chat, QXCHAT_PRIV_ALL);
    ChSetRosters(p->chat, QXCHAT_ROLE_ATTENDEE);
    ChAddGroup(p->chat, 0, QXCHAT_GROUP_TYPE_ROLE, QXCHAT_GROUP_EVERYONE, L"Everyone", 1, 1, 0, NULL, 0, 0);
    ChSetRosterStatus(p->chat, 1, 1, 0);
    ChAllowUserInput(p->chat, 1);
    ChShowUserList(p->chat, 1);
    /* Every instance of this process given the same server address meets on one conference. */
    ChChat1(p->chat, L"127.0.0.1", 1, 1, p->name, 1, L"minimal host");
    return TRUE;
}

static int IsReady(const void* arg) {
    const Participant* p = (const Participant*)arg;
    return p->failed || (p->enrolled && p->groupsReady);
}

/* The chat dialog inside a panel: panel -> instance window -> dialog. */
static HWND ChatDialog(const Participant* p) {
    HWND instanceWnd = FindWindowExW(p->panel, NULL, NULL, NULL);
    return instanceWnd ? FindWindowExW(instanceWnd, NULL, L"#32770", NULL) : NULL;
}

typedef struct TypeJob {
    const Participant* who;
    const wchar_t* text;
} TypeJob;

/* Types into the input box and presses Send, as the user would. A send that cannot go yet
 * (the chat is still joining its groups) leaves the text in the box; then it is pressed again. */
static int TypeAndSend(const void* arg) {
    const TypeJob* job = (const TypeJob*)arg;
    HWND dlg = ChatDialog(job->who);
    HWND input = dlg ? GetDlgItem(dlg, QXCHAT_CONTROL_INPUT) : NULL;
    HWND send = dlg ? GetDlgItem(dlg, QXCHAT_CONTROL_SEND) : NULL;
    if (!input || !send || !IsWindowEnabled(send)) return 0;
    SetWindowTextW(input, job->text);
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(QXCHAT_CONTROL_SEND, BN_CLICKED), (LPARAM)send);
    return GetWindowTextLengthW(input) == 0;
}

typedef struct Expect {
    const wchar_t* text;
    int count;
} Expect;

static int CountOf(const wchar_t* text) {
    int i, n = 0;
    for (i = 0; i < g_noticeCount; ++i)
        n += wcscmp(g_notices[i].text, text) == 0;
    return n;
}

static int Heard(const void* arg) {
    const Expect* e = (const Expect*)arg;
    return CountOf(e->text) >= e->count;
}

/* Ann greets everyone; both panels show it. Ben answers Ann alone, choosing her by the node id
 * the greeting's notice carried; his panel and hers show it. */
static int RunScript(void) {
    static const wchar_t greeting[] = L"Hello everyone, can you read me?";
    static const wchar_t answer[] = L"Loud and clear, Ann (just between us).";
    TypeJob job;
    Expect expect;
    DWORD annNode = 0;
    int i;

    ChChatToGroup(g_people[0].chat, QXCHAT_GROUP_TYPE_ROLE, QXCHAT_GROUP_EVERYONE);
    job.who = &g_people[0];
    job.text = greeting;
    expect.text = greeting;
    expect.count = 2;
    if (!PumpUntil(TypeAndSend, &job, WAIT_MS) || !PumpUntil(Heard, &expect, WAIT_MS)) {
        fprintf(stderr, "minimal_host: the greeting was not shown by both panels\n");
        return 1;
    }
    for (i = 0; i < g_noticeCount; ++i)
        if (wcscmp(g_notices[i].text, greeting) == 0) annNode = g_notices[i].node;

    ChChatToAttendee(g_people[1].chat, annNode);
    job.who = &g_people[1];
    job.text = answer;
    expect.text = answer;
    if (!PumpUntil(TypeAndSend, &job, WAIT_MS) || !PumpUntil(Heard, &expect, WAIT_MS)) {
        fprintf(stderr, "minimal_host: the private answer was not shown by both panels\n");
        return 1;
    }
    for (i = 0; i < g_noticeCount; ++i)
        printf("shown: node %lu: %ls\n", (unsigned long)g_notices[i].node, g_notices[i].text);
    if (CountOf(greeting) != 2 || CountOf(answer) != 2) {
        fprintf(stderr, "minimal_host: a message was shown more often than it was sent\n");
        return 1;
    }
    return 0;
}

int main(int argc, char** argv) {
    HINSTANCE inst = GetModuleHandleW(NULL);
    WNDCLASSW wc;
    HWND frame;
    MSG m;
    int i, rc = 0, automatic = argc > 1 && strcmp(argv[1], "--auto") == 0;

    memset(&wc, 0, sizeof(wc));
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"MinimalHostFrame";
    RegisterClassW(&wc);
    wc.lpfnWndProc = PanelProc;
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = L"MinimalHostPanel";
    RegisterClassW(&wc);

    frame = CreateWindowExW(0, L"MinimalHostFrame", L"Minimal qxchat host", WS_OVERLAPPEDWINDOW, 40, 40,
                            PANEL_COUNT * PANEL_WIDTH + 16, 480, NULL, NULL, inst, NULL);
    if (!frame) {
        fprintf(stderr, "minimal_host: no window (is there a display?)\n");
        return 1;
    }
    for (i = 0; i < PANEL_COUNT; ++i) {
        g_people[i].panel =
            CreateWindowExW(0, L"MinimalHostPanel", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                            PANEL_WIDTH, 100, frame, NULL, inst, NULL);
        SetWindowLongPtrW(g_people[i].panel, GWLP_USERDATA, (LONG_PTR)&g_people[i]);
    }
    LayoutPanels(frame);
    ShowWindow(frame, SW_SHOW);

    /* One after the other, as participants join a meeting. */
    for (i = 0; i < PANEL_COUNT && rc == 0; ++i) {
        if (!StartChat(&g_people[i]) || !PumpUntil(IsReady, &g_people[i], WAIT_MS) || g_people[i].failed) {
            fprintf(stderr, "minimal_host: %ls could not join the chat\n", g_people[i].name);
            rc = 1;
        }
    }
    if (automatic) {
        if (rc == 0) rc = RunScript();
        SendMessageW(frame, WM_CLOSE, 0, 0);
        while (GetMessageW(&m, NULL, 0, 0) > 0)
            DispatchMessageW(&m); /* what the deletes posted */
        printf("minimal_host: %s\n", rc == 0 ? "done" : "failed");
        return rc;
    }
    while (GetMessageW(&m, NULL, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    return rc;
}
