#include "window/MessageFormat.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "module/ModuleState.h"

namespace {

// The English texts of the stand-in resource library.
QxHeaderFormats EnglishFormats() {
    QxHeaderFormats f;
    f.strSender = L"%s";
    f.strGroup = L"%s to %s";
    f.strPrivate = L"%s to %s (privately)";
    f.strReceiver = L" to %s";
    f.strPrivateMarker = L" (privately)";
    f.strSuffix = L":";
    f.strPanelists = L"Panelists";
    f.strAttendees = L"Attendees";
    f.strEveryone = L"Everyone";
    return f;
}

struct ApplyCase {
    const wchar_t* fmt;
    size_t nArgs;
    const wchar_t* expected;
};

TEST(ApplyFormat, AppliesOnlyFormatsThatFitTheArguments) {
    const std::wstring args[] = {L"Ann", L"Sales"};
    const ApplyCase cases[] = {
        {L"%s to %s", 2, L"Ann to Sales"},
        {L"%s", 2, L"Ann"},            // fewer conversions than arguments is fine
        {L"%s %s %s", 2, L"%s %s %s"}, // more: literal, nothing read past the arguments
        {L"%s to %s", 1, L"%s to %s"},
        {L"%d items %s", 2, L"%d items %s"}, // another type: literal
        {L"%*s", 2, L"%*s"},                 // a width argument would be read: literal
        {L"%n%s", 2, L"%n%s"},
        {L"ends with %", 2, L"ends with %"},
        {L"100%% %s", 2, L"100% Ann"},
        {L"50%%", 0, L"50%"},
        {L"%%s", 0, L"%s"}, // an escaped percent is no conversion
        {L"[%-5s]", 1, L"[Ann  ]"},
        {L"%ls and %ls", 2, L"Ann and Sales"},
        {L"", 2, L""},
    };
    for (const ApplyCase& c : cases)
        EXPECT_EQ(c.expected, QxApplyFormat(c.fmt, args, c.nArgs)) << c.fmt;
}

TEST(ApplyFormat, CutsToTheRoom) {
    const std::wstring args[] = {std::wstring(700, L'x')};
    EXPECT_EQ(511u, QxApplyFormat(L"%s", args, 1).size());
    EXPECT_EQ(std::wstring(10, L'x'), QxApplyFormat(L"%s!", args, 1, 10));
    EXPECT_EQ(L"%s %s", QxApplyFormat(L"%s %s", args, 1, 5)); // literal text is cut as well
    EXPECT_EQ(L"%s", QxApplyFormat(L"%s %s", args, 1, 2));
}

// What the runtime makes of a format, as the formatting did before plain "%s" formats were filled
// without it.
std::wstring RuntimeFormat(const std::wstring& fmt, const std::wstring& a0, const std::wstring& a1,
                           size_t nRoom) {
    std::vector<wchar_t> buffer(nRoom + 1, L'\0');
    _snwprintf(buffer.data(), nRoom, fmt.c_str(), a0.c_str(), a1.c_str());
    buffer[nRoom] = L'\0';
    return std::wstring(buffer.data());
}

// Every format of %s conversions comes out as the runtime fills it: plain ones, ones with flags,
// width or precision, texts and arguments with a NUL inside, and results cut to the room.
TEST(ApplyFormat, FillsAsTheRuntimeDoes) {
    const std::wstring nul(L"a\0b", 3);
    const std::wstring formats[] = {L"%s to %s:",
                                    L"%ls says %s",
                                    L"%s",
                                    L"<%s>",
                                    L"100%% %s%%",
                                    L"%s%s",
                                    L"%-6s|%s",
                                    L"%8s|%.2s",
                                    L"%5.1ls!",
                                    L"x" + nul + L"%s",
                                    L"%s" + nul + L" %s"};
    const std::wstring args[][2] = {{L"Ann", L"Sales"},
                                    {L"", L""},
                                    {nul, L"Bob"},
                                    {std::wstring(40, L'n'), std::wstring(30, L'g')},
                                    {L"\x4E2D\x6587", L"\xD83D\xDE00 smile"}};
    for (const std::wstring& fmt : formats) {
        for (const auto& pair : args) {
            for (size_t nRoom : {size_t(QX_HEADER_PART_ROOM), size_t(4), size_t(1), size_t(45)}) {
                EXPECT_EQ(RuntimeFormat(fmt, pair[0], pair[1], nRoom), QxApplyFormat(fmt, pair, 2, nRoom))
                    << "format " << fmt.size() << " chars: " << fmt.c_str() << ", room " << nRoom;
            }
        }
    }
}

// The group header of a role group with this name and template, from this sender.
QxHeaderParts TemplateHeader(CUsersGroup& group, const wchar_t* sender) {
    QxGroupHeaderInput in;
    in.strSenderName = sender;
    in.nGroupId = group.m_nId;
    in.pRoleGroup = &group;
    QxHeaderParts parts;
    EXPECT_TRUE(QxBuildGroupHeader(EnglishFormats(), in, parts));
    return parts;
}

struct TemplateCase {
    const wchar_t* name;
    const wchar_t* label;
    const wchar_t* sender;
    const wchar_t* senderPart;
    const wchar_t* rest;
    const wchar_t* storedLabel;
};

TEST(HeaderTemplate, FillsCutsAndStoresTheTemplate) {
    const TemplateCase cases[] = {
        {L"Sales", L"[Src] says to [Dest]#|#[Src] and more", L"Ann", L"Ann", L" says to Sales:",
         L"[Src] says to [Dest]"},
        // Without "[Src]" the line holds no sender text: the sender part is empty.
        {L"Sales", L"News for [Dest]", L"Ann", L"", L"News for Sales:", L"News for [Dest]"},
        // A group without a name does not use its template, but it is shortened all the same.
        {L"", L"[Src] says#|#x", L"Ann", L"", L":", L"[Src] says"},
        {L"Sales", L"#|#[Src]", L"Ann", L"", L":", L""},
        {L"Sales", L"To [Dest]: [Src]", L"Ann", L"", L"To Sales: Ann:", L"To [Dest]: [Src]"},
    };
    for (const TemplateCase& c : cases) {
        CUsersGroup group(nullptr);
        group.m_nId = 7;
        group.m_strName = c.name;
        group.m_strLabel = c.label;
        QxHeaderParts parts = TemplateHeader(group, c.sender);
        EXPECT_EQ(c.senderPart, parts.strSender) << c.label;
        EXPECT_EQ(c.rest, parts.strRest) << c.label;
        EXPECT_EQ(c.storedLabel, group.m_strLabel) << c.label;
    }
}

TEST(HeaderTemplate, TheShortenedTemplateServesTheNextMessages) {
    CUsersGroup group(nullptr);
    group.m_nId = 7;
    group.m_strName = L"Sales";
    group.m_strLabel = L"[Src] says to [Dest]#|#other";
    TemplateHeader(group, L"Ann");
    QxHeaderParts parts = TemplateHeader(group, L"Bob");
    EXPECT_EQ(L"Bob", parts.strSender);
    EXPECT_EQ(L" says to Sales:", parts.strRest);
}

TEST(HeaderTemplate, ReplacesOnlyTheFirstPlaceholders) {
    CUsersGroup group(nullptr);
    group.m_strName = L"[Src]";
    group.m_strLabel = L"[Dest] [Dest] [Src]";
    // "[Dest]" first: a group name that looks like "[Src]" takes the sender's place.
    EXPECT_EQ(L"Ann [Dest] [Src]", QxFillHeaderTemplate(group, L"Ann"));
}

struct GroupCase {
    const char* name;
    bool bRecord;
    int nGroupId;
    LONG lMeetingType;
    DWORD dwPrivilege, dwRoles;
    const wchar_t* sender;
    const wchar_t* rest;
};

TEST(GroupHeader, FollowsTheGroupTheMeetingTypeAndTheLocalUsersBits) {
    const GroupCase cases[] = {
        {"record, role group", true, 7, 1, 0, 0, L"Ann", L" to Sales:"},
        {"record, hosts", true, 1, 1, 0, 0, L"Ann", L" to Sales (privately):"},
        {"record, presenters", true, 2, 2, 0, 0, L"Ann", L" to Sales (privately):"},
        {"type 2, panelists, privileged", false, 4, 2, 0x20, 0, L"Ann", L" to Panelists:"},
        {"type 2, panelists, panelist", false, 4, 2, 0, 0x4, L"Ann", L" to Panelists:"},
        {"type 2, panelists, attendee", false, 4, 2, 0x40, 0x8, L"", L":"},
        {"type 2, attendees, attendee", false, 8, 2, 0x80, 0x8, L"Ann", L" to Attendees:"},
        {"type 2, attendees, host", false, 8, 2, 0, 0x1, L"", L":"},
        {"type 2, attendees, privileged", false, 8, 2, 0x10, 0, L"", L":"},
        {"type 2, everyone", false, 15, 2, 0, 0, L"Ann", L" to Everyone:"},
        {"type 2, other group", false, 3, 2, 0x10, 0x1, L"", L":"},
        {"type 3, attendees, plain", false, 8, 3, 0, 0x8, L"Ann", L":"},
        {"type 3, attendees, role unknown", false, 8, 3, 0, 16, L"", L":"},
        {"type 3, attendees, panelist", false, 8, 3, 0, 0x4, L"", L":"},
        {"type 3, attendees, privileged", false, 8, 3, 0x80, 0, L"", L":"},
        {"type 3, everyone", false, 15, 3, 0, 0, L"", L":"},
        {"type 1, no record", false, 15, 1, 0, 0, L"", L":"},
    };
    for (const GroupCase& c : cases) {
        CUsersGroup group(nullptr);
        group.m_nId = c.nGroupId;
        group.m_strName = L"Sales";
        QxGroupHeaderInput in;
        in.strSenderName = L"Ann";
        in.nGroupId = c.nGroupId;
        in.pRoleGroup = c.bRecord ? &group : nullptr;
        in.lMeetingType = c.lMeetingType;
        in.dwPrivilege = c.dwPrivilege;
        in.dwRoles = c.dwRoles;
        QxHeaderParts parts;
        ASSERT_TRUE(QxBuildGroupHeader(EnglishFormats(), in, parts)) << c.name;
        EXPECT_EQ(c.sender, parts.strSender) << c.name;
        EXPECT_EQ(c.rest, parts.strRest) << c.name;
    }
}

TEST(GroupHeader, NoSenderNameBuildsNothing) {
    QxGroupHeaderInput in;
    in.nGroupId = 15;
    in.lMeetingType = 2;
    QxHeaderParts parts{L"stale", L"stale"};
    EXPECT_FALSE(QxBuildGroupHeader(EnglishFormats(), in, parts));
    EXPECT_EQ(L"", parts.strSender);
    EXPECT_EQ(L"", parts.strRest);
}

TEST(GroupHeader, PartsStayWithinTheirRoom) {
    CUsersGroup group(nullptr);
    group.m_strName = std::wstring(900, L'g');
    QxGroupHeaderInput in;
    in.strSenderName = std::wstring(800, L's');
    in.pRoleGroup = &group;
    QxHeaderParts parts;
    ASSERT_TRUE(QxBuildGroupHeader(EnglishFormats(), in, parts));
    EXPECT_EQ(511u, parts.strSender.size());
    EXPECT_LE(parts.strRest.size(), 511u);
    group.m_strLabel = L"[Src][Dest][Src]";
    ASSERT_TRUE(QxBuildGroupHeader(EnglishFormats(), in, parts));
    EXPECT_LE(parts.strRest.size(), 511u);
}

TEST(GroupHeader, AResourceFormatWithTooManyConversionsIsShownAsText) {
    QxHeaderFormats f = EnglishFormats();
    f.strGroup = L"%s to %s at %s";
    f.strSender = L"%s%s%s%s";
    CUsersGroup group(nullptr);
    group.m_strName = L"Sales";
    QxGroupHeaderInput in;
    in.strSenderName = L"Ann";
    in.pRoleGroup = &group;
    QxHeaderParts parts;
    ASSERT_TRUE(QxBuildGroupHeader(f, in, parts));
    EXPECT_EQ(L"", parts.strSender);
    EXPECT_EQ(L"%s to %s at %s:", parts.strRest);
}

struct PrivateCase {
    const char* name;
    LONG lMeetingType;
    bool bOwn, bFeature40, bNoPrivateFormat;
    const wchar_t* sender;
    const wchar_t* rest;
};

TEST(PrivateHeader, FollowsTheMeetingTypeOwnershipAndFeature40) {
    const PrivateCase cases[] = {
        {"type 1, own", 1, true, false, false, L"", L"to Bob (privately):"},
        {"type 1, received", 1, false, false, false, L"Ann", L" (privately):"},
        {"type 1, own, 0x40", 1, true, true, false, L"Ann", L" to Bob (privately):"},
        {"type 1, received, 0x40", 1, false, true, false, L"Ann", L" to Bob (privately):"},
        {"type 2, own", 2, true, false, false, L"Ann", L" to Bob (privately):"},
        {"type 2, received", 2, false, false, false, L"Ann", L" (privately):"},
        {"type 2, received, 0x40", 2, false, true, false, L"Ann", L" (privately):"},
        {"type 3, received", 3, false, false, false, L"Ann", L" to Bob (privately):"},
        {"type 3, no 1430", 3, false, false, true, L"Ann", L" to Bob (privately):"},
        {"type 0, own, no 1430", 0, true, false, true, L"", L"to Bob (privately):"},
    };
    for (const PrivateCase& c : cases) {
        QxHeaderFormats f = EnglishFormats();
        if (c.bNoPrivateFormat) f.strPrivate.clear();
        QxPrivateHeaderInput in;
        in.strSenderName = L"Ann";
        in.strReceiverName = L"Bob";
        in.bOwn = c.bOwn;
        in.lMeetingType = c.lMeetingType;
        in.bFeature40 = c.bFeature40;
        QxHeaderParts parts;
        ASSERT_TRUE(QxBuildPrivateHeader(f, in, parts)) << c.name;
        EXPECT_EQ(c.sender, parts.strSender) << c.name;
        EXPECT_EQ(c.rest, parts.strRest) << c.name;
    }
}

TEST(PrivateHeader, NeedsBothNames) {
    QxPrivateHeaderInput in;
    in.strSenderName = L"Ann";
    QxHeaderParts parts;
    EXPECT_FALSE(QxBuildPrivateHeader(EnglishFormats(), in, parts));
    in.strSenderName.clear();
    in.strReceiverName = L"Bob";
    EXPECT_FALSE(QxBuildPrivateHeader(EnglishFormats(), in, parts));
}

// The header of a private message the local user Ann sends in meeting type 1.
QxHeaderParts OwnPrivateHeader(const QxHeaderFormats& f, const wchar_t* receiver) {
    QxPrivateHeaderInput in;
    in.strSenderName = L"Ann";
    in.strReceiverName = receiver;
    in.bOwn = true;
    in.lMeetingType = 1;
    QxHeaderParts parts;
    EXPECT_TRUE(QxBuildPrivateHeader(f, in, parts));
    return parts;
}

TEST(PrivateHeader, ReceiverFormatWithoutItsFirstCharacterStaysSafe) {
    QxHeaderFormats f = EnglishFormats();
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"%s", L"s (privately):"}, // "%" left out: plain text
        {L"x%s", L"Bob (privately):"},
        {L"%%s", L"Bob (privately):"}, // the escape is lost: a plain "%s" remains
        {L"", L" (privately):"},
    };
    for (const auto& c : cases) {
        f.strReceiver = c.first;
        EXPECT_EQ(c.second, OwnPrivateHeader(f, L"Bob").strRest) << c.first;
    }
}

