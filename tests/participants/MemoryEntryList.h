// The recipient list's entries in memory, with the index rules of a drop-down list, so that the
// list's logic runs without a window. RecipientBox_test checks that the box behaves the same.
#pragma once

#include "participants/RecipientEntryList.h"

#include <string>
#include <vector>

class CMemoryEntryList final : public IRecipientEntryList {
public:
    BOOL IsPresent() const override { return TRUE; }
    int Count() const override { return static_cast<int>(m_entries.size()); }
    ChatItemData* Data(int nIndex) const override {
        return InRange(nIndex) ? m_entries[nIndex].pData : nullptr;
    }
    std::wstring Text(int nIndex) const override {
        return InRange(nIndex) ? m_entries[nIndex].strText : std::wstring();
    }
    int Insert(int nIndex, const std::wstring& strText, ChatItemData* pData) override {
        if (nIndex == -1) nIndex = Count();
        if (nIndex < 0 || nIndex > Count()) return -1;
        m_entries.insert(m_entries.begin() + nIndex, RecipientEntry{strText, pData});
        if (m_nSelection >= nIndex) ++m_nSelection;
        ++m_nChanges;
        return nIndex;
    }
    void Delete(int nIndex) override {
        if (!InRange(nIndex)) return;
        m_entries.erase(m_entries.begin() + nIndex);
        if (m_nSelection == nIndex)
            m_nSelection = -1;
        else if (m_nSelection > nIndex)
            --m_nSelection;
        ++m_nChanges;
    }
    void Fill(const std::vector<RecipientEntry>& entries) override {
        m_entries = entries;
        m_nSelection = -1;
        ++m_nFills;
    }
    int Selection() const override { return m_nSelection; }
    void Select(int nIndex) override { m_nSelection = InRange(nIndex) ? nIndex : -1; }
    const ChatItemData* Remembered() const override { return m_pRemembered; }
    void Remember(const ChatItemData* pData) override { m_pRemembered = pData; }

    // The texts in order, for comparing whole lists.
    std::vector<std::wstring> Texts() const {
        std::vector<std::wstring> texts;
        for (const RecipientEntry& e : m_entries)
            texts.push_back(e.strText);
        return texts;
    }
    // Entry-by-entry insertions and deletions, and whole fills, so far.
    int Changes() const { return m_nChanges; }
    int Fills() const { return m_nFills; }

private:
    bool InRange(int nIndex) const { return nIndex >= 0 && nIndex < Count(); }

    std::vector<RecipientEntry> m_entries;
    int m_nSelection = -1;
    const ChatItemData* m_pRemembered = nullptr;
    int m_nChanges = 0;
    int m_nFills = 0;
};
