// The transcript layout without files or windows: records written byte for byte, the layout
// check, both layouts read back, field cuts, and inputs a user may be handed.
#include "transcript/TranscriptFormat.h"

#include "TranscriptTestSupport.h"

#include <gtest/gtest.h>

#include <iterator>
#include <random>

namespace {

using transcripttest::Bytes;
using transcripttest::Message;
using transcripttest::Notice;
using transcripttest::ReadAll;

std::wstring Encode(const std::vector<MessageItem>& items) {
    std::wstring out;
    for (const MessageItem& item : items)
        QxAppendRecord(item, out);
    return out;
}

TEST(TranscriptRecord, MessageAndNoticeAreLaidOutFieldByField) {
    EXPECT_EQ(Encode({Message(L"Ann", L" to Everyone:", L"hello", L"December 6, 2026", L"9:05:07 AM")}),
              L"December 6, 2026\t    9:05:07 AM\t    Ann\v to Everyone:\thello\r\n\n");
    EXPECT_EQ(Encode({Notice(L"Bob joined", L"d", L"t")}), L"d\t    t\t    \tBob joined\r\n\n");
    MessageItem header;
    header.kind = ITEM_HEADER;
    header.text = L"Ann to Everyone:";
    EXPECT_EQ(Encode({header}), L"") << "header lines are not records";
    MessageItem highlighted = Notice(L"Recording", L"d", L"t");
    highlighted.kind = ITEM_HIGHLIGHT;
    EXPECT_EQ(Encode({highlighted}), L"d\t    t\t    \tRecording\r\n\n");
}

TEST(TranscriptRecord, LongRecordsAreWrittenWhole) {
    // Far past 1499 characters: long header parts and a text of 1000 characters.
    const std::wstring sender(400, L's'), rest(400, L'r'), text = std::wstring(999, L'x') + L"!";
    const std::wstring record = Encode({Message(sender, rest, text, std::wstring(200, L'd'), L"t")});
    EXPECT_GT(record.size(), 1499u);
    EXPECT_EQ(record.substr(record.size() - 5), L"x!\r\n\n");
    EXPECT_NE(record.find(sender + L"\v" + rest + L"\t" + text), std::wstring::npos);
}

// Every kind, empty and long fields, texts beyond the basic plane, lone surrogates, NULs and the
// layout's own separators inside fields: the encoder gives the first writer's characters, and
// writes exactly the length it announced.
TEST(TranscriptRecord, EncoderGivesTheFirstWritersCharactersForAnyItem) {
    std::mt19937 random(20261209);
    const wchar_t alphabet[] = {L'a',   L'Z',   L' ',   L'\t',  L'\r',  L'\n',  L'\v', L'\0',
                                0x00E9, 0x4E2D, 0xD83D, 0xDE00, 0xDC00, 0xFEFF, 0xFFFF};
    const size_t lengths[] = {0, 0, 1, 2, 7, 8, 15, 40, 300};
    auto text = [&] {
        std::wstring s(lengths[random() % std::size(lengths)], L'a');
        for (wchar_t& c : s)
            c = alphabet[random() % std::size(alphabet)];
        return s;
    };
    const std::wstring longText(70000, L'\x4E2D');
    std::vector<MessageItem> items = {Message(L"", L"", L"", L"", L""), Notice(L"", L"", L""),
                                      Message(longText, longText, longText, longText, longText),
                                      Notice(longText, longText, longText)};
    for (int i = 0; i < 3000; ++i) {
        MessageItem item = Message(text(), text(), text(), text(), text());
        item.kind = static_cast<DWORD>(random() % 6); // 0 and 5 are no kinds, 1 is a header line
        items.push_back(item);
    }
    constexpr wchar_t kGuard = 0x5A5A;
    for (size_t i = 0; i < items.size(); ++i) {
        std::wstring expected;
        transcripttest::ReferenceRecord(items[i], expected);
        ASSERT_EQ(QxRecordLength(items[i]), expected.size()) << i;
        std::vector<wchar_t> buffer(expected.size() + 4, kGuard);
        const wchar_t* pBegin = buffer.data();
        const wchar_t* pEnd = QxEncodeRecord(items[i], buffer.data());
        ASSERT_EQ(std::wstring(pBegin, pEnd), expected) << i;
        ASSERT_EQ(std::wstring(pEnd, pBegin + buffer.size()), std::wstring(4, kGuard)) << i;
        std::wstring appended = L"before";
        QxAppendRecord(items[i], appended);
        ASSERT_EQ(appended, L"before" + expected) << i;
    }
}

TEST(TranscriptCut, NeverSplitsASurrogatePair) {
    const std::wstring pair = L"\xD83D\xDE00";
    const std::wstring text = std::wstring(4, L'a') + pair + L"b";
    EXPECT_EQ(QxCutField(text.c_str(), text.size(), 6), std::wstring(4, L'a') + pair);
    EXPECT_EQ(QxCutField(text.c_str(), text.size(), 5), std::wstring(4, L'a'))
        << "the high half is dropped too";
    EXPECT_EQ(QxCutField(text.c_str(), text.size(), 4), std::wstring(4, L'a'));
    EXPECT_EQ(QxCutField(text.c_str(), text.size(), 100), text);
    const std::wstring lone = L"ab\xDE00";
    EXPECT_EQ(QxCutField(lone.c_str(), lone.size(), 3), lone) << "a lone low half is kept as it is";
}

struct LayoutCase {
    const wchar_t* name;
    std::wstring text;
    bool ok;
};

TEST(TranscriptLayout, CheckOfBothLayouts) {
    const std::wstring stamp = L"12/06/2026    09:05:07 AM    ";
    // The window of 199 characters starts at the fourth space of the first field end.
    const std::wstring tooFar = L"d\t    " + std::wstring(194, L't') + L"\t    x";
    const std::wstring justIn = L"d\t    " + std::wstring(193, L't') + L"\t    x";
    const std::vector<LayoutCase> cases = {
        {L"current", L"d\t    t\t    s\vr\ttext\r\n\n", true},
        {L"current notice", L"d\t    t\t    \tnote\r\n\n", true},
        {L"begins with a space", L" d\t    t\t    s\vr\ttext\r\n\n", false},
        {L"second field beyond the window", tooFar, false},
        {L"second field at the window's end", justIn, true},
        {L"older", stamp + L"Ann:\thi\r\n", true},
        {L"older, PM and blanks", L"01/02/1999    23:59:59       Ann:\thi\r\n", true},
        {L"older without tab", stamp + L"Ann: hi\r\n", false},
        {L"older, letter in the date", L"1a/06/2026    09:05:07 AM    Ann:\thi", false},
        {L"older, bad meridiem", L"12/06/2026    09:05:07 XM    Ann:\thi", false},
        {L"older, too short", L"12/06/2026    09:05:07 AM", false},
        {L"one field only", L"d\t    text without a second", false},
        {L"empty", L"", false},
        {L"only tabs", std::wstring(5000, L'\t'), false},
    };
    for (const LayoutCase& c : cases)
        EXPECT_EQ(QxCheckTranscriptLayout(c.text.c_str(), c.text.size()), c.ok) << c.name;
}

TEST(TranscriptRead, CurrentLayoutKeepsEveryField) {
    const std::vector<QxTranscriptRecord> records =
        ReadAll(L"d1\t    t1\t    Ann\v to all:\tfirst\r\n\nd2\t    t2\t    \tnotice\r\n\n"
                L"d3\t    t3\t    Bob\v:\tsecond\r\n\n");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].date, L"d1");
    EXPECT_EQ(records[0].time, L"t1");
    EXPECT_EQ(records[0].senderPart, L"Ann");
    EXPECT_EQ(records[0].restPart, L" to all:");
    EXPECT_EQ(records[0].text, L"first");
    EXPECT_TRUE(QxRecordIsMessage(records[0]));
    EXPECT_FALSE(QxRecordIsMessage(records[1])) << "notices have no header parts";
    EXPECT_EQ(records[2].text, L"second");
}