TEST(HeaderFormats, WithoutFormatsEveryHeaderIsEmpty) {
    QxHeaderFormats none;
    QxGroupHeaderInput in;
    in.strSenderName = L"Ann";
    in.nGroupId = 15;
    in.lMeetingType = 2;
    QxHeaderParts parts;
    ASSERT_TRUE(QxBuildGroupHeader(none, in, parts));
    EXPECT_EQ(L"", parts.strSender + parts.strRest);
    QxPrivateHeaderInput pin;
    pin.strSenderName = L"Ann";
    pin.strReceiverName = L"Bob";
    ASSERT_TRUE(QxBuildPrivateHeader(none, pin, parts));
    EXPECT_EQ(L"", parts.strSender + parts.strRest);
}

TEST(HeaderFormats, SplitOnlyWhereTheLineBeginsWithTheSenderText) {
    const struct {
        const wchar_t* line;
        const wchar_t* sender;
        const wchar_t* rest;
    } cases[] = {
        {L"Ann says to Ann:", L"Ann", L" says to Ann:"},
        {L"to Bob:", L"", L"to Bob:"},
        // Text before the sender's name is kept, in the rest.
        {L"To Sales: Ann:", L"", L"To Sales: Ann:"},
        {L"to Annabel (privately):", L"", L"to Annabel (privately):"},
    };
    for (const auto& c : cases) {
        QxHeaderParts parts = QxSplitHeader(c.line, L"Ann");
        EXPECT_EQ(c.sender, parts.strSender) << c.line;
        EXPECT_EQ(c.rest, parts.strRest) << c.line;
    }
    EXPECT_EQ(L"", QxSplitHeader(L"Ann:", L"").strSender);
}

