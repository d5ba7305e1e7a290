// Link detection: which words become links, their ranges, display texts and targets.
#include "window/LinkDetection.h"

#include <gtest/gtest.h>

namespace {

struct Expected {
    int nFirst, nLast;
    const wchar_t* text;
    const wchar_t* target;
};

struct Case {
    const wchar_t* input;
    std::vector<Expected> links;
};

TEST(LinkDetection, TableOfTexts) {
    const Case cases[] = {
        // The prefixes, each followed by something.
        {L"http://a.b", {{0, 9, L"http://a.b", L"http://a.b"}}},
        {L"https://x.org/p?q=1", {{0, 18, L"https://x.org/p?q=1", L"https://x.org/p?q=1"}}},
        {L"ftp:/host", {{0, 8, L"ftp:/host", L"ftp:/host"}}},
        {L"ftp.host.org", {{0, 11, L"ftp.host.org", L"ftp://ftp.host.org"}}},
        {L"www.site.com", {{0, 11, L"www.site.com", L"http://www.site.com"}}},
        // A "www." word ending in a full stop: the stop leaves text and target, not the range.
        {L"see www.example.com.", {{4, 19, L"www.example.com", L"http://www.example.com"}}},
        // Prefixes alone are no links, at the end of the text or before white space.
        {L"http://", {}},
        {L"ftp.", {}},
        {L"www.", {}},
        {L"http:// x", {}},
        {L"www. next", {}},
        // The scan ignores case; the target keeps the text's.
        {L"HTTPS://AB", {{0, 9, L"HTTPS://AB", L"HTTPS://AB"}}},
        {L"Go to WWW.Site.Org now", {{6, 17, L"WWW.Site.Org", L"http://WWW.Site.Org"}}},
        // The scan of a word ends at the text's last character: one character after the prefix
        // at the very end is no link, while the same word before white space is one.
        {L"www.a", {}},
        {L"www.a ", {{0, 4, L"www.a", L"http://www.a"}}},
        {L"www.ab", {{0, 5, L"www.ab", L"http://www.ab"}}},
        // A prefix must start the word.
        {L"xhttp://a.b", {}},
        {L"(www.a.b)", {}},
        {L"see:http://a.b", {}},
        // Wrong prefixes.
        {L"http:/a.b ftp//x wwww.x htp://y", {}},
        {L"ftp:a", {}},
        // One trailing mark of each kind is removed, only one.
        {L"www.a.b) ", {{0, 7, L"www.a.b", L"http://www.a.b"}}},
        {L"http://a.b\"", {{0, 10, L"http://a.b", L"http://a.b"}}},
        {L"http://a.b''", {{0, 11, L"http://a.b'", L"http://a.b'"}}},
        {L"http://a/b; ", {{0, 10, L"http://a/b", L"http://a/b"}}},
        {L"http://a/b]", {{0, 10, L"http://a/b", L"http://a/b"}}},
        {L"http://a/b}", {{0, 10, L"http://a/b", L"http://a/b"}}},
        {L"http://a/b!", {{0, 10, L"http://a/b!", L"http://a/b!"}}},
        // Several links, separated by any white space.
        {L"www.a.b\thttp://c.d\r\nftp.e.f",
         {{0, 6, L"www.a.b", L"http://www.a.b"},
          {8, 17, L"http://c.d", L"http://c.d"},
          {20, 26, L"ftp.e.f", L"ftp://ftp.e.f"}}},
        // Other schemes are never links.
        {L"file:///c:/x javascript:alert(1) \\\\server\\share mailto:a@b", {}},
        {L"", {}},
    };
    for (const Case& c : cases) {
        const std::vector<LinkRange> links = QxDetectLinks(c.input);
        ASSERT_EQ(links.size(), c.links.size()) << "input: " << testing::PrintToString(std::wstring(c.input));
        for (size_t i = 0; i < links.size(); ++i) {
            SCOPED_TRACE(testing::PrintToString(std::wstring(c.input)));
            EXPECT_EQ(links[i].nFirst, c.links[i].nFirst);
            EXPECT_EQ(links[i].nLast, c.links[i].nLast);
            EXPECT_EQ(links[i].strText, c.links[i].text);
            EXPECT_EQ(links[i].strTarget, c.links[i].target);
        }
    }
}

TEST(LinkDetection, LongAndStrangeTextsStayLinear) {
    const std::wstring longLink = L"http://" + std::wstring(5000, L'a');
    const auto links = QxDetectLinks(longLink + L" tail");
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].nLast, static_cast<int>(longLink.size()) - 1);
    EXPECT_EQ(links[0].strTarget, longLink);

    std::wstring many;
    for (int i = 0; i < 2000; ++i)
        many += L"www.x" + std::to_wstring(i) + L" ";
    EXPECT_EQ(QxDetectLinks(many).size(), 2000u);
    // Surrogate pairs and right-to-left letters inside an address are kept as they are.
    const std::wstring odd = L"www.\xD83D\xDE00\x05D0\x05D1.com";
    const auto oddLinks = QxDetectLinks(odd);
    ASSERT_EQ(oddLinks.size(), 1u);
    EXPECT_EQ(oddLinks[0].strTarget, L"http://" + odd);
}

} // namespace
