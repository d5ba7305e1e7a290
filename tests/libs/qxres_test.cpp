// The string-resource libraries: every id the chat module loads is there, in both libraries,
// with the arguments its use needs.
#include "ChatTemplateCheck.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct ExpectedString {
    int id;
    int formatArgs; // number of "%s" the text must hold; no other conversion is allowed
};

const ExpectedString kStrings[] = {
    {IDS_TIP_SEND, 0},
    {IDS_TITLE, 0},
    {IDS_SEND, 0},
    {IDS_SEND_TO, 0},
    {IDS_GROUP_EVERYONE, 0},
    {IDS_GROUP_HOSTS, 0},
    {IDS_ERR_LOAD, 0},
    {IDS_OPEN_TITLE, 0},
    {IDS_SAVE_TITLE, 0},
    {IDS_ALT_DEFAULT_FILE, 0},
    {IDS_GROUP_PRESENTERS, 0},
    {IDS_AUTOSAVE_FILE, 0},
    {IDS_INPUT_PROMPT, 0},
    {IDS_GROUP_PANELISTS, 0},
    {IDS_GROUP_HOSTS_PRESENTERS, 0},
    {IDS_FMT_SENDER, 1},
    {IDS_ALT_FILTER, 0},
    {IDS_FALLBACK_FOLDER, 0},
    {IDS_GROUP_ATTENDEES, 0},
    {IDS_BEEP_NAME, 0},
    {IDS_ALT_EXTENSION, 0},
    {IDS_EXTENSION, 0},
    {IDS_FILTER, 0},
    {IDS_FILTER_ALL, 0},
    {IDS_DEFAULT_FILE, 0},
    {IDS_RECORD_SOURCE, 0},
    {IDS_RECORD_NAME, 0},
    {IDS_RECORD_SENDER, 0},
    {IDS_FMT_RECEIVER, 1},
    {IDS_HEADER_SUFFIX, 0},
    {IDS_PRIVATE_MARKER, 0},
    {IDS_TIP_SEND_CHAT, 0},
    {IDS_FMT_GROUP_HEADER, 2},
    {IDS_FMT_PRIVATE_HEADER, 2},
    {IDS_ASK_OVERWRITE_READONLY, 1},
    {IDS_ERR_CLOSE, 0},
    {IDS_PHRASE_LABEL, 0},
    {IDS_PRIVATE_CHAT, 0},
    {IDS_ERR_NOT_TRANSCRIPT, 0},
    {IDS_ERR_WRITE_OPEN, 0},
    {IDS_ERR_WRITE_SHORT, 0},
    {IDS_CHAT_UNAVAILABLE, 0},
    {IDS_SEND_FAILED, 0},
};

// Counts "%s"; -1 when the text holds any other conversion, which a formatter would misread.
int CountStringArgs(const std::wstring& text) {
    int count = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'%') continue;
        if (i + 1 >= text.size() || text[i + 1] != L's') return -1;
        ++count;
        ++i;
    }
    return count;
}

std::wstring Format(const std::wstring& fmt, const wchar_t* a, const wchar_t* b = L"") {
    wchar_t out[512] = {};
    _snwprintf(out, 511, fmt.c_str(), a, b);
    return out;
}

// Splits a '|' separated file filter; the parts must come in description/pattern pairs and end
// with an empty part, as the file dialogs need once '|' becomes NUL.
std::vector<std::wstring> FilterPairs(const std::wstring& filter) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (size_t bar; (bar = filter.find(L'|', start)) != std::wstring::npos; start = bar + 1)
        parts.push_back(filter.substr(start, bar - start));
    EXPECT_EQ(start, filter.size()) << "filter does not end with '|'";
    EXPECT_FALSE(parts.empty());
    if (!parts.empty() && parts.back().empty()) parts.pop_back();
    EXPECT_EQ(parts.size() % 2, 0u) << "filter parts do not pair up";
    for (const std::wstring& part : parts)
        EXPECT_FALSE(part.empty()) << "empty filter part";
    return parts;
}

class ResourceLibrary : public testing::TestWithParam<DWORD> {
protected:
    void SetUp() override {
        m_full = LoadLibraryExW(L"qxres.dll", nullptr, GetParam());
        m_lite = LoadLibraryExW(L"qxres_lite.dll", nullptr, GetParam());
        ASSERT_NE(m_full, nullptr);
        ASSERT_NE(m_lite, nullptr);
    }
    void TearDown() override {
        if (m_full) FreeLibrary(m_full);
        if (m_lite) FreeLibrary(m_lite);
    }
    static std::wstring Load(HMODULE h, int id) {
        wchar_t buffer[1024] = {};
        int n = LoadStringW(h, id, buffer, 1024);
        return std::wstring(buffer, n > 0 ? n : 0);
    }
    std::wstring Full(int id) const { return Load(m_full, id); }

