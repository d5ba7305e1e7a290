// Rosters and direct data of a conference on each back end, driven through qxnodectl.dll.
#include "NodeTestSupport.h"

#include <memory>

using namespace nctest;

namespace {

class ConferenceTest : public BackendTest {};

std::string Text(const std::string& name) {
    return "<UserName>" + name + "</UserName>";
}

TEST_P(ConferenceTest, TwoParticipantsSeeEachOtherInTheRosterLayout) {
    Participant a(Address()), b(Address());
    ASSERT_TRUE(a.Enter("anna"));
    ASSERT_TRUE(b.Enter("ben"));

    // The newcomer gets the whole roster, itself included, as one add record.
    const Event* first = b.sinks.Last(Event::Roster);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ((std::vector<DWORD>{7, 1, 0, 0}), first->values);
    ASSERT_EQ(1u, first->records.size());
    const RecordCopy& record = first->records[0];
    EXPECT_EQ(7u, record.confHandle);
    EXPECT_EQ(5u, record.chatRoomId);
    EXPECT_EQ(0u, record.padding);
    ASSERT_EQ(2u, record.entries.size());
    EXPECT_EQ(a.nodeId, record.entries[0].nodeId);
    EXPECT_EQ(a.userId, record.entries[0].userId);
    EXPECT_EQ(Text("anna"), record.entries[0].data);
    EXPECT_EQ(static_cast<int>(Text("anna").size()), record.entries[0].length);
    EXPECT_EQ(b.nodeId, record.entries[1].nodeId);

    // The one already there hears of the newcomer alone, with a later roster version.
    const Event* added = a.sinks.Last(Event::Roster);
    ASSERT_EQ(1u, added->records[0].entries.size());
    EXPECT_EQ(b.userId, added->records[0].entries[0].userId);
    EXPECT_EQ(Text("ben"), added->records[0].entries[0].data);
    EXPECT_EQ(record.version, added->records[0].version);
    EXPECT_LT(a.sinks.Of(Event::Roster)[0].records[0].version, record.version);
}

TEST_P(ConferenceTest, IdsComeFromRangesThatDoNotMeet) {
    Participant a(Address()), b(Address());
    ASSERT_TRUE(a.Enter("anna"));
    ASSERT_TRUE(b.Enter("ben"));
    for (Participant* p : {&a, &b}) {
        EXPECT_GE(p->nodeId, QXNC_FIRST_NODE_ID);
        EXPECT_LE(p->nodeId, QXNC_LAST_NODE_ID);
        EXPECT_GE(p->ape, QXNC_FIRST_APE_HANDLE);
        EXPECT_LE(p->ape, QXNC_LAST_APE_HANDLE);
        EXPECT_GE(p->userId, QXNC_FIRST_USER_ID);
        EXPECT_LE(p->userId, QXNC_LAST_USER_ID);
    }
    EXPECT_NE(a.userId, b.userId);
    EXPECT_NE(a.nodeId, b.nodeId);
    EXPECT_EQ(a.cacheNumber, b.cacheNumber);
}

TEST_P(ConferenceTest, FiveParticipantsAndOneLeaving) {
    std::vector<std::unique_ptr<Participant>> people;
    for (int i = 0; i < 5; ++i) {
        people.push_back(std::make_unique<Participant>(Address()));
        ASSERT_TRUE(people.back()->Enter("p" + std::to_string(i)));
    }
    for (auto& p : people)
        EXPECT_EQ(5u, RosterSeen(p->sinks).size());

    const DWORD leaver = people[2]->userId, leaverNode = people[2]->nodeId;
    people[2]->Release();
    ASSERT_TRUE(PumpUntilQuiet());
    for (int i : {0, 1, 3, 4}) {
        const Event* removal = people[i]->sinks.Last(Event::Roster);
        EXPECT_EQ((std::vector<DWORD>{7, 0, 1, 0}), removal->values);
        EXPECT_EQ(leaverNode, removal->records[0].entries[0].nodeId);
        auto seen = RosterSeen(people[i]->sinks);
        EXPECT_EQ(4u, seen.size());
        for (auto& entry : seen)
            EXPECT_NE(leaver, entry.first);
    }
}

TEST_P(ConferenceTest, EnrollConfirmationComesBeforeTheRosterThatAnnouncesIt) {
    Participant a(Address());
    ASSERT_TRUE(a.Connect() && a.Join() && a.Attach());
    QxResourceRecord resource = {1, "c_session_id", 1, 0};
    ASSERT_EQ(0, a.nc->EnrollApe(a.ape, 1, 5, 0, 1, &resource, "x", 1, 3));
    EXPECT_TRUE(a.sinks.events.size() == 3u) << "nothing arrives inside the call";
    ASSERT_TRUE(PumpUntilQuiet());
    ASSERT_EQ(5u, a.sinks.events.size());
    EXPECT_EQ(Event::Enroll, a.sinks.events[3].kind);
    EXPECT_EQ(Event::Roster, a.sinks.events[4].kind);
    ASSERT_EQ(1u, a.sinks.events[3].named.size());
    EXPECT_EQ("c_session_id", a.sinks.events[3].named[0].first);
    EXPECT_GE(a.sinks.events[3].named[0].second, QXNC_FIRST_RESOURCE_VALUE);
}

TEST_P(ConferenceTest, ReEnrollIsAChangeWithdrawAndDetachAreRemovals) {
    Participant a(Address()), b(Address());
    ASSERT_TRUE(a.Enter("anna"));
    ASSERT_TRUE(b.Enter("ben"));
    ASSERT_TRUE(b.Enroll(5, Text("ben2")));
    ASSERT_TRUE(PumpUntilQuiet());
    for (Participant* p : {&a, &b}) {
        const Event* change = p->sinks.Last(Event::Roster);
        EXPECT_EQ((std::vector<DWORD>{7, 0, 0, 1}), change->values);
        EXPECT_EQ(Text("ben2"), change->records[0].entries[0].data);
    }

    ASSERT_EQ(0, b.nc->EnrollApe(b.ape, 0, 5, 0, 0, nullptr, nullptr, 0, 3));
    ASSERT_TRUE(PumpUntilQuiet());
    EXPECT_EQ(1u, RosterSeen(a.sinks).size());
    EXPECT_EQ(0, b.sinks.Last(Event::Enroll)->result);

    ASSERT_TRUE(b.Enroll(5, Text("ben3")));
    ASSERT_EQ(0, b.nc->DetachApe(b.ape));
    ASSERT_TRUE(PumpUntilQuiet());
    EXPECT_EQ(1u, RosterSeen(a.sinks).size());
    EXPECT_EQ(1201, b.nc->DetachApe(b.ape));
}

TEST_P(ConferenceTest, ChatRoomsHaveTheirOwnRosters) {
    Participant a(Address()), b(Address()), c(Address());
    ASSERT_TRUE(a.Enter("anna", 5));
    ASSERT_TRUE(b.Enter("ben", 6));
    EXPECT_EQ(1u, RosterSeen(a.sinks).size());
    EXPECT_EQ(1u, RosterSeen(b.sinks).size());

    ASSERT_TRUE(c.Enter("carl", 5));
    ASSERT_TRUE(c.Enroll(6, Text("carl")));
    ASSERT_TRUE(PumpUntilQuiet());
    EXPECT_EQ(1u, RosterSeen(a.sinks).size()) << "moved away";
    EXPECT_EQ(2u, RosterSeen(b.sinks).size()) << "moved in";
    EXPECT_EQ(6u, b.sinks.Last(Event::Roster)->records[0].chatRoomId);
}

TEST_P(ConferenceTest, RosterTextsOfEverySize) {
    Participant a(Address()), b(Address());
    ASSERT_TRUE(a.Enter("anna"));
    ASSERT_TRUE(b.Connect() && b.Join() && b.Attach());
    const std::string big(QXNC_MAX_ROSTER_TEXT, '\x01');
    const std::string withNul("a\0b", 3);
    for (const std::string& text : {std::string(), big, withNul}) {
        ASSERT_TRUE(b.Enroll(5, text));
        ASSERT_TRUE(PumpUntilQuiet());
        const EntryCopy& entry = a.sinks.Last(Event::Roster)->records[0].entries[0];
        EXPECT_TRUE(entry.hasData) << "an empty text still points somewhere";
        EXPECT_EQ(static_cast<int>(text.size()), entry.length);
        EXPECT_EQ(text, entry.data);
    }
    QxResourceRecord ok = {1, "c_session_id", 1, 0}, unnamed = {1, nullptr, 1, 0};
    std::vector<QxResourceRecord> many(QXNC_MAX_RESOURCES + 1, ok);
    struct Bad {
        WORD count;
        const QxResourceRecord* records;
        const char* text;
        DWORD length;
    } bad[] = {{1, &ok, big.data(), QXNC_MAX_ROSTER_TEXT + 1},
               {1, &ok, nullptr, 5},
               {1, nullptr, "x", 1},
               {1, &unnamed, "x", 1},
               {static_cast<WORD>(many.size()), many.data(), "x", 1}};
    for (const Bad& b2 : bad)
        EXPECT_EQ(1201, b.nc->EnrollApe(b.ape, 1, 5, 0, b2.count, b2.records, b2.text, b2.length, 3));
    EXPECT_EQ(1201, b.nc->EnrollApe(b.ape, 2, 5, 0, 1, &ok, "x", 1, 3));
    EXPECT_EQ(1201, b.nc->EnrollApe(b.ape + 1000, 1, 5, 0, 1, &ok, "x", 1, 3));
}

TEST_P(ConferenceTest, SendDataReachesTheUserIdIncludingOneself) {
    Participant a(Address()), b(Address());
    ASSERT_TRUE(a.Enter("anna"));
    ASSERT_TRUE(b.Enter("ben"));
    std::string message = "hello";
    ASSERT_EQ(0, a.nc->SendData(a.ape, b.userId, 1, reinterpret_cast<const BYTE*>(message.data()), 5, 1, 1));
    message[0] = 'J'; // the controller copied it during the call
    ASSERT_EQ(0, a.nc->SendData(a.ape, a.userId, 2, reinterpret_cast<const BYTE*>(message.data()), 5, 3, 1));
    EXPECT_EQ(0, b.sinks.Count(Event::Data));
    ASSERT_TRUE(PumpUntilQuiet());

    const Event* atB = b.sinks.Last(Event::Data);
    ASSERT_NE(nullptr, atB);
    EXPECT_EQ(b.ape, atB->ape);
    EXPECT_EQ((std::vector<DWORD>{a.userId, 1, 1, 5}), atB->values);
    EXPECT_EQ("hello", atB->bytes);
    const Event* atA = a.sinks.Last(Event::Data);
    ASSERT_NE(nullptr, atA);
    EXPECT_EQ((std::vector<DWORD>{a.userId, 2, 3, 5}), atA->values);
    EXPECT_EQ("Jello", atA->bytes);

    const std::string big(QXNC_MAX_DATA + 1, 'x');
    const BYTE* bytes = reinterpret_cast<const BYTE*>(big.data());
    EXPECT_EQ(0, a.nc->SendData(a.ape, b.userId, 1, bytes, QXNC_MAX_DATA, 1, 1));
    EXPECT_EQ(1201, a.nc->SendData(a.ape, b.userId, 1, bytes, QXNC_MAX_DATA + 1, 1, 1));
    EXPECT_EQ(1201, a.nc->SendData(a.ape, b.userId, 1, bytes, 0, 1, 1));
    EXPECT_EQ(1201, a.nc->SendData(a.ape, b.userId, 1, nullptr, 5, 1, 1));
    EXPECT_EQ(1201, a.nc->SendData(a.ape, b.nodeId, 1, bytes, 5, 1, 1)) << "a node id is no user id";
    EXPECT_EQ(1201, a.nc->SendData(b.ape, b.userId, 1, bytes, 5, 1, 1)) << "another controller's APE";
    ASSERT_TRUE(PumpUntilQuiet());
    EXPECT_EQ(QXNC_MAX_DATA, b.sinks.Last(Event::Data)->bytes.size());
}

TEST_P(ConferenceTest, EachApeGetsItsCallbacksInOrder) {
    Participant a(Address()), b(Address());
    ASSERT_TRUE(a.Enter("anna"));
    ASSERT_TRUE(b.Enter("ben"));
    for (int i = 0; i < 50; ++i) {
        std::string n = std::to_string(i);
        ASSERT_EQ(0, a.nc->SendData(a.ape, b.userId, 1, reinterpret_cast<const BYTE*>(n.data()),
                                    static_cast<DWORD>(n.size()), 1, 1));
        if (i == 25) {
            ASSERT_EQ(0, a.nc->EnrollApe(a.ape, 1, 5, 0, 0, nullptr, "mid", 3, 3));
        }
    }
    ASSERT_TRUE(PumpUntilQuiet());
    std::vector<std::string> seen;
    for (const Event& e : b.sinks.events)
        if (e.kind == Event::Data || (e.kind == Event::Roster && e.values[3] == 1))
            seen.push_back(e.kind == Event::Data ? e.bytes : "change");
    ASSERT_EQ(51u, seen.size());
    EXPECT_EQ("25", seen[25]);
    EXPECT_EQ("change", seen[26]);
    EXPECT_EQ("49", seen[50]);
}

QX_BOTH_BACKENDS(ConferenceTest);

} // namespace