TEST(HeaderFormats, OwnPrivateMessageToANameHoldingTheSendersKeepsItsWholeLine) {
    QxHeaderParts parts = OwnPrivateHeader(EnglishFormats(), L"Annabel");
    EXPECT_EQ(L"", parts.strSender);
    EXPECT_EQ(L"to Annabel (privately):", parts.strRest);
}

TEST(HeaderFormats, LoadedFromTheResourceLibraryOnly) {
    QxSetResourceModule(QxThisModule());
    QxHeaderFormats none = QxLoadHeaderFormats();
    EXPECT_EQ(L"", none.strSender + none.strGroup + none.strSuffix + none.strEveryone);

    HMODULE hRes = LoadLibraryW(L"qxres.dll");
    ASSERT_NE(nullptr, hRes);
    QxSetResourceModule(hRes);
    QxHeaderFormats f = QxLoadHeaderFormats();
    QxSetResourceModule(QxThisModule());
    FreeLibrary(hRes);
    QxHeaderFormats expected = EnglishFormats();
    EXPECT_EQ(expected.strSender, f.strSender);
    EXPECT_EQ(expected.strGroup, f.strGroup);
    EXPECT_EQ(expected.strPrivate, f.strPrivate);
    EXPECT_EQ(expected.strReceiver, f.strReceiver);
    EXPECT_EQ(expected.strPrivateMarker, f.strPrivateMarker);
    EXPECT_EQ(expected.strSuffix, f.strSuffix);
    EXPECT_EQ(expected.strPanelists, f.strPanelists);
    EXPECT_EQ(expected.strAttendees, f.strAttendees);
    EXPECT_EQ(expected.strEveryone, f.strEveryone);
}

} // namespace
