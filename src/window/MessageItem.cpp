#include "window/MessageItem.h"

#include <algorithm>

std::wstring QxItemSelectedText(const MessageItem& item) {
    if (item.selState == 0) return std::wstring();
    if (item.selState == 1) return item.text;
    const int n = static_cast<int>(item.text.size());
    const int first = std::max(0, std::min(item.selStart, item.selEnd));
    const int last = std::min(n, std::max(item.selStart, item.selEnd));
    return first < last ? item.text.substr(first, last - first) : std::wstring();
}
