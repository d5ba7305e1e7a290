// Typing indications: who is shown as typing (receiver side) and when to tell others (sender).
#pragma once

#include <windows.h>
#include <vector>

// Dialog timers of the typing indicator.
enum { TYPING_SEND_TIMER = 1200, TYPING_SEND_MS = 3000, TYPING_EXPIRE_TIMER = 1201, TYPING_EXPIRE_MS = 5000 };

// Receiver side: the nodes shown as typing.
class CTypingList {
public:
    bool Indicate(DWORD dwNode); // true: newly listed (post WM_CHAT_TYPING node,1); false: refreshed
    bool Remove(DWORD dwNode);   // true when it was listed (post node,2)
    struct Notice {
        DWORD dwNode;
        LPARAM lState; // 1 still typing, 2 stopped
    };
    std::vector<Notice> Expire(); // the expiry tick's posts, in list order
    bool Contains(DWORD dwNode) const;
    size_t Count() const { return m_entries.size(); }
    void Clear() { m_entries.clear(); }

private:
    struct Entry {
        DWORD dwNode;
        BOOL bRefreshed;
    };
    std::vector<Entry> m_entries;
};

// Sender side: typed and sent lengths.
class CTypingSender {
public:
    struct Step {
        bool bSendNow = false;
        bool bStartTimer = false;
    };
    Step OnTextChanged(int nNewLength); // caller has checked feature 0x2000 and the participant limit
    bool OnSendTimer();                 // true: send an indication now (sent length updated)
    void Reset();                       // after a send: both lengths 0, the timer stopped
    int TypedLength() const { return m_nTyped; }
    int SentLength() const { return m_nSent; }
    bool TimerRunning() const { return m_bTimer; }

private:
    int m_nTyped = 0;
    int m_nSent = 0;
    bool m_bTimer = false;
};
