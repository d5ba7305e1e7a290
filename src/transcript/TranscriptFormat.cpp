#include "transcript/TranscriptFormat.h"

#include <cstring>
#include <cwchar>

namespace {

constexpr wchar_t kFieldEnd[] = L"\t    "; // after the date and after the time
constexpr wchar_t kRun[] = L"    ";        // the four-space run that ends those fields
constexpr wchar_t kSenderMark = L'\v';
constexpr wchar_t kRecordEnd[] = L"\r\n\n";
constexpr size_t kFieldEndLength = 5, kRecordEndLength = 3;
static_assert(sizeof(kFieldEnd) / sizeof(wchar_t) == kFieldEndLength + 1 &&
                  sizeof(kRecordEnd) / sizeof(wchar_t) == kRecordEndLength + 1,
              "lengths of the fixed pieces");
constexpr size_t npos = static_cast<size_t>(-1);

wchar_t* Put(wchar_t* p, const wchar_t* pText, size_t n) {
    memcpy(p, pText, n * sizeof(wchar_t));
    return p + n;
}

wchar_t* Put(wchar_t* p, const std::wstring& text) {
    return Put(p, text.data(), text.size());
}

bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

// First index at or after nFrom where the needle stands, or npos.
size_t FindIn(const wchar_t* p, size_t n, size_t nFrom, const wchar_t* pNeedle, size_t nNeedle) {
    if (nNeedle == 0 || n < nNeedle) return npos;
    for (size_t i = nFrom; i + nNeedle <= n; ++i) {
        const wchar_t* hit = wmemchr(p + i, pNeedle[0], n - nNeedle + 1 - i);
        if (!hit) return npos;
        i = static_cast<size_t>(hit - p);
        if (wmemcmp(hit, pNeedle, nNeedle) == 0) return i;
    }
    return npos;
}

// Searches that always move forward. The first occurrence at or after a position is remembered,
// so that a later search from a position not past it costs nothing; without this a file whose
// records end in LF alone would be scanned to its end once per record looking for CR LF LF.
class ForwardFinder {
public:
    ForwardFinder(const wchar_t* p, size_t n, const wchar_t* pNeedle)
        : m_p(p), m_n(n), m_pNeedle(pNeedle), m_nNeedle(wcslen(pNeedle)) {}
    size_t Find(size_t nFrom) {
        if (m_bKnown && nFrom >= m_nFrom && (m_nFound == npos || nFrom <= m_nFound)) return m_nFound;
        m_nFrom = nFrom;
        m_nFound = FindIn(m_p, m_n, nFrom, m_pNeedle, m_nNeedle);
        m_bKnown = true;
        return m_nFound;
    }

private:
    const wchar_t* m_p;
    size_t m_n;
    const wchar_t* m_pNeedle;
    size_t m_nNeedle;
    bool m_bKnown = false;
    size_t m_nFrom = 0, m_nFound = npos;
};

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

// "%02d/%02d/%04d    %02d:%02d:%02d %c%c    " with A, P or a space, then M or a space.
bool IsOlderStamp(const wchar_t* p) {
    static const char kShape[] = "dd/dd/dddd    dd:dd:dd ??    ";
    static_assert(sizeof(kShape) - 1 == kOlderStampLength, "stamp width");
    for (size_t i = 0; i < kOlderStampLength; ++i) {
        const char shape = kShape[i];
        const wchar_t c = p[i];
        if (shape == 'd') {
            if (!IsDigit(c)) return false;
        } else if (shape == '?') {
            const bool bFirst = kShape[i - 1] == ' ';
            if (bFirst ? (c != L'A' && c != L'P' && c != L' ') : (c != L'M' && c != L' ')) return false;
        } else if (c != static_cast<wchar_t>(shape)) {
            return false;
        }
    }
    return true;
}

bool TwoSpacesAt(const wchar_t* p, size_t n, size_t i) {
    return i + 2 <= n && p[i] == L' ' && p[i + 1] == L' ';
}

// The cut length of a field of nLength characters (see QxCutField).
size_t CutLength(const wchar_t* pText, size_t nLength, size_t nMax) {
    if (nLength <= nMax) return nLength;
    return nMax > 0 && IsHighSurrogate(pText[nMax - 1]) ? nMax - 1 : nMax;
}

// Fields are assigned into the record's strings, whose room is reused from record to record.
void AssignCut(std::wstring& out, const wchar_t* pText, size_t nLength, size_t nMax) {
    out.assign(pText, CutLength(pText, nLength, nMax));
}

// The text of [nBegin, nEnd) without one trailing tab.
void AssignBeforeRun(std::wstring& out, const wchar_t* p, size_t nBegin, size_t nEnd) {
    if (nEnd > nBegin && p[nEnd - 1] == L'\t') --nEnd;
    AssignCut(out, p + nBegin, nEnd - nBegin, kTranscriptFieldMax);
}

} // namespace

bool QxIsRecordKind(DWORD kind) {
    return kind == ITEM_TEXT || kind == ITEM_NOTICE || kind == ITEM_HIGHLIGHT;
}

size_t QxRecordLength(const MessageItem& item) {
    if (!QxIsRecordKind(item.kind)) return 0;
    size_t n = item.date.size() + kFieldEndLength + item.time.size() + kFieldEndLength + 1 +
               item.text.size() + kRecordEndLength;
    if (item.kind == ITEM_TEXT) n += item.senderPart.size() + 1 + item.restPart.size();
    return n;
}

