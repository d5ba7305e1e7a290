// The public header seen from both languages and from both sides of the module boundary: its
// prototypes against the module-definition file (a __stdcall prototype whose argument bytes
// differ from the export's decoration corrupts the caller's stack), its constants against the
// module's own, and its records and provider interface between C and C++.
#include "HeaderC.h"
#include "QxChatApi.h"
#include "engine/RecordingStatus.h"
#include "participants/OwnUserItem.h"
#include "participants/RoleGroups.h"
#include "qxchat.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <map>
#include <string>

namespace {

// Bytes a __stdcall callee pops: every argument takes a multiple of 4 bytes.
template <typename T> struct ArgBytes;
template <typename R, typename... A> struct ArgBytes<R(__stdcall*)(A...)> {
    static constexpr int value = (0 + ... + static_cast<int>((sizeof(A) + 3) / 4 * 4));
};

// Every export of the module-definition file: checked against the header when this compiles,
// and listed in table order for the test below.
#define QX_DEF_ENTRY(name, bytes, ordinal)                                                                   \
    static_assert(sizeof(void*) != 4 || ArgBytes<decltype(&::name)>::value == bytes,                       \
                  #name ": prototype and export differ");
#include "kit_def_entries.h"
#undef QX_DEF_ENTRY

struct DefEntry {
    const char* name;
    int bytes;
    int ordinal;
};

const DefEntry kDef[] = {
#define QX_DEF_ENTRY(name, bytes, ordinal) {#name, bytes, ordinal},
#include "kit_def_entries.h"
#undef QX_DEF_ENTRY
};

// The header declares the 47 entries in the order of the export table, which the binding helper
// of the hosts follows too.
TEST(PublicHeader, EveryPrototypeMatchesItsExportDecorationAndOrdinal) {
    std::map<std::string, DefEntry> def;
    for (const DefEntry& e : kDef)
        def[e.name] = e;
    ASSERT_EQ(47u, def.size());
    int position = 0;
#define QX_CHECK_EXPORT(name)                                                                                \
    {                                                                                                        \
        ++position;                                                                                          \
        auto it = def.find(#name);                                                                           \
        ASSERT_NE(def.end(), it) << #name;                                                                   \
        if (sizeof(void*) == 4) { /* argument bytes are those of the 32-bit calling convention */        \
            EXPECT_EQ(ArgBytes<decltype(&::name)>::value, it->second.bytes) << #name;                        \
        }                                                                                                    \
        EXPECT_EQ(position, it->second.ordinal) << #name;                                                    \
    }
    QXCHAT_API_EXPORTS(QX_CHECK_EXPORT)
#undef QX_CHECK_EXPORT
    EXPECT_EQ(47, position);
}

// The names the module's code uses for ids the header publishes (roles, privileges and user
// types it uses by the header's own names): a host that uses one must mean what the module
// means.
struct SameValue {
    const char* name;
    long published, module;
};
constexpr SameValue kSameValues[] = {
    {"group hosts", QXCHAT_GROUP_HOSTS, CHAT_HOST_ROLE_GROUP},
    {"group presenters", QXCHAT_GROUP_PRESENTERS, CHAT_PRESENTER_ROLE_GROUP},
    {"group hosts+presenters", QXCHAT_GROUP_HOSTS_PRESENTERS, CHAT_ALL_HOST_PRESENTER_ROLE_GROUP},
    {"group panelists", QXCHAT_GROUP_PANELISTS, CHAT_PANELIST_ROLE_GROUP},
    {"group speakers", QXCHAT_GROUP_HOSTS_PRESENTERS_PANELISTS, CHAT_ALL_HOST_PRESENTER_PANELIST_ROLE_GROUP},
    {"group attendees", QXCHAT_GROUP_ATTENDEES, CHAT_ATTENDEES_GROUP_NEW},
    {"group everyone", QXCHAT_GROUP_EVERYONE, CHAT_ALL_USERS_ROLE_GROUP},
    {"group separator", QXCHAT_GROUP_SEPARATOR, CHAT_SEPARATE_ROLE_GROUP},
    {"group private chat", QXCHAT_GROUP_PRIVATE_CHAT, CHAT_PRIVATE_CHAT_GROUP},
    {"host-managed first", QXCHAT_GROUP_HOST_MANAGED_FIRST, CHAT_HOST_MANAGED_FIRST},
    {"host-managed last", QXCHAT_GROUP_HOST_MANAGED_LAST, CHAT_HOST_MANAGED_LAST},
    {"type role", QXCHAT_GROUP_TYPE_ROLE, CHAT_ROLE_GROUP},
    {"type heading", QXCHAT_GROUP_TYPE_HEADING, CHAT_HEADING_GROUP},
    {"type label", QXCHAT_GROUP_TYPE_LABEL, CHAT_UNSENDABLE_GROUP},
    {"type private", QXCHAT_GROUP_TYPE_PRIVATE, CHAT_PRIVATE_GROUP},
    {"priv all", QXCHAT_PRIV_ALL,
     QXCHAT_PRIV_ATTENDEES | QXCHAT_PRIV_CHAT_HOST | QXCHAT_PRIV_CHAT_PRESENTER | QXCHAT_PRIV_MEMBER_LIST |
         QXCHAT_PRIV_FULL_A | QXCHAT_PRIV_FULL_B | QXCHAT_PRIV_CHAT_PANELIST | QXCHAT_PRIV_ELEVATED |
         QXCHAT_PRIV_SEND},
    {"server-side recording", QXCHAT_SSR_TP_RECORDING, SSR_STATUS_TPRECORDING},
};

constexpr bool AllAgree() {
    for (const SameValue& c : kSameValues)
        if (c.published != c.module) return false;
    return true;
}
static_assert(AllAgree(), "a published constant differs from the module's");

TEST(PublicHeader, ConstantsAgreeWithTheModule) {
    for (const SameValue& c : kSameValues)
        EXPECT_EQ(c.module, c.published) << c.name;
}

TEST(PublicHeader, CAndCppSeeTheSameRecords) {
    KitCLayoutFacts c = {};
    KitCLayout(&c);
    EXPECT_EQ(sizeof(QXCHAT_MESSAGE_NOTICE), c.noticeSize);
    EXPECT_EQ(offsetof(QXCHAT_MESSAGE_NOTICE, lpszText), c.noticeText);
    EXPECT_EQ(sizeof(QXCHAT_EVENT_IDENTITY), c.identitySize);
    EXPECT_EQ(offsetof(QXCHAT_EVENT_IDENTITY, lTime), c.identityTime);
    EXPECT_EQ(sizeof(QXCHAT_EVENT_MESSAGE), c.messageSize);
    EXPECT_EQ(offsetof(QXCHAT_EVENT_MESSAGE, lpszText), c.messageText);
    EXPECT_EQ(sizeof(QXHCOMPONENT), c.handleSize);
    // 32-bit hosts: the records are what the module builds field by field.
    if (sizeof(void*) != 4) return;
    EXPECT_EQ(8u, c.noticeSize);
    EXPECT_EQ(12u, c.identitySize);
    EXPECT_EQ(20u, c.messageSize);
}

TEST(PublicHeader, MessageValuesAreConstantExpressionsInC) {
    EXPECT_EQ(1, KitCMessageKind(1279, 0));
    EXPECT_EQ(2, KitCMessageKind(1280, 5));
    EXPECT_EQ(3, KitCMessageKind(1281, 0));
    EXPECT_EQ(4, KitCMessageKind(2024, 200));
    EXPECT_EQ(5, KitCMessageKind(3002, 7001));
    EXPECT_EQ(6, KitCMessageKind(WM_COMMAND, 2));
    EXPECT_EQ(0, KitCMessageKind(WM_COMMAND, 1));
}

// The module calls a provider through the C++ interface; a host may write it in C.
TEST(PublicHeader, AProviderWrittenInCAnswersCallsThroughTheCppInterface) {
    auto* provider = static_cast<IQxRecordingProvider*>(KitMakeCProvider());
    EXPECT_EQ(101, provider->AddItem(QXCHAT_RECORD_ITEM_MESSAGE, L"Chat", L"Message", L"Hello"));
    EXPECT_EQ(0, provider->SetAttribute(101, L"Sender", L"Ann"));
    EXPECT_EQ(102, provider->AddItem(1, L"Chat", L"Message", L"Second"));
    const KitCProviderLog* log = KitCProviderState();
    EXPECT_EQ(2, log->items);
    EXPECT_EQ(1, log->lastType);
    EXPECT_STREQ(L"Chat", log->source);
    EXPECT_STREQ(L"Message", log->name);
    EXPECT_STREQ(L"Second", log->text);
    EXPECT_EQ(101, log->attributeItem);
    EXPECT_STREQ(L"Sender", log->attribute);
    EXPECT_STREQ(L"Ann", log->value);
}

} // namespace
