#include "window/LinkDetection.h"

#include <cwctype>

namespace {

struct Prefix {
    const wchar_t* lpszText;       // lower case
    const wchar_t* lpszTargetHead; // put before the word to make the target
};

const Prefix kPrefixes[] = {
    {L"http://", L""}, {L"https://", L""}, {L"ftp:/", L""}, {L"ftp.", L"ftp://"}, {L"www.", L"http://"},
};

enum class State { BetweenWords, NonLinkWord, InPrefix, AfterPrefix };

bool IsSpace(wchar_t c) {
    return std::iswspace(c) != 0;
}

// The one character a word may end with that is not part of its address.
bool IsTrailingMark(wchar_t c) {
    switch (c) {
    case L'"':
    case L'\'':
    case L'(':
    case L')':
    case L',':
    case L'.':
    case L';':
    case L'[':
    case L']':
    case L'{':
    case L'}': return true;
    default: return false;
    }
}

// The prefixes whose first nLength characters equal the scanned ones; nullptr when none, and
// *pbComplete when one of them is exactly that long.
const Prefix* MatchPrefix(const std::wstring& strLower, size_t nLength, bool* pbComplete) {
    for (const Prefix& p : kPrefixes) {
        const std::wstring strPrefix(p.lpszText);
        if (nLength > strPrefix.size() || strLower.compare(0, nLength, strPrefix, 0, nLength) != 0) continue;
        *pbComplete = nLength == strPrefix.size();
        return &p;
    }
    return nullptr;
}

LinkRange MakeLink(const std::wstring& strText, int nFirst, int nLast, const Prefix& prefix) {
    std::wstring strWord = strText.substr(nFirst, nLast - nFirst + 1);
    if (IsTrailingMark(strWord.back())) strWord.pop_back();
    return LinkRange{nFirst, nLast, strWord, prefix.lpszTargetHead + strWord};
}

} // namespace

std::vector<LinkRange> QxDetectLinks(const std::wstring& strText) {
    std::vector<LinkRange> links;
    const int n = static_cast<int>(strText.size());
    State state = State::BetweenWords;
    int nWordStart = 0, nPrefixEnd = 0;
    const Prefix* pPrefix = nullptr;
    std::wstring strScanned; // the current word's prefix so far, in lower case
    for (int i = 0; i < n; ++i) {
        const wchar_t c = strText[i];
        const wchar_t lower = static_cast<wchar_t>(std::towlower(c));
        switch (state) {
        case State::BetweenWords:
            if (IsSpace(c)) break;
            nWordStart = i;
            if (lower == L'f' || lower == L'h' || lower == L'w') {
                strScanned.assign(1, lower);
                state = State::InPrefix;
            } else {
                state = State::NonLinkWord;
            }
            break;
        case State::NonLinkWord:
            if (IsSpace(c)) state = State::BetweenWords;
            break;
        case State::InPrefix: {
            strScanned.push_back(lower);
            bool bComplete = false;
            pPrefix = MatchPrefix(strScanned, strScanned.size(), &bComplete);
            if (!pPrefix)
                state = IsSpace(c) ? State::BetweenWords : State::NonLinkWord;
            else if (bComplete) {
                state = State::AfterPrefix;
                nPrefixEnd = i + 1;
            }
            break;
        }
        case State::AfterPrefix:
            // The scan of the word ends at white space or at the text's last character; a word
            // whose end comes right after its prefix holds no address.
            if (IsSpace(c)) {
                if (i != nPrefixEnd) links.push_back(MakeLink(strText, nWordStart, i - 1, *pPrefix));
                state = State::BetweenWords;
            } else if (i == n - 1) {
                if (i != nPrefixEnd) links.push_back(MakeLink(strText, nWordStart, i, *pPrefix));
            }
            break;
        }
    }
    return links;
}
