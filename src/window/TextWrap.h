// Word wrap of one item's text, as a word-wrapping edit control breaks it: lines break after
// white space, a word wider than the line breaks between characters, white space at a line's
// end hangs past the edge, "\n" ends a line, tabs advance to the next tab stop. Plain
// arithmetic over the characters' advance widths, so it runs without a window.
#pragma once

#include <string>
#include <vector>

struct WrappedText {
    std::vector<int> lineStarts; // first character of each line; never empty
    std::vector<int> x;          // left edge of each character, from its line's left
    std::vector<int> width;      // drawn width of each character (a tab's reaches its tab stop)

    int LineCount() const { return static_cast<int>(lineStarts.size()); }
    // One past the last character of the line, line break characters included.
    int LineEnd(int nLine, int nLength) const;
};

// advance[i] is the width of character i in the item's font; nWidth the room for the text.
WrappedText QxWrapText(const std::wstring& strText, const std::vector<int>& advance, int nWidth,
                       int nTabWidth);

// Whether the character is drawn (line breaks and tabs are not).
bool QxIsDrawnChar(wchar_t c);

// The character boundary nearest to px on the line: a selection end. Past the line's text the
// boundary before the line's break characters.
int QxBoundaryAt(const WrappedText& wrap, const std::wstring& strText, int nLine, int px);
// The character whose box holds px on the line, or -1 left or right of the line's text.
int QxCharAt(const WrappedText& wrap, const std::wstring& strText, int nLine, int px);
