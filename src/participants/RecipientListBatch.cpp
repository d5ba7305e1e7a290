#include "participants/RecipientListBatch.h"

#include "participants/UserItem.h"
#include "participants/UsersGroup.h"

namespace {

// The groups that have an entry: those that have not disappeared, as the positions count them.
template <typename Visit> void ForEachListedGroup(const CUsersGroupList& groups, Visit visit) {
    groups.ReadGroups([&visit](CUsersGroup* const* ppGroups, int nCount) {
        for (int i = 0; i < nCount; ++i) {
            const CUsersGroup* pGroup = ppGroups[i];
            if (pGroup && pGroup->m_bVisible && !visit(*pGroup)) return;
        }
    });
}

} // namespace

CRecipientListBatch::CRecipientListBatch(IRecipientEntryList& list, const CUsersGroupList& groups)
    : m_list(list), m_groups(groups) {
    if (!m_list.IsPresent()) return;
    const std::vector<ChatItemData*> expected = Projection();
    const int nCount = m_list.Count();
    if (nCount != static_cast<int>(expected.size())) return;
    for (int i = 0; i < nCount; ++i) {
        ChatItemData* pData = m_list.Data(i);
        if (!pData || pData != expected[static_cast<size_t>(i)]) {
            m_texts.clear();
            return;
        }
        m_texts[pData] = m_list.Text(i);
    }
    m_nSelection = m_list.Selection();
    m_bDeferring = true;
}

std::vector<ChatItemData*> CRecipientListBatch::Projection() const {
    std::vector<ChatItemData*> entries;
    size_t nCount = 0;
    ForEachListedGroup(m_groups, [&nCount](const CUsersGroup& group) {
        nCount += static_cast<size_t>(group.GetMemberCount()) + 1;
        return true;
    });
    entries.reserve(nCount);
    ForEachListedGroup(m_groups, [&](const CUsersGroup& group) {
        entries.push_back(const_cast<ChatItemData*>(&group.m_ItemData));
        group.ReadMembers([&entries](CUserItem* const* ppMembers, int nCount) {
            for (int m = 0; m < nCount; ++m)
                entries.push_back(ppMembers[m] ? &ppMembers[m]->m_ItemData : nullptr);
        });
        return true;
    });
    return entries;
}

int CRecipientListBatch::Count() const {
    if (!m_bDeferring) return m_list.Count();
    int nCount = 0;
    ForEachListedGroup(m_groups, [&](const CUsersGroup& group) {
        nCount += group.GetMemberCount() + 1;
        return true;
    });
    return nCount;
}

ChatItemData* CRecipientListBatch::Data(int nIndex) const {
    if (!m_bDeferring) return m_list.Data(nIndex);
    ChatItemData* pFound = nullptr;
    int nPos = 0;
    ForEachListedGroup(m_groups, [&](const CUsersGroup& group) {
        const int nEnd = nPos + group.GetMemberCount() + 1;
        if (nIndex >= nPos && nIndex < nEnd) {
            if (nIndex == nPos) {
                pFound = const_cast<ChatItemData*>(&group.m_ItemData);
            } else if (CUserItem* pUser = group.GetMember(nIndex - nPos - 1)) {
                pFound = &pUser->m_ItemData;
            }
            return false;
        }
        nPos = nEnd;
        return true;
    });
    return pFound;
}

std::wstring CRecipientListBatch::Text(int nIndex) const {
    if (!m_bDeferring) return m_list.Text(nIndex);
    const auto it = m_texts.find(Data(nIndex));
    return it == m_texts.end() ? std::wstring() : it->second;
}

int CRecipientListBatch::Insert(int nIndex, const std::wstring& strText, ChatItemData* pData) {
    if (!m_bDeferring) return m_list.Insert(nIndex, strText, pData);
    const int nCount = Count();
    if (nIndex == -1) nIndex = nCount;
    if (nIndex < 0 || nIndex > nCount) return -1;
    m_texts[pData] = strText;
    if (m_nSelection >= nIndex) ++m_nSelection;
    m_bChanged = true;
    return nIndex;
}

void CRecipientListBatch::Delete(int nIndex) {
    if (!m_bDeferring) return m_list.Delete(nIndex);
    if (nIndex < 0 || nIndex >= Count()) return;
    if (m_nSelection == nIndex)
        m_nSelection = -1;
    else if (m_nSelection > nIndex)
        --m_nSelection;
    m_bChanged = true;
}

void CRecipientListBatch::Fill(const std::vector<RecipientEntry>& entries) {
    // A whole new list is no batch of changes: it goes to the list at once.
    Commit();
    m_list.Fill(entries);
}

void CRecipientListBatch::Select(int nIndex) {
    if (!m_bDeferring) return m_list.Select(nIndex);
    m_nSelection = (nIndex >= 0 && nIndex < Count()) ? nIndex : -1;
}

void CRecipientListBatch::Commit() {
    if (!m_bDeferring) return;
    m_bDeferring = false;
    if (m_bChanged) {
        const std::vector<ChatItemData*> projection = Projection();
        std::vector<RecipientEntry> entries;
        entries.reserve(projection.size());
        for (ChatItemData* pData : projection) {
            const auto it = m_texts.find(pData);
            entries.push_back({it == m_texts.end() ? std::wstring() : it->second, pData});
        }
        m_list.Fill(entries);
        if (m_nSelection >= 0) m_list.Select(m_nSelection);
    } else if (m_list.Selection() != m_nSelection) {
        m_list.Select(m_nSelection);
    }
    m_texts.clear();
}
