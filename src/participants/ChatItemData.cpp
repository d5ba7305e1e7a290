#include "participants/ChatItemData.h"

#include <algorithm>

void ChatItemData::Clear() {
    std::fill(m_dwData, m_dwData + CHAT_DATA_WORDS, 0);
}

void ChatItemData::InitUser(DWORD dwUserId) {
    Clear();
    m_dwData[CHAT_DATA_KIND] = CHAT_KIND_USER;
    m_dwData[CHAT_DATA_CODE] = dwUserId;
    m_dwData[CHAT_DATA_SHOWN] = 1;
    m_dwData[CHAT_DATA_PRIVATE] = 1;
}

bool operator==(const ChatItemData& a, const ChatItemData& b) {
    return std::equal(a.m_dwData, a.m_dwData + CHAT_DATA_WORDS, b.m_dwData);
}
