// The "Send to:" list's entries as the recipient list works on them: texts with the item data of
// their user or group record, one selection, and the entry the user last chose. The window side
// implements it over the recipient box; the list's logic knows nothing of the box.
#pragma once

#include <string>
#include <vector>
#include <windows.h>

#include "participants/ChatItemData.h"

struct RecipientEntry {
    std::wstring strText;
    ChatItemData* pData = nullptr;
};

// Indices behave like a drop-down list's: an insertion at or before the selection moves it down
// with its entry, deleting the selected entry leaves nothing selected, and selecting an index out
// of range clears the selection.
class IRecipientEntryList {
public:
    // Whether there is a list at all (the box exists); every other operation does nothing then.
    virtual BOOL IsPresent() const = 0;
    virtual int Count() const = 0;
    // Null and empty out of range.
    virtual ChatItemData* Data(int nIndex) const = 0;
    virtual std::wstring Text(int nIndex) const = 0;
    // nIndex -1 appends. The index the entry landed at, or -1 (beyond the end, or no list).
    virtual int Insert(int nIndex, const std::wstring& strText, ChatItemData* pData) = 0;
    virtual void Delete(int nIndex) = 0;
    // Replaces every entry at once; nothing stays selected.
    virtual void Fill(const std::vector<RecipientEntry>& entries) = 0;
    // -1 when nothing is selected.
    virtual int Selection() const = 0;
    virtual void Select(int nIndex) = 0;
    // The last entry chosen that could be chosen (or null): the list falls back to it.
    virtual const ChatItemData* Remembered() const = 0;
    virtual void Remember(const ChatItemData* pData) = 0;
    // Whether the entries are filled from the groups later, each group's entry followed by its
    // members (a batch): an insertion's index then only moves the selection.
    virtual BOOL PlacesMembersItself() const { return FALSE; }

    void Clear() { Fill({}); }

protected:
    ~IRecipientEntryList() = default;
};

// Whether an entry with this data can be chosen as the message's recipient.
BOOL QxCanChooseEntry(const ChatItemData* pData);

// The entry holding pData, or -1.
int QxFindEntry(const IRecipientEntryList& list, const ChatItemData* pData);

// The data of the selected entry, or null.
ChatItemData* QxSelectedEntryData(const IRecipientEntryList& list);

// Replaces the text of one entry in place, keeping its selection.
void QxReplaceEntry(IRecipientEntryList& list, int nIndex, const std::wstring& strText, ChatItemData* pData);

// The nearest entry that can be chosen from nFrom (exclusive) in direction nStep (+1 or -1),
// without wrapping; -1 when none.
int QxNextChoosableEntry(const IRecipientEntryList& list, int nFrom, int nStep);

// Selects an entry, and remembers it when it can be chosen.
void QxSelectEntry(IRecipientEntryList& list, int nIndex);

// An arrow key: the selection moves to the nearest entry that can be chosen and stops at
// either end.
void QxStepSelection(IRecipientEntryList& list, int nStep);

// The user changed the selection: it is remembered, or moved away from an entry that cannot be
// chosen. bKeepPrivateEntry: the private-chat entry keeps the selection when chosen.
void QxSelectionChanged(IRecipientEntryList& list, BOOL bKeepPrivateEntry);
