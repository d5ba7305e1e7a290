// The quick phrases' macros: the replacement rule, the order of the four macros, and which
// participant fills them.
#include "engine/FAQMacros.h"
#include "participants/ChatItemData.h"

#include <gtest/gtest.h>

namespace {

FAQMacroValues Values(const wchar_t* lpszFirst, const wchar_t* lpszLast = L"", const wchar_t* lpszPhone = L"",
                      const wchar_t* lpszEmail = L"") {
    FAQMacroValues values;
    values.strFirstName = lpszFirst;
    values.strLastName = lpszLast;
    values.strPhone = lpszPhone;
    values.strEmail = lpszEmail;
    return values;
}

TEST(FAQMacroReplace, EveryOccurrenceIsReplacedOnceAndAnEmptyValueLeavesTheMacro) {
    struct Case {
        const wchar_t* text;
        const wchar_t* value;
        const wchar_t* expected;
    } cases[] = {
        {L"Hello %FirstName%", L"Ann", L"Hello Ann"},
        {L"%FirstName% and %FirstName%!", L"Bo", L"Bo and Bo!"},
        {L"%FirstName%%FirstName%", L"x", L"xx"},
        {L"Hello %FirstName%", L"", L"Hello %FirstName%"},
        {L"no macro here", L"Ann", L"no macro here"},
        {L"%firstname% is not the macro", L"Ann", L"%firstname% is not the macro"},
        // The value holds the macro: it is inserted once and the search goes on after it.
        {L"[%FirstName%]", L"%FirstName%", L"[%FirstName%]"},
        {L"%FirstName%-%FirstName%", L"<%FirstName%>", L"<%FirstName%>-<%FirstName%>"},
        {L"%First%FirstName%Name%", L"!", L"%First!Name%"},
    };
    for (const Case& c : cases) {
        std::wstring text = c.text;
        QxReplaceFAQMacro(text, kMacroFirstName, c.value);
        EXPECT_EQ(text, c.expected) << c.text;
    }
}

TEST(FAQMacroReplace, TheFourMacrosAreReplacedInOrderAndAllEmptyValuesChangeNothing) {
    const std::wstring phrase = L"%FirstName% %LastName%, %PhoneNumber%, %EmailAddress%";
    EXPECT_EQ(QxApplyFAQMacros(phrase, Values(L"Ann", L"Lee", L"555", L"ann@x")), L"Ann Lee, 555, ann@x");
    // An empty first name with a known last name keeps its macro.
    EXPECT_EQ(QxApplyFAQMacros(L"Hello %FirstName% %LastName%", Values(L"", L"Lee")),
              L"Hello %FirstName% Lee");
    EXPECT_EQ(QxApplyFAQMacros(phrase, Values(L"")), phrase);
    // A first name holding a later macro has that macro replaced by the later step (the order
    // is first, last, phone, e-mail); a later value holding an earlier macro keeps it.
    EXPECT_EQ(QxApplyFAQMacros(L"%FirstName%", Values(L"%LastName%", L"Lee")), L"Lee");
    EXPECT_EQ(QxApplyFAQMacros(L"%LastName%", Values(L"Ann", L"%FirstName%")), L"%FirstName%");
}

TEST(FAQMacroReplace, ValuesThatHoldEveryMacroStayBounded) {
    // Each step would multiply the text: every macro expands into all four again.
    const std::wstring every = L"%FirstName%%LastName%%PhoneNumber%%EmailAddress%";
    std::wstring value;
    for (int i = 0; i < 200; ++i)
        value += every;
    std::wstring phrase;
    for (int i = 0; i < 2000; ++i)
        phrase += every;
    const std::wstring result =
        QxApplyFAQMacros(phrase, Values(value.c_str(), value.c_str(), value.c_str(), value.c_str()));
    EXPECT_EQ(result.size(), MAX_FAQ_MACRO_TEXT);
    // The first name's value starts the text; the last name's value follows its first macro.
    EXPECT_EQ(result.substr(0, 22), L"%FirstName%%FirstName%");
}

TEST(FAQMacroReplace, APhraseOfManyMacrosIsReplacedWhole) {
    std::wstring phrase, expected;
    for (int i = 0; i < 10000; ++i) {
        phrase += L"%PhoneNumber%.";
        expected += L"5.";
    }
    EXPECT_EQ(QxApplyFAQMacros(phrase, Values(L"", L"", L"5")), expected);
}

TEST(FAQMacroTarget, TheEntryKindThePrimaryCustomerAndTheMeetingTypeChooseTheParticipant) {
    struct Case {
        DWORD kind, userNode, primCust;
        LONG meetingType;
        DWORD expected;
    } cases[] = {
        {CHAT_KIND_USER, 70, 0, 1, 70},   // the chosen participant
        {CHAT_KIND_USER, 70, 90, 1, 70},  // the chosen participant, though a primary customer exists
        {CHAT_KIND_GROUP, 0, 90, 1, 90},  // a group: the primary customer
        {CHAT_KIND_GROUP, 0, 0, 1, 0},    // a group without primary customer: nobody
        {CHAT_KIND_HEADING, 0, 90, 1, 0}, // neither user nor group
        {CHAT_KIND_USER, 70, 90, 3, 90},  // meeting type 3: always the primary customer
        {CHAT_KIND_GROUP, 0, 0, 3, 0},    {CHAT_KIND_USER, 70, 0, 3, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QxMacroTargetNode(c.kind, c.userNode, c.primCust, c.meetingType), c.expected)
            << c.kind << " " << c.primCust << " " << c.meetingType;
}

// Cut texts never end in half a surrogate pair; shorter texts stay whole.
TEST(FAQMacroClip, TextsAreCutToTheLimitWithoutSplittingASurrogatePair) {
    const std::wstring pair = {static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
    struct Case {
        std::wstring text;
        size_t nMax;
        std::wstring expected;
    } cases[] = {
        {L"abc", 5, L"abc"},
        {L"abc", 3, L"abc"},
        {L"abcdef", 4, L"abcd"},
        {L"ab" + pair + L"c", 3, L"ab"},
        {L"ab" + pair + L"c", 4, L"ab" + pair},
        {pair, 1, L""},
        {L"abc", 0, L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QxClipText(c.text, c.nMax), c.expected) << c.nMax;
}

} // namespace
