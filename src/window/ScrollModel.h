// The list's vertical geometry without a window: the running sums of the item heights and the
// scroll position in 12-pixel lines with the rule that follows new messages.
#pragma once

#include <deque>

// Item heights with their running sums (a Fenwick tree): the height above an item, the total
// and the item at a given offset cost a logarithm of the item count, not a walk of the list.
class CItemHeights {
public:
    int Count() const { return static_cast<int>(m_heights.size()); }
    void Append(int nHeight);
    void Set(int nIndex, int nHeight);
    int Height(int nIndex) const { return m_heights[nIndex]; }
    // Summed height of the items before nIndex (nIndex may be Count()).
    long long Above(int nIndex) const;
    long long Total() const { return m_total; }
    // The item whose vertical span [above, above + height) holds y; 0 above all items, the last
    // item below them; -1 with no items. Items of height 0 hold no y.
    int Find(long long y) const;
    // Every item's height becomes nHeight (one pass, for a width change).
    void Reset(int nHeight);

private:
    // Deques grow without moving what they hold: a long list is never copied into fresh memory.
    std::deque<int> m_heights;
    std::deque<long long> m_tree; // 1-based Fenwick sums
    long long m_total = 0;
};

// Where a scrolled view settles at a refresh: the top of the first item in view (the item at
// nShift), unless that top rounded down to a whole line lies inside the item before it; then
// the view keeps nShift, so that refreshes never creep the view upwards.
long long QxSettledViewTop(const CItemHeights& heights, long long nShift);

enum class ScrollAction { LineUp, LineDown, PageUp, PageDown, Track, Top, Bottom, EndScroll };

// Range 0 .. max with a page: the bottom position is max - page + 1.
class CScrollModel {
public:
    static constexpr int kLine = 12;

    bool Shown() const { return m_bShown; }
    int Pos() const { return m_nPos; }
    int Page() const { return m_nPage; }
    int Max() const { return m_nMax; }
    int BottomPos() const { return m_nMax - m_nPage + 1; }
    bool UserScrolled() const { return m_bUserScrolled; }
    // Pixels the content is drawn shifted up.
    long long Shift() const { return static_cast<long long>(m_nPos) * kLine; }

    // Whether a refresh scrolls to the newest item. Following from a scrolled-away view (the
    // user came back to the bottom) clears the user-scrolled flag.
    bool DecideFollow(bool bMouseSelecting, bool bIncrementalLayout);
    // New range and page for the total height; the position from the first visible item's
    // height-above (and that of the item before it), or the bottom when following.
    void Update(long long nTotal, int nClientHeight, long long nAboveFirst, long long nAboveBeforeFirst,
                bool bFollow);
    // A user's scroll step; nTrack is the thumb's tracking position. True when the position
    // changed. Ignored while everything fits.
    bool Apply(ScrollAction action, int nTrack = 0);

private:
    int Clamp(int nPos) const;

    bool m_bShown = false;
    int m_nPos = 0, m_nPage = 0, m_nMax = 0;
    bool m_bUserScrolled = false;
};
