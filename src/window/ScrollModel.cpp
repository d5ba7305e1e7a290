#include "window/ScrollModel.h"

#include <algorithm>
#include <climits>

namespace {

int LowBit(int i) {
    return i & -i;
}

int ToLines(long long nPixels) {
    return static_cast<int>(std::min<long long>(nPixels / CScrollModel::kLine, INT_MAX - 2));
}

} // namespace

void CItemHeights::Append(int nHeight) {
    m_heights.push_back(nHeight);
    const int i = Count(); // 1-based slot of the new item: its range is (i - lowbit, i]
    m_tree.push_back(nHeight + (Above(i - 1) - Above(i - LowBit(i))));
    m_total += nHeight;
}

void CItemHeights::Set(int nIndex, int nHeight) {
    const long long delta = static_cast<long long>(nHeight) - m_heights[nIndex];
    if (delta == 0) return;
    m_heights[nIndex] = nHeight;
    m_total += delta;
    for (int i = nIndex + 1; i <= Count(); i += LowBit(i))
        m_tree[i - 1] += delta;
}

long long CItemHeights::Above(int nIndex) const {
    long long sum = 0;
    for (int i = std::min(nIndex, Count()); i > 0; i -= LowBit(i))
        sum += m_tree[i - 1];
    return sum;
}

int CItemHeights::Find(long long y) const {
    if (m_heights.empty()) return -1;
    if (y < 0) return 0;
    if (y >= m_total) return Count() - 1;
    // Descend the tree: the largest prefix whose sum stays at or below y.
    int pos = 0;
    int step = 1;
    while (step * 2 <= Count())
        step *= 2;
    for (; step > 0; step /= 2) {
        if (pos + step <= Count() && m_tree[pos + step - 1] <= y) {
            pos += step;
            y -= m_tree[pos - 1];
        }
    }
    return std::min(pos, Count() - 1);
}

void CItemHeights::Reset(int nHeight) {
    std::fill(m_heights.begin(), m_heights.end(), nHeight);
    for (int i = 1; i <= Count(); ++i)
        m_tree[i - 1] = static_cast<long long>(nHeight) * LowBit(i);
    m_total = static_cast<long long>(nHeight) * Count();
}

long long QxSettledViewTop(const CItemHeights& heights, long long nShift) {
    const int nFirst = heights.Find(nShift);
    if (nFirst < 0) return 0;
    const long long nTop = heights.Above(nFirst);
    return heights.Find(nTop / CScrollModel::kLine * CScrollModel::kLine) == nFirst ? nTop : nShift;
}

bool CScrollModel::DecideFollow(bool bMouseSelecting, bool bIncrementalLayout) {
    if (bMouseSelecting) return false;
    if (!m_bUserScrolled || !m_bShown) return true;
    if (m_nPos >= m_nMax - m_nPage && !bIncrementalLayout) {
        m_bUserScrolled = false;
        return true;
    }
    return false;
}

void CScrollModel::Update(long long nTotal, int nClientHeight, long long nAboveFirst,
                          long long nAboveBeforeFirst, bool bFollow) {
    if (nTotal <= nClientHeight) {
        m_bShown = false;
        m_nPos = 0;
        return;
    }
    const bool bWasInside = m_bShown && m_nPos <= m_nMax - m_nPage;
    m_bShown = true;
    m_nMax = ToLines(nTotal) + 1;
    m_nPage = std::max(0, nClientHeight / kLine);
    if (bWasInside)
        m_nPos = ToLines(nAboveFirst);
    else if (m_bUserScrolled)
        m_nPos = ToLines(nAboveBeforeFirst);
    else
        m_nPos = BottomPos();
    if (bFollow || !m_bUserScrolled) m_nPos = BottomPos();
    m_nPos = Clamp(m_nPos);
}

int CScrollModel::Clamp(int nPos) const {
    return std::max(0, std::min(nPos, BottomPos()));
}

bool CScrollModel::Apply(ScrollAction action, int nTrack) {
    if (!m_bShown) return false;
    int nPos = m_nPos;
    switch (action) {
    case ScrollAction::LineUp: nPos -= 1; break;
    case ScrollAction::LineDown: nPos += 1; break;
    case ScrollAction::PageUp: nPos -= m_nPage; break;
    case ScrollAction::PageDown: nPos += m_nPage; break;
    case ScrollAction::Track: nPos = std::min(nTrack, BottomPos()); break;
    case ScrollAction::Top: nPos = 0; break;
    case ScrollAction::Bottom: nPos = BottomPos(); break;
    case ScrollAction::EndScroll: return false;
    }
    nPos = Clamp(nPos);
    m_bUserScrolled = nPos <= m_nMax - m_nPage;
    const bool bChanged = nPos != m_nPos;
    m_nPos = nPos;
    return bChanged;
}