TEST(TranscriptRead, OlderLayoutHasNoDateOrTime) {
    const std::vector<QxTranscriptRecord> records =
        ReadAll(L"12/06/2026    09:05:07 AM    Ann\v to all:\thello\r\n\n"
                L"12/06/2026    09:06:00 PM    Bob\v:\tagain\n");
    ASSERT_EQ(records.size(), 2u);
    for (const QxTranscriptRecord& r : records) {
        EXPECT_FALSE(r.bCurrentLayout);
        EXPECT_EQ(r.date, L"");
        EXPECT_EQ(r.time, L"");
        EXPECT_TRUE(QxRecordIsMessage(r));
    }
    EXPECT_EQ(records[0].senderPart, L"Ann");
    EXPECT_EQ(records[1].text, L"again");
}

TEST(TranscriptRead, WhichRecordsBecomeMessages) {
    struct Case {
        const wchar_t* name;
        std::wstring record;
        bool message;
    };
    const std::vector<Case> cases = {
        {L"sender only", L"d\t    t\t    Ann\v\tx\r\n\n", true},
        {L"rest only", L"d\t    t\t    \v to all\tx\r\n\n", true},
        {L"both parts empty", L"d\t    t\t    \v\tx\r\n\n", false},
        {L"no vertical tab", L"d\t    t\t    Ann to all\tx\r\n\n", false},
        {L"empty text", L"d\t    t\t    Ann\v:\t\r\n\n", false},
    };
    for (const Case& c : cases) {
        const auto records = ReadAll(c.record);
        ASSERT_EQ(records.size(), 1u) << c.name;
        EXPECT_EQ(QxRecordIsMessage(records[0]), c.message) << c.name;
    }
}

