#include "DemoChecks.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace demo {

namespace {

constexpr wchar_t kRecordEnd[] = L"\r\n\n";
constexpr wchar_t kFieldEnd[] = L"\t    ";
constexpr wchar_t kByteOrderMark = 0xFEFF;

bool IsColour(const ScreenImage& image, int x, int y, COLORREF colour) {
    const uint8_t* px = image.rgb.data() + (static_cast<size_t>(y) * image.width + x) * 3;
    return px[0] == GetRValue(colour) && px[1] == GetGValue(colour) && px[2] == GetBValue(colour);
}

RECT Clip(const ScreenImage& image, const RECT& rc) {
    RECT out = {std::max(0L, static_cast<long>(rc.left)), std::max(0L, static_cast<long>(rc.top)),
                std::min(static_cast<long>(image.width), static_cast<long>(rc.right)),
                std::min(static_cast<long>(image.height), static_cast<long>(rc.bottom))};
    return out;
}

} // namespace

std::vector<TranscriptRecord> TranscriptRecords(const std::wstring& content) {
    std::vector<TranscriptRecord> records;
    size_t start = 0;
    while (start < content.size()) {
        size_t end = content.find(kRecordEnd, start);
        if (end == std::wstring::npos) end = content.size();
        const std::wstring record = content.substr(start, end - start);
        start = end + std::size(kRecordEnd) - 1;
        // Date and time each end in a tab and four spaces; the text follows the record's last tab.
        const size_t afterDate = record.find(kFieldEnd);
        const size_t afterTime =
            afterDate == std::wstring::npos ? afterDate : record.find(kFieldEnd, afterDate + 1);
        const size_t tab = record.rfind(L'\t');
        if (afterTime == std::wstring::npos || tab < afterTime + std::size(kFieldEnd) - 1) continue;
        const size_t headerStart = afterTime + std::size(kFieldEnd) - 1;
        records.push_back({record.substr(headerStart, tab - headerStart), record.substr(tab + 1)});
    }
    return records;
}

std::vector<std::wstring> TranscriptTexts(const std::wstring& content) {
    std::vector<std::wstring> texts;
    for (const TranscriptRecord& record : TranscriptRecords(content))
        texts.push_back(record.text);
    return texts;
}

bool ReadTranscriptFile(const std::wstring& path, std::wstring* pContent) {
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (!f) return false;
    std::vector<char> bytes;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes.insert(bytes.end(), buffer, buffer + n);
    fclose(f);
    if (bytes.size() < 2 || bytes.size() % 2 != 0) return false;
    std::wstring content(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<wchar_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                          (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
    if (content[0] != kByteOrderMark) return false;
    *pContent = content.substr(1);
    return true;
}

int LongestColourRun(const ScreenImage& image, const RECT& rc, COLORREF colour) {
    const RECT r = Clip(image, rc);
    int longest = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        int run = 0;
        for (int x = r.left; x < r.right; ++x) {
            run = IsColour(image, x, y, colour) ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

int LastRowDrawn(const ScreenImage& image, const RECT& rc, COLORREF background) {
    const RECT r = Clip(image, rc);
    for (int y = r.bottom - 1; y >= r.top; --y)
        for (int x = r.left; x < r.right; ++x)
            if (!IsColour(image, x, y, background)) return y;
    return -1;
}

int CountColour(const ScreenImage& image, const RECT& rc, COLORREF colour) {
    const RECT r = Clip(image, rc);
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            n += IsColour(image, x, y, colour);
    return n;
}

} // namespace demo
