#include "window/IndicationLayout.h"

#include <cwctype>

namespace {

bool IsBreak(wchar_t ch) {
    return iswspace(ch) != 0;
}

bool IsLowSurrogate(wchar_t ch) {
    return ch >= 0xDC00 && ch <= 0xDFFF;
}

// Width of the text's first n characters.
int ExtentOf(const std::vector<int>& extents, size_t n) {
    return n == 0 ? 0 : extents[n - 1];
}

} // namespace

int IndicationSlot(DWORD dwCode) {
    for (int i = 0; i < kIndicationLineCount; ++i)
        if (kIndicationCodes[i] == dwCode) return i;
    return -1;
}

std::vector<StripLine> PlaceStripLines(const std::wstring (&lines)[kIndicationLineCount], int nWidth,
                                       int nLineHeight) {
    std::vector<StripLine> placed;
    int y = kStripFirstLineTop;
    for (int i = 0; i < kIndicationLineCount; ++i) {
        if (lines[i].empty()) continue;
        placed.push_back({i, {kStripTextLeft, y, nWidth - kStripTextRight, y + nLineHeight}});
        y += nLineHeight + kStripLineGap;
    }
    return placed;
}

int StripHeightFor(int nLines, int nLineHeight) {
    if (nLines <= 0) return 0;
    return nLines * nLineHeight + (nLines - 1) * kStripLineGap + kStripPadding;
}

int StripSlotAt(const std::vector<StripLine>& placed, int y) {
    for (const auto& line : placed)
        if (y >= line.rcText.top && y < line.rcText.bottom) return line.nSlot;
    return -1;
}

FittedLine FitLineAtWord(const std::wstring& strText, const std::vector<int>& extents, int nEllipsisWidth,
                         int nMaxWidth) {
    const size_t n = strText.size();
    if (extents.size() < n) return {strText, false}; // not measured: nothing to cut by
    if (ExtentOf(extents, n) <= nMaxWidth) return {strText, false};
    const int nRoom = nMaxWidth - nEllipsisWidth;

    // The last word end (a character followed by white space) that still leaves room.
    size_t nKeep = 0;
    for (size_t i = 1; i < n; ++i) {
        if (ExtentOf(extents, i) > nRoom) break;
        if (!IsBreak(strText[i - 1]) && IsBreak(strText[i])) nKeep = i;
    }
    if (nKeep == 0) {
        // One word longer than the place: cut it between characters, never inside a pair.
        while (nKeep < n && ExtentOf(extents, nKeep + 1) <= nRoom)
            ++nKeep;
        if (nKeep > 0 && nKeep < n && IsLowSurrogate(strText[nKeep])) --nKeep;
    }
    return {strText.substr(0, nKeep) + kStripEllipsis, true};
}

RECT PlaceTooltip(POINT ptAt, SIZE textSize, const RECT& rcScreen) {
    const int cx = textSize.cx + kTooltipExtraWidth, cy = textSize.cy + kTooltipExtraHeight;
    RECT rc = {ptAt.x, ptAt.y, ptAt.x + cx, ptAt.y + cy};
    if (rc.bottom > rcScreen.bottom) OffsetRect(&rc, 0, rcScreen.bottom - rc.bottom);
    if (rc.right > rcScreen.right) OffsetRect(&rc, rcScreen.right - kTooltipRightMargin - rc.right, 0);
    return rc;
}

bool TooltipExpired(DWORD dwShownAt, DWORD dwNow) {
    return dwNow - dwShownAt >= kTooltipLifeMs;
}