TEST(TranscriptRead, RecordEndsAndWhereReadingStops) {
    // CR LF inside a text stays; the first CR LF LF ends it.
    auto records = ReadAll(L"d\t    t\t    A\v:\tline one\r\nline two\r\n\nd\t    t\t    B\v:\tnext\r\n\n");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].text, L"line one\r\nline two");
    // The alternative build's records end in LF alone.
    records = ReadAll(L"d\t    t\t    A\v:\tone\nd\t    t\t    B\v:\ttwo\n");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].text, L"two");
    // A last record without an end is not read; neither is one without a header tab.
    EXPECT_EQ(ReadAll(L"d\t    t\t    A\v:\tone\r\n\nd\t    t\t    B\v:\tunfinished").size(), 1u);
    EXPECT_EQ(ReadAll(L"d\t    t\t    A\v: no tab at all").size(), 0u);
    EXPECT_EQ(ReadAll(L"d\t    t no second run\ttext\r\n\n").size(), 0u);
}

TEST(TranscriptRead, FieldsAreCutWithoutSplittingPairs) {
    const std::wstring pair = L"\xD83D\xDE00";
    const std::wstring longDate = std::wstring(298, L'd') + pair;            // 300 units, pair across 299
    const std::wstring longText = std::wstring(4094, L'x') + pair + L"tail"; // pair across 4095
    const auto records = ReadAll(longDate + L"\t    t\t    " + std::wstring(500, L's') + L"\v" +
                                 std::wstring(300, L'r') + L"\t" + longText + L"\r\n\n");
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].date, std::wstring(298, L'd'));
    EXPECT_EQ(records[0].senderPart.size(), 299u);
    EXPECT_EQ(records[0].restPart.size(), 299u);
    EXPECT_EQ(records[0].text, std::wstring(4094, L'x'));
}

TEST(TranscriptRead, RoundTripKeepsTextsOutsideTheBasicPlaneTabsAndLineBreaks) {
    std::mt19937 random(7);
    const std::wstring alphabet = L"abc XYZ\t\r\n\xD83D\xDE00\x00E9\x4E2D";
    std::vector<MessageItem> items;
    for (int i = 0; i < 300; ++i) {
        std::wstring text;
        const int n = 1 + static_cast<int>(random() % 40);
        for (int k = 0; k < n; ++k) {
            const size_t at = random() % (alphabet.size() - 1);
            // Pairs go in whole; a CR LF LF would end the record, so LF never follows CR LF.
            if (alphabet[at] == 0xD83D || alphabet[at] == 0xDE00)
                text += L"\xD83D\xDE00";
            else if (alphabet[at] == L'\n' && text.size() >= 2 &&
                     text.compare(text.size() - 2, 2, L"\r\n") == 0)
                text += L'x';
            else
                text += alphabet[at];
        }
        if (text.back() == L'\r') text += L'.'; // a trailing CR would join the record's end
        items.push_back(Message(L"S\xD83D\xDE00" + std::to_wstring(i), L" to all:", text, L"d", L"t"));
    }
    const auto records = ReadAll(Encode(items));
    ASSERT_EQ(records.size(), items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(records[i].text, items[i].text) << i;
        EXPECT_EQ(records[i].senderPart, items[i].senderPart) << i;
    }
}

