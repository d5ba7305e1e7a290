// One entry of the message list: a header line, a message text or a notice, with the fields the
// transcript writer needs and the geometry of its last layout.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

// An address found in an item's text; nFirst and nLast are inclusive character indexes.
struct LinkRange {
    int nFirst, nLast;
    std::wstring strText, strTarget;
};

enum ItemKind : DWORD { ITEM_HEADER = 1, ITEM_TEXT = 2, ITEM_NOTICE = 3, ITEM_HIGHLIGHT = 4 };

struct MessageItem {
    DWORD kind;
    std::wstring text, date, time, senderPart, restPart; // date .. restPart kept for kinds 2-4
    int selStart = -1, selEnd = -1;                      // selected range inside text
    DWORD selState = 0;                                  // 0 none, 1 wholly selected, 2 or 3 partly selected
    int left = 0, top = 0, right = 0, height = 0;
    int margin = 0;
    bool needsLayout = true;
    std::vector<LinkRange> links;
};

// The text of a wholly or partly selected item; empty when the item is not selected.
std::wstring QxItemSelectedText(const MessageItem& item);
