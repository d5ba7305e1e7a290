#include "window/TextWrap.h"

#include <algorithm>

namespace {

bool IsBreakSpace(wchar_t c) {
    return c == L' ' || c == L'\t';
}

bool IsLineBreak(wchar_t c) {
    return c == L'\r' || c == L'\n';
}

// A character that belongs to the one before it: the second half of a surrogate pair or a
// combining mark. A line never starts with one.
bool ContinuesCluster(wchar_t c) {
    return (c >= 0xDC00 && c <= 0xDFFF) || (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
           (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE20 && c <= 0xFE2F);
}

// The line's last boundary before its break characters.
int TextEnd(const WrappedText& wrap, const std::wstring& strText, int nLine) {
    const int nStart = wrap.lineStarts[nLine];
    int nEnd = wrap.LineEnd(nLine, static_cast<int>(strText.size()));
    while (nEnd > nStart && IsLineBreak(strText[nEnd - 1]))
        --nEnd;
    return nEnd;
}

} // namespace

int WrappedText::LineEnd(int nLine, int nLength) const {
    return nLine + 1 < LineCount() ? lineStarts[nLine + 1] : nLength;
}

bool QxIsDrawnChar(wchar_t c) {
    return !IsLineBreak(c) && c != L'\t';
}

WrappedText QxWrapText(const std::wstring& strText, const std::vector<int>& advance, int nWidth,
                       int nTabWidth) {
    const int n = static_cast<int>(strText.size());
    WrappedText wrap;
    wrap.lineStarts.push_back(0);
    wrap.x.assign(n, 0);
    wrap.width.assign(n, 0);
    nWidth = std::max(1, nWidth);
    nTabWidth = std::max(1, nTabWidth);
    int nLineStart = 0, xPos = 0;
    int nBreak = -1; // first character after the line's last white space run
    for (int i = 0; i < n; ++i) {
        const wchar_t c = strText[i];
        if (IsLineBreak(c)) {
            wrap.x[i] = xPos;
            // "\r\n" is one break: the line ends after the "\n".
            if (c == L'\n' || i + 1 >= n || strText[i + 1] != L'\n') {
                if (i + 1 < n) wrap.lineStarts.push_back(i + 1);
                nLineStart = i + 1;
                xPos = 0;
                nBreak = -1;
            }
            continue;
        }
        const int nAdvance = c == L'\t' ? (xPos / nTabWidth + 1) * nTabWidth - xPos
                                        : std::max(0, i < static_cast<int>(advance.size()) ? advance[i] : 0);
        if (!IsBreakSpace(c) && xPos + nAdvance > nWidth && i > nLineStart) {
            // The word moves to a new line; one that has the line to itself breaks here.
            int nNewStart = nBreak > nLineStart ? nBreak : i;
            while (nNewStart - 1 > nLineStart && ContinuesCluster(strText[nNewStart]))
                --nNewStart;
            wrap.lineStarts.push_back(nNewStart);
            nLineStart = nNewStart;
            nBreak = -1;
            xPos = 0;
            i = nNewStart - 1; // lay the moved characters out again on the new line
            continue;
        }
        wrap.x[i] = xPos;
        wrap.width[i] = nAdvance;
        xPos += nAdvance;
        if (IsBreakSpace(c)) nBreak = i + 1;
    }
    return wrap;
}

int QxBoundaryAt(const WrappedText& wrap, const std::wstring& strText, int nLine, int px) {
    nLine = std::max(0, std::min(nLine, wrap.LineCount() - 1));
    const int nStart = wrap.lineStarts[nLine], nEnd = TextEnd(wrap, strText, nLine);
    // Character boxes grow left to right: the first whose middle lies right of px.
    int lo = nStart, hi = nEnd;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (wrap.x[mid] + wrap.width[mid] / 2 < px)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

int QxCharAt(const WrappedText& wrap, const std::wstring& strText, int nLine, int px) {
    if (nLine < 0 || nLine >= wrap.LineCount() || px < 0) return -1;
    const int nStart = wrap.lineStarts[nLine], nEnd = TextEnd(wrap, strText, nLine);
    int lo = nStart, hi = nEnd;
    while (lo < hi) { // first character whose right edge lies right of px
        const int mid = lo + (hi - lo) / 2;
        if (wrap.x[mid] + wrap.width[mid] <= px)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo < nEnd ? lo : -1;
}
