// Geometry of the typing-indication strip and of the tooltip that shows a cut line in full:
// where each line goes, where a line too long for its place is cut, which line is under a
// point, and where the tooltip lands on the screen. No window is needed for any of it.
#pragma once

#include <windows.h>
#include <string>
#include <vector>

#include "qxchat.h"

// The strip's codes (the transfer types that set its lines) and its drawing constants.
constexpr DWORD kIndicationCodes[] = {QXCHAT_TRANSFER_STRIP_TOP, QXCHAT_TRANSFER_STRIP_MIDDLE,
                                      QXCHAT_TRANSFER_STRIP_BOTTOM}; // top to bottom
constexpr int kIndicationLineCount = 3;
constexpr int kStripTextLeft = 25;    // text starts this far right of the strip's left edge
constexpr int kStripTextRight = 8;    // and ends this far left of its right edge
constexpr int kStripFirstLineTop = 3; // above the first line
constexpr int kStripLineGap = 2;      // between two lines
constexpr int kStripPadding = 6;      // 3 above the first line, 3 below the last
constexpr int kStripIconGap = 5;      // the icon's right edge to the text
constexpr COLORREF kStripBackground = RGB(0xFF, 0xFB, 0xF0);
constexpr COLORREF kStripText = RGB(0x80, 0x80, 0x80);
constexpr COLORREF kStripBottomLine = RGB(0xD4, 0xD0, 0xC8);
constexpr wchar_t kStripEllipsis[] = L"...";

// The tooltip's constants.
constexpr UINT_PTR kTooltipTimer = 1129;
constexpr UINT kTooltipTimerMs = 100;
constexpr DWORD kTooltipLifeMs = 2000;
constexpr int kTooltipInsetX = 4;     // left and right of the text
constexpr int kTooltipInsetY = 2;     // above the text
constexpr int kTooltipExtraWidth = 8; // the popup is the text plus these
constexpr int kTooltipExtraHeight = 6;
constexpr int kTooltipRightMargin = 5; // kept free at the screen's right edge
constexpr COLORREF kTooltipBackground = RGB(0xFF, 0xFF, 0xE0);
constexpr COLORREF kTooltipFrame = RGB(0, 0, 0);

// The slot (0 to 2) of an indication code; -1 for any other code.
int IndicationSlot(DWORD dwCode);

// One line as placed in the strip: its slot and the rectangle of its text.
struct StripLine {
    int nSlot;
    RECT rcText;
};

// Places the non-empty lines (by slot) in a strip of the given width: each lineHeight high,
// the text from left + 25 to right - 8, the first 3 below the top and each further 2 below the
// previous one.
std::vector<StripLine> PlaceStripLines(const std::wstring (&lines)[kIndicationLineCount], int nWidth,
                                       int nLineHeight);

// The strip's height: the lines' heights, 2 between two lines, 6 around them; 0 with no line.
int StripHeightFor(int nLines, int nLineHeight);

// The slot of the line whose row contains y (the whole width of the strip); -1 between lines,
// above the first and below the last.
int StripSlotAt(const std::vector<StripLine>& placed, int y);

// How much of a line fits in nMaxWidth. extents[i] is the width of the text's first i + 1
// characters. Returns the text itself when it fits; else the longest start that ends before a
// white space and leaves room for the ellipsis, without its trailing white space, followed by
// the ellipsis. A first word too long for the place is cut between characters instead.
struct FittedLine {
    std::wstring text; // what is drawn
    bool bCut;         // the full text does not fit
};
FittedLine FitLineAtWord(const std::wstring& strText, const std::vector<int>& extents, int nEllipsisWidth,
                         int nMaxWidth);

// The tooltip's rectangle for a text of the given size shown at ptAt: the text plus 8 wide and
// plus 6 high; moved up to end at the screen's bottom when it would pass it, and left to end 5
// pixels inside the screen's right edge when it would pass that.
RECT PlaceTooltip(POINT ptAt, SIZE textSize, const RECT& rcScreen);

// Whether the tooltip shown at dwShownAt has lived its time at dwNow (tick counts may wrap).
bool TooltipExpired(DWORD dwShownAt, DWORD dwNow);
