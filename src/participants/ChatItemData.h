// The eight 32-bit words that every "Send to:" entry carries as its item data. The combo box
// stores a pointer to them; they live in the user's or group's record.
#pragma once

#include <windows.h>

// Word indices.
enum ChatItemWord {
    CHAT_DATA_KIND = 0,      // ChatItemKind
    CHAT_DATA_GROUP_ID = 1,  // group entry: group id; user entry: 0
    CHAT_DATA_CODE = 2,      // user entry: user id; group entry: display code
    CHAT_DATA_SHOWN = 3,     // 1 = shown and selectable
    CHAT_DATA_FACT_NAME = 4, // copy of the group's show-fact-name flag
    CHAT_DATA_LOCKED = 5,    // attendee group: listed but cannot be chosen
    CHAT_DATA_PRIVATE = 6,   // 1 for a user entry and for the type-4 group
    CHAT_DATA_GONE = 7,      // 1 = the group has disappeared
    CHAT_DATA_WORDS = 8
};

// Word 0. Sending reads it: users get a private message, groups a group message, the other
// kinds send nothing.
enum ChatItemKind {
    CHAT_KIND_NONE = 0,
    CHAT_KIND_USER = 1,
    CHAT_KIND_GROUP = 2,
    CHAT_KIND_HEADING = 3,
    CHAT_KIND_UNSENDABLE = 4
};

struct ChatItemData {
    DWORD m_dwData[CHAT_DATA_WORDS] = {};

    void Clear();
    // A participant's entry: kind 1, word 2 = user id, shown, word 6 = 1.
    void InitUser(DWORD dwUserId);

    DWORD Kind() const { return m_dwData[CHAT_DATA_KIND]; }
    int GroupId() const { return static_cast<int>(m_dwData[CHAT_DATA_GROUP_ID]); }
    // Word 2 read as a signed display code (group entries use -1 .. -6).
    int Code() const { return static_cast<int>(m_dwData[CHAT_DATA_CODE]); }
    DWORD UserId() const { return m_dwData[CHAT_DATA_CODE]; }
    BOOL IsShown() const { return m_dwData[CHAT_DATA_SHOWN] != 0; }
    void SetCode(int nCode) { m_dwData[CHAT_DATA_CODE] = static_cast<DWORD>(nCode); }
    void SetShown(BOOL bShown) { m_dwData[CHAT_DATA_SHOWN] = bShown ? 1 : 0; }
};

bool operator==(const ChatItemData& a, const ChatItemData& b);
inline bool operator!=(const ChatItemData& a, const ChatItemData& b) {
    return !(a == b);
}
