// The message list as screen readers see it: one accessible list whose children are the
// messages (header and text read as one) and the notices, and the polite announcement of new
// messages. The list window owns a CListAccessibility; the COM object it hands out holds only a
// weak link back, cut when the window is destroyed, so a reader that keeps the object gets
// CO_E_OBJNOTCONNECTED instead of touching a freed list.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CMessageWindow;
class CMessageListAccessible;
struct MessageItem;

// Items grouped into accessible children: a header with the text that follows it is one child,
// every other item one child. Grouping follows the appended items incrementally, so the count
// and the child of an item never walk the whole list.
class CListChildren {
public:
    // Takes in the items appended since the last call; kindOf(i) is the kind of item i.
    template <class KindOf> void Sync(int nItems, KindOf kindOf) {
        for (; m_nItems < nItems; ++m_nItems)
            AddItem(m_nItems, kindOf(m_nItems), m_nItems > 0 ? kindOf(m_nItems - 1) : 0);
    }
    int Count() const { return static_cast<int>(m_first.size()); }
    int FirstItem(int nChild) const { return m_first[nChild]; }
    int LastItem(int nChild) const { return nChild + 1 < Count() ? m_first[nChild + 1] - 1 : m_nItems - 1; }
    // The child that holds item nItem; -1 for an item not taken in yet.
    int ChildOf(int nItem) const;

private:
    void AddItem(int nItem, DWORD kind, DWORD previousKind);
    std::vector<int> m_first; // first item of each child, ascending
    int m_nItems = 0;
};

// What a screen reader reads for a child: the header and the text joined by a space.
std::wstring QxChildName(const MessageItem* pHeader, const MessageItem* pText);

// The list's side of its accessible object.
class CListAccessibility {
public:
    explicit CListAccessibility(CMessageWindow* pList);
    ~CListAccessibility(); // disconnects the object handed out
    CListAccessibility(const CListAccessibility&) = delete;
    CListAccessibility& operator=(const CListAccessibility&) = delete;

    // WM_GETOBJECT: the client object as an LRESULT, or 0 to leave the request to the default.
    LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
    // A refresh showed new items; nItem is the newest one others sent (not the user's own).
    void Announce(int nItem);
    // The event an announcement raises: the live-region change where the platform has live
    // regions, else the object-shown event of the new child.
    DWORD AnnouncementEvent();

    CMessageWindow* List() const { return m_pList; }
    CListChildren& Children();

private:
    CMessageWindow* m_pList;
    CMessageListAccessible* m_pObject = nullptr; // created on the first request
    CListChildren m_children;
    int m_nLiveRegion = -1; // -1 not yet asked, 0 the platform has none, 1 marked polite
};