TEST(TranscriptRead, TextHoldingTheRecordEndIsCutThere) {
    const auto records = ReadAll(Encode({Message(L"A", L":", L"before\r\n\nafter", L"d", L"t")}));
    ASSERT_GE(records.size(), 1u);
    EXPECT_EQ(records[0].text, L"before");
}

TEST(TranscriptBytes, MarkEmptyFilesAndOddLengths) {
    EXPECT_EQ(QxReadTranscriptBytes(nullptr, 0, [](const QxTranscriptRecord&) { return true; }),
              QxTranscriptCheck::Empty);
    const std::vector<unsigned char> withMark = Bytes(L"d\t    t\t    A\v:\tx\r\n\n", true);
    const std::vector<unsigned char> withoutMark = Bytes(L"d\t    t\t    A\v:\tx\r\n\n", false);
    int n = 0;
    auto count = [&n](const QxTranscriptRecord&) { return ++n, true; };
    EXPECT_EQ(QxReadTranscriptBytes(withoutMark.data(), withoutMark.size(), count),
              QxTranscriptCheck::NoLayout);
    EXPECT_EQ(QxReadTranscriptBytes(withMark.data(), 1, count), QxTranscriptCheck::NoLayout);
    EXPECT_EQ(QxReadTranscriptBytes(withMark.data(), 2, count), QxTranscriptCheck::NoLayout) << "mark only";
    std::vector<unsigned char> odd = withMark;
    odd.push_back(0x41);
    EXPECT_EQ(QxReadTranscriptBytes(odd.data(), odd.size(), count), QxTranscriptCheck::Ok);
    EXPECT_EQ(n, 1) << "the odd last byte is ignored";
}

TEST(TranscriptBytes, HostileInputsEndCleanly) {
    const std::wstring record = L"d\t    t\t    A\v:\tx\r\n\n";
    const std::vector<std::pair<const wchar_t*, std::wstring>> inputs = {
        {L"only tabs", std::wstring(100000, L'\t')},
        {L"tabs and spaces", std::wstring(50000, L'\t') + std::wstring(50000, L' ')},
        {L"field markers only",
         [] {
             std::wstring s;
             for (int i = 0; i < 20000; ++i)
                 s += L"\t    ";
             return s;
         }()},
        {L"NUL in the middle", record + std::wstring(1, L'\0') + record},
        {L"unpaired surrogates", L"d\t    t\t    \xD800\v\xDC00\t\xD800\xD800\r\n\n" + record},
        {L"record longer than every buffer",
         L"d\t    t\t    " + std::wstring(100000, L's') + L"\v\t" + std::wstring(200000, L'x') + L"\r\n\n"},
        {L"LF-ended records, many",
         [] {
             std::wstring s;
             for (int i = 0; i < 20000; ++i)
                 s += L"d\t    t\t    A\v:\tx\n";
             return s;
         }()},
    };
    for (const auto& input : inputs) {
        const std::vector<unsigned char> bytes = Bytes(input.second, true);
        size_t nRecords = 0;
        QxReadTranscriptBytes(bytes.data(), bytes.size(), [&](const QxTranscriptRecord& r) {
            EXPECT_LE(r.date.size(), kTranscriptFieldMax);
            EXPECT_LE(r.text.size(), kTranscriptTextMax);
            return ++nRecords, true;
        });
        EXPECT_LE(nRecords, input.second.size()) << input.first;
    }
}

} // namespace
