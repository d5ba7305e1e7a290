#include "engine/TypingIndicator.h"

#include <algorithm>

bool CTypingList::Indicate(DWORD dwNode) {
    for (Entry& entry : m_entries) {
        if (entry.dwNode == dwNode) {
            entry.bRefreshed = TRUE;
            return false;
        }
    }
    m_entries.push_back(Entry{dwNode, TRUE});
    return true;
}

bool CTypingList::Remove(DWORD dwNode) {
    auto it = std::find_if(m_entries.begin(), m_entries.end(),
                           [dwNode](const Entry& e) { return e.dwNode == dwNode; });
    if (it == m_entries.end()) return false;
    m_entries.erase(it);
    return true;
}

std::vector<CTypingList::Notice> CTypingList::Expire() {
    std::vector<Notice> notices;
    std::vector<Entry> kept;
    for (Entry& entry : m_entries) {
        if (entry.bRefreshed) {
            notices.push_back(Notice{entry.dwNode, 1});
            entry.bRefreshed = FALSE;
            kept.push_back(entry);
        } else {
            notices.push_back(Notice{entry.dwNode, 2});
        }
    }
    m_entries.swap(kept);
    return notices;
}

bool CTypingList::Contains(DWORD dwNode) const {
    return std::any_of(m_entries.begin(), m_entries.end(),
                       [dwNode](const Entry& e) { return e.dwNode == dwNode; });
}

CTypingSender::Step CTypingSender::OnTextChanged(int nNewLength) {
    Step step;
    if (m_nTyped == 0 && nNewLength != 0) {
        step.bSendNow = true;
        step.bStartTimer = !m_bTimer;
        m_bTimer = true;
    }
    m_nTyped = nNewLength;
    return step;
}

bool CTypingSender::OnSendTimer() {
    if (m_nTyped == 0 || m_nTyped == m_nSent) return false;
    m_nSent = m_nTyped;
    return true;
}

void CTypingSender::Reset() {
    m_nTyped = 0;
    m_nSent = 0;
    m_bTimer = false;
}
