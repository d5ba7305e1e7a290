// A batch of changes to the "Send to:" list, such as a roster change of thousands of
// participants: the list is filled once at the end instead of entry by entry, since each
// insertion into a long list moves everything after it.
#pragma once

#include "participants/RecipientEntryList.h"

#include <unordered_map>

class CUsersGroupList;

// Stands in for the list during the batch. Its entries are read from the groups (each shown
// group's entry followed by its members), which is what the list holds after every operation of
// the recipient list: that operation changes the list first and the group right after, so an
// insertion or deletion here only moves the selection and keeps the entry's text. When the list
// does not hold what the groups say at the start, every operation goes to the list itself.
class CRecipientListBatch final : public IRecipientEntryList {
public:
    CRecipientListBatch(IRecipientEntryList& list, const CUsersGroupList& groups);
    CRecipientListBatch(const CRecipientListBatch&) = delete;
    CRecipientListBatch& operator=(const CRecipientListBatch&) = delete;
    ~CRecipientListBatch() { Commit(); }

    // Whether the batch stands in for the list (else it passes every operation through).
    bool Deferring() const { return m_bDeferring; }
    // Fills the list with the entries and the selection the batch ended with; the batch then
    // passes every operation through.
    void Commit();

    BOOL IsPresent() const override { return m_list.IsPresent(); }
    int Count() const override;
    ChatItemData* Data(int nIndex) const override;
    std::wstring Text(int nIndex) const override;
    int Insert(int nIndex, const std::wstring& strText, ChatItemData* pData) override;
    void Delete(int nIndex) override;
    void Fill(const std::vector<RecipientEntry>& entries) override;
    int Selection() const override { return m_bDeferring ? m_nSelection : m_list.Selection(); }
    void Select(int nIndex) override;
    const ChatItemData* Remembered() const override { return m_list.Remembered(); }
    void Remember(const ChatItemData* pData) override { m_list.Remember(pData); }
    BOOL PlacesMembersItself() const override { return m_bDeferring ? TRUE : FALSE; }

private:
    // The entries the groups make, in order.
    std::vector<ChatItemData*> Projection() const;

    IRecipientEntryList& m_list;
    const CUsersGroupList& m_groups;
    bool m_bDeferring = false;
    bool m_bChanged = false;
    int m_nSelection = -1;
    std::unordered_map<const ChatItemData*, std::wstring> m_texts;
};
