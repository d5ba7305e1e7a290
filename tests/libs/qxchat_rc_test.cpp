// The module's own resource script, linked into this exe: the chat templates work without
// either resource library, and it brings no texts, so that the built-in defaults apply.
#include "ChatTemplateCheck.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

namespace {

TEST(ModuleResources, ChatTemplatesHaveTheirControls) {
    qxtest::ExpectChatTemplates(GetModuleHandleW(nullptr));
}

TEST(ModuleResources, HoldNoLibraryResources) {
    HMODULE self = GetModuleHandleW(nullptr);
    wchar_t text[64] = {};
    EXPECT_EQ(LoadStringW(self, IDS_SEND, text, 64), 0);
    EXPECT_EQ(LoadStringW(self, IDS_FMT_SENDER, text, 64), 0);
    EXPECT_EQ(FindResourceW(self, MAKEINTRESOURCEW(IDR_POPUP_MENUS), RT_MENU), nullptr);
    EXPECT_EQ(FindResourceW(self, MAKEINTRESOURCEW(IDB_INDICATION_ICON), RT_BITMAP), nullptr);
}

} // namespace