    HMODULE m_full = nullptr;
    HMODULE m_lite = nullptr;
};

TEST_P(ResourceLibrary, EveryStringIsPresentWithItsArguments) {
    for (HMODULE h : {m_full, m_lite}) {
        for (const ExpectedString& want : kStrings) {
            SCOPED_TRACE(testing::Message() << "string " << want.id << (h == m_lite ? " (lite)" : ""));
            std::wstring text = Load(h, want.id);
            EXPECT_FALSE(text.empty());
            EXPECT_EQ(CountStringArgs(text), want.formatArgs);
        }
    }
}

TEST_P(ResourceLibrary, LibrariesDifferOnlyInTheTitle) {
    EXPECT_NE(Load(m_full, IDS_TITLE), Load(m_lite, IDS_TITLE));
    for (const ExpectedString& want : kStrings) {
        if (want.id == IDS_TITLE) continue;
        EXPECT_EQ(Load(m_full, want.id), Load(m_lite, want.id)) << want.id;
    }
}

TEST_P(ResourceLibrary, ControlTextsMatchTheBuiltInDefaults) {
    EXPECT_EQ(Full(IDS_SEND), L"Send");
    EXPECT_EQ(Full(IDS_SEND_TO), L"Send to:");
    EXPECT_EQ(Full(IDS_TIP_SEND_CHAT), L"Send Chat Message");
    EXPECT_EQ(Full(IDS_TIP_SEND), Full(IDS_TIP_SEND_CHAT));
    EXPECT_EQ(Full(IDS_PHRASE_LABEL), L"Quick Phrase:");
    EXPECT_EQ(Full(IDS_GROUP_EVERYONE), L"Everyone");
    EXPECT_EQ(Full(IDS_BEEP_NAME), L"Beep");
}

TEST_P(ResourceLibrary, GroupNamesAreDistinct) {
    const int groups[] = {
        IDS_GROUP_EVERYONE,  IDS_GROUP_HOSTS,     IDS_GROUP_PRESENTERS, IDS_GROUP_HOSTS_PRESENTERS,
        IDS_GROUP_ATTENDEES, IDS_GROUP_PANELISTS, IDS_PRIVATE_CHAT};
    for (int a : groups) {
        for (int b : groups) {
            if (a < b) {
                EXPECT_NE(Full(a), Full(b)) << a << " and " << b;
            }
        }
    }
}

// The header line is split where the sender text occurs in it, so every header format must
// reproduce the sender text; the own private header drops the receiver text's first character.
TEST_P(ResourceLibrary, HeaderFormatsContainTheSenderText) {
    const std::wstring sender = Format(Full(IDS_FMT_SENDER), L"Ann");
    EXPECT_NE(sender.find(L"Ann"), std::wstring::npos);
    for (int id : {IDS_FMT_GROUP_HEADER, IDS_FMT_PRIVATE_HEADER}) {
        std::wstring line = Format(Full(id), L"Ann", L"Sales");
        EXPECT_EQ(line.find(sender), 0u) << id << ": " << line.c_str();
        EXPECT_NE(line.find(L"Sales"), std::wstring::npos) << id;
    }
    const std::wstring receiver = Full(IDS_FMT_RECEIVER);
    ASSERT_FALSE(receiver.empty());
    EXPECT_EQ(receiver[0], L' ') << "its first character is left out before the own private header";
}