wchar_t* QxEncodeRecord(const MessageItem& item, wchar_t* p) {
    if (!QxIsRecordKind(item.kind)) return p;
    p = Put(p, item.date);
    p = Put(p, kFieldEnd, kFieldEndLength);
    p = Put(p, item.time);
    p = Put(p, kFieldEnd, kFieldEndLength);
    if (item.kind == ITEM_TEXT) {
        p = Put(p, item.senderPart);
        *p++ = kSenderMark;
        p = Put(p, item.restPart);
    }
    *p++ = L'\t';
    p = Put(p, item.text);
    return Put(p, kRecordEnd, kRecordEndLength);
}

void QxAppendRecord(const MessageItem& item, std::wstring& out) {
    const size_t nStart = out.size();
    out.resize(nStart + QxRecordLength(item));
    QxEncodeRecord(item, &out[0] + nStart);
}

std::wstring QxCutField(const wchar_t* pText, size_t nLength, size_t nMax) {
    return std::wstring(pText, CutLength(pText, nLength, nMax));
}

bool QxCheckTranscriptLayout(const wchar_t* p, size_t n) {
    const size_t nEnd = wcslen(kFieldEnd);
    const size_t first = FindIn(p, n, 0, kFieldEnd, nEnd);
    const size_t second = first == npos ? npos : FindIn(p, n, first + nEnd, kFieldEnd, nEnd);
    if (second != npos) {
        if (n == 0 || p[0] == L' ') return false;
        // The window starts at the fourth space of the first "\t    ".
        const size_t nWindowStart = first + nEnd - 1;
        const size_t nWindowEnd =
            nWindowStart + kLayoutCheckWindow < n ? nWindowStart + kLayoutCheckWindow : n;
        return FindIn(p, nWindowEnd, nWindowStart, kFieldEnd, nEnd) != npos;
    }
    if (n < kOlderStampLength || !IsOlderStamp(p)) return false;
    return wmemchr(p + kOlderStampLength, L'\t', n - kOlderStampLength) != nullptr;
}

bool QxRecordIsMessage(const QxTranscriptRecord& record) {
    return (!record.senderPart.empty() || !record.restPart.empty()) && !record.text.empty();
}

size_t QxReadTranscriptRecords(const wchar_t* p, size_t n,
                               const std::function<bool(const QxTranscriptRecord&)>& sink) {
    // Each search has its own finder so that each one's positions only grow.
    ForwardFinder tabs(p, n, L"\t"), headerTabs(p, n, L"\t"), runs(p, n, kRun);
    ForwardFinder crlflf(p, n, L"\r\n\n"), crlf(p, n, L"\r\n"), lf(p, n, L"\n");
    const size_t nRun = wcslen(kRun);
    size_t pos = 0, nRecords = 0;
    QxTranscriptRecord record;
    while (pos < n) {
        const size_t tab1 = tabs.Find(pos);
        if (tab1 == npos) break;
        const size_t run1 = runs.Find(pos);
        const size_t run2 = run1 == npos ? npos : runs.Find(run1 + nRun);
        if (run2 == npos) break;
        const size_t tab2 = tabs.Find(tab1 + 1);
        record.bCurrentLayout = TwoSpacesAt(p, n, tab1 + 1) && tab2 != npos && TwoSpacesAt(p, n, tab2 + 1);
        if (record.bCurrentLayout) {
            AssignBeforeRun(record.date, p, pos, run1);
            AssignBeforeRun(record.time, p, run1 + nRun, run2);
        } else {
            record.date.clear();
            record.time.clear();
        }
        const size_t headerStart = run2 + nRun;
        const size_t headerTab = headerTabs.Find(headerStart);
        if (headerTab == npos) break;
        const wchar_t* pMark = wmemchr(p + headerStart, kSenderMark, headerTab - headerStart);
        if (pMark) {
            const size_t mark = static_cast<size_t>(pMark - p);
            AssignCut(record.senderPart, p + headerStart, mark - headerStart, kTranscriptFieldMax);
            AssignCut(record.restPart, pMark + 1, headerTab - mark - 1, kTranscriptFieldMax);
        } else {
            record.senderPart.clear();
            record.restPart.clear();
        }
        const size_t textStart = headerTab + 1;
        // Every end holds an LF: without one nothing else needs looking for.
        size_t end = lf.Find(textStart), nEndLength = 1;
        if (end == npos) break;
        if (const size_t full = crlflf.Find(textStart); full != npos)
            end = full, nEndLength = 3;
        else if (const size_t pair = crlf.Find(textStart); pair != npos)
            end = pair, nEndLength = 2;
        AssignCut(record.text, p + textStart, end - textStart, kTranscriptTextMax);
        ++nRecords;
        if (!sink(record)) break;
        pos = end + nEndLength;
    }
    return nRecords;
}

QxTranscriptCheck QxReadTranscriptBytes(const unsigned char* pBytes, size_t nBytes,
                                        const std::function<bool(const QxTranscriptRecord&)>& sink) {
    if (nBytes == 0) return QxTranscriptCheck::Empty;
    if (nBytes < 2 || pBytes[0] != kTranscriptBom[0] || pBytes[1] != kTranscriptBom[1])
        return QxTranscriptCheck::NoLayout;
    // UTF-16 units start right after the mark; x86 reads them at any alignment.
    const wchar_t* pText = reinterpret_cast<const wchar_t*>(pBytes + 2);
    const size_t nLength = (nBytes - 2) / sizeof(wchar_t);
    if (!QxCheckTranscriptLayout(pText, nLength)) return QxTranscriptCheck::NoLayout;
    QxReadTranscriptRecords(pText, nLength, sink);
    return QxTranscriptCheck::Ok;
}