TEST_P(ResourceLibrary, FileNamesAndFiltersFitTheirUse) {
    EXPECT_EQ(Full(IDS_AUTOSAVE_FILE).substr(0, 1), L"\\") << "appended to the folder without separator";
    EXPECT_EQ(Full(IDS_FALLBACK_FOLDER).substr(1, 2), L":\\");
    for (int id : {IDS_AUTOSAVE_FILE, IDS_FALLBACK_FOLDER})
        EXPECT_EQ(Full(id).find(L"\\\\"), std::wstring::npos) << id << " holds a doubled separator";
    EXPECT_EQ(_wcsicmp(Full(IDS_ALT_EXTENSION).c_str(), L"wcf"), 0) << "the open dialog checks for .wcf";
    for (int id : {IDS_EXTENSION, IDS_ALT_EXTENSION})
        EXPECT_EQ(Full(id).find(L'.'), std::wstring::npos) << id << " is used as \".%s\"";
    for (int id : {IDS_RECORD_NAME, IDS_DEFAULT_FILE, IDS_ALT_DEFAULT_FILE})
        EXPECT_EQ(Full(id).find_first_of(L"\\/:*?\"<>|"), std::wstring::npos) << id << " must be a file name";

    auto filter = FilterPairs(Full(IDS_FILTER) + Full(IDS_FILTER_ALL));
    ASSERT_GE(filter.size(), 2u);
    EXPECT_EQ(filter[1], L"*." + Full(IDS_EXTENSION)) << "first filter matches the default extension";
    auto altFilter = FilterPairs(Full(IDS_ALT_FILTER));
    ASSERT_GE(altFilter.size(), 2u);
    EXPECT_EQ(altFilter[1], L"*." + Full(IDS_ALT_EXTENSION));
}

TEST_P(ResourceLibrary, ChatTemplatesHaveTheirControls) {
    qxtest::ExpectChatTemplates(m_full);
    qxtest::ExpectChatTemplates(m_lite);
}

INSTANTIATE_TEST_SUITE_P(LoadModes, ResourceLibrary, testing::Values(0u, DWORD(LOAD_LIBRARY_AS_DATAFILE)),
                         [](const testing::TestParamInfo<DWORD>& info) {
                             return info.param == 0 ? "Plain" : "AsDataFile";
                         });

class ResourceImages : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(m_h = LoadLibraryW(L"qxres.dll"), nullptr); }
    void TearDown() override {
        if (m_h) FreeLibrary(m_h);
    }
    HMODULE m_h = nullptr;
};

void ExpectMenuCommands(HMENU hMenu, const std::vector<UINT>& ids) {
    std::vector<UINT> got;
    for (int i = 0, n = GetMenuItemCount(hMenu); i < n; ++i) {
        UINT id = GetMenuItemID(hMenu, i);
        if (id != 0 && id != UINT(-1)) got.push_back(id); // separators and submenus are skipped
    }
    EXPECT_EQ(got, ids);
}

TEST_F(ResourceImages, MenuHoldsTheTwoPopups) {
    HMENU hMenu = LoadMenuW(m_h, MAKEINTRESOURCEW(IDR_POPUP_MENUS));
    ASSERT_NE(hMenu, nullptr);
    HMENU hList = GetSubMenu(hMenu, IDM_POPUP_MESSAGE_LIST);
    HMENU hInput = GetSubMenu(hMenu, IDM_POPUP_INPUT);
    ASSERT_NE(hList, nullptr);
    ASSERT_NE(hInput, nullptr);
    ExpectMenuCommands(hList, {IDM_LIST_COPY, IDM_LIST_RESERVED, IDM_LIST_SELECT_ALL});
    ExpectMenuCommands(hInput, {IDM_INPUT_UNDO, IDM_INPUT_CUT, IDM_INPUT_COPY, IDM_INPUT_PASTE,
                                IDM_INPUT_DELETE, IDM_INPUT_SELECT_ALL});
    EXPECT_TRUE(GetMenuState(hList, IDM_LIST_RESERVED, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(GetMenuState(hList, IDM_LIST_COPY, MF_BYCOMMAND) & MF_GRAYED);
    DestroyMenu(hMenu);
}

TEST_F(ResourceImages, IndicationIconIsSmall) {
    HBITMAP hBitmap = LoadBitmapW(m_h, MAKEINTRESOURCEW(IDB_INDICATION_ICON));
    ASSERT_NE(hBitmap, nullptr);
    BITMAP info = {};
    ASSERT_EQ(GetObjectW(hBitmap, sizeof(info), &info), int(sizeof(info)));
    EXPECT_EQ(info.bmWidth, 16);
    EXPECT_EQ(info.bmHeight, 16);
    DeleteObject(hBitmap);
}

TEST_F(ResourceImages, LinkCursorPointsWithItsFingertip) {
    HCURSOR hCursor = LoadCursorW(m_h, MAKEINTRESOURCEW(IDCUR_LINK_HAND));
    ASSERT_NE(hCursor, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(hCursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 5u);
    EXPECT_EQ(info.yHotspot, 0u);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
}

} // namespace
