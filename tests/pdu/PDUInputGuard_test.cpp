#include "pdu/PDUInputGuard.h"

#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "PDUTestSupport.h"
#include "pdu/ChatUserInfoPDU.h"
#include "pdu/GroupMessagePDU.h"
#include "pdu/PrivateMessagePDU.h"
#include "pdu/TypingIndicatorPDU.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const std::string kPrivateMessage =
    "<chat ver=\"1.0\"><mtype>2</mtype><sendid>1001</sendid><SenderName><![CDATA[Ann]]></SenderName>"
    "<recid>1002</recid><ReceiverName><![CDATA[Bob]]></ReceiverName><message><![CDATA[Hi & "
    "bye]]></message></chat>";

std::string Repeat(const std::string& strPart, size_t n) {
    std::string s;
    s.reserve(strPart.size() * n);
    for (size_t i = 0; i < n; ++i)
        s += strPart;
    return s;
}

// Deepest element level of a parsed tree (small trees only: this recurses).
unsigned TreeDepth(const TiXmlNode* pNode) {
    unsigned nDepth = 0;
    for (const TiXmlNode* p = pNode->FirstChild(); p; p = p->NextSibling())
        if (p->ToElement()) nDepth = std::max(nDepth, 1 + TreeDepth(p));
    return nDepth;
}

unsigned ParsedDepth(const std::string& strBuffer) {
    TiXmlDocument doc;
    doc.Parse(MakeParserText(strBuffer).c_str());
    return TreeDepth(&doc);
}

// Fragments that each open one element level while a scan that does not follow the parser
// byte for byte could take them for a complete element.
struct Disguise {
    const char* lpszName;
    std::string strPrefix; // before the repeated fragments
    std::string strLevel;
};
const std::vector<Disguise>& Disguises() {
    static const std::vector<Disguise> cases = {
        {"plain", "", "<a>"},
        {"self-closing inside a quoted value", "", "<a b=\"/>\">"},
        {"single-quoted value", "", "<a b='\"/>'>"},
        {"end tag swallowed by a character reference", "", "<a>&#x</a>x;"},
        {"decimal reference", "", "<a>&#</a>#1;"},
        {"quote swallowed by a reference in a value", "", "<a b=\"&#x\"/>x;\">"},
        {"end tag inside a comment", "", "<a><!-- </a> -->"},
        {"end tag inside CDATA", "", "<a><![CDATA[</a>]]>"},
        {"end tag inside an unknown tag", "", "<a><!x </a>"},
        {"end tag inside a declaration's quoted version", "", "<a><?xml version=\"></a>\"?>"},
        {"UTF-8 lead byte after a byte-order mark", "\xEF\xBB\xBF", "<a>\xF0</a>"},
        {"UTF-8 lead byte after a declaration", "<?xml version=\"1.0\"?>", "<a>\xF0</a>"},
        {"legacy encoding keeps the byte", "<?xml version=\"1.0\" encoding=\"latin1\"?>", "<a>\xF0<b/>"},
        {"white space after the name", "", "<a\t\n >"},
        {"element with attributes", "", "<a x=\"1\" y='2' z=3>"},
    };
    return cases;
}

} // namespace

TEST(PDUInputGuard, TheWalkReachesExactlyTheParsersDepth) {
    for (const Disguise& d : Disguises()) {
        for (size_t n : {1u, 5u, 12u}) {
            const std::string text = d.strPrefix + Repeat(d.strLevel, n) + "x";
            const PDUTextScan scan = ScanPDUText(MakeParserText(text).c_str(), 1000, 1000);
            EXPECT_EQ(ParsedDepth(text), scan.nDepth) << d.lpszName << " x" << n;
            EXPECT_GE(scan.nDepth, n) << d.lpszName << " x" << n;
        }
    }
}

TEST(PDUInputGuard, ClosedElementsDoNotAddUp) {
    for (const std::string& body : {Repeat("<a/>", 1000), Repeat("<a b=\"/>\"></a>", 1000),
                                    Repeat("<a><![CDATA[<b><c>]]><!-- <d> --></a>", 1000)}) {
        const std::string text = "<chat>" + body + "</chat>";
        EXPECT_EQ(2u, ScanPDUText(MakeParserText(text).c_str(), MAX_PDU_DEPTH, MAX_PDU_ATTRIBUTES).nDepth);
    }
    EXPECT_EQ(0u, ScanPDUText("", 10, 10).nDepth);
    EXPECT_EQ(0u, ScanPDUText("just text", 10, 10).nDepth);
}

TEST(PDUInputGuard, HundredThousandLevelsAreRefusedBeforeParsing) {
    for (const Disguise& d : Disguises()) {
        // A hundred thousand levels, or as many as fit under the size limit.
        const size_t n = std::min<size_t>(100000, (MAX_PDU_SIZE - 200) / d.strLevel.size());
        const std::string text = d.strPrefix +
                                 "<chat ver=\"1.0\"><mtype>2</mtype><sendid>1</sendid><recid>2</recid>" +
                                 "<message>" + Repeat(d.strLevel, n) + "</message></chat>";
        std::vector<std::wstring> lines;
        EXPECT_FALSE(ParseWithTrace<CPrivateMessagePDU>(text, &lines)) << d.lpszName;
        EXPECT_THAT(lines, ElementsAre(L"Fail: CPrivateMessagePDU::ParseXMLPDU: nesting depth > 32"))
            << d.lpszName;
    }
    TraceCapture capture;
    CChatXMLPDU scratch;
    EXPECT_EQ(0, scratch.GetPDUType("<chat ver=\"1.0\"><mtype>2</mtype>" + Repeat("<a>", 100000)));
    EXPECT_THAT(capture.Lines(), ElementsAre(L"Fail: CChatXMLPDU::GetPDUType: nesting depth > 32"));
}

TEST(PDUInputGuard, DepthLimitBoundary) {
    // "chat" is level 1; "message" level 2; the payload adds the rest.
    const auto build = [](size_t nLevels) {
        return Doc(2, "<sendid>1</sendid><recid>2</recid><message>" + Repeat("<a>", nLevels - 2) + "x" +
                          Repeat("</a>", nLevels - 2) + "</message>");
    };
    CPrivateMessagePDU atLimit;
    EXPECT_TRUE(atLimit.ParseXMLPDU(build(MAX_PDU_DEPTH)));
    std::vector<std::wstring> lines;
    EXPECT_FALSE(ParseWithTrace<CPrivateMessagePDU>(build(MAX_PDU_DEPTH + 1), &lines));
    EXPECT_THAT(lines, ElementsAre(L"Fail: CPrivateMessagePDU::ParseXMLPDU: nesting depth > 32"));
}

TEST(PDUInputGuard, AttributeLimit) {
    const auto attributes = [](size_t n) {
        std::string s;
        for (size_t i = 0; i < n; ++i)
            s += " a" + std::to_string(i) + "=\"\"";
        return s;
    };
    const auto build = [&](size_t n) {
        return "<chat ver=\"1.0\"" + attributes(n - 1) + "><mtype>4</mtype><uid>7</uid><un/></chat>";
    };
    CChatUserInfoPDU atLimit;
    EXPECT_TRUE(atLimit.ParseXMLPDU(build(MAX_PDU_ATTRIBUTES)));
    for (size_t n : {size_t(MAX_PDU_ATTRIBUTES + 1), size_t(90000)}) {
        std::vector<std::wstring> lines;
        EXPECT_FALSE(ParseWithTrace<CChatUserInfoPDU>(build(n), &lines)) << n;
        EXPECT_THAT(lines,
                    ElementsAre(L"Fail: CChatUserInfoPDU::ParseXMLPDU: attributes of one element > 64"));
    }
}

TEST(PDUInputGuard, SizeLimit) {
    const std::string head =
        "<chat ver=\"1.0\"><mtype>3</mtype><sendid>1</sendid><groupid>15</groupid><message><![CDATA[";
    const std::string tail = "]]></message></chat>";
    const std::string atLimit = head + std::string(MAX_PDU_SIZE - head.size() - tail.size(), 'a') + tail;
    ASSERT_EQ(MAX_PDU_SIZE, atLimit.size());
    CGroupMessagePDU big;
    ASSERT_TRUE(big.ParseXMLPDU(atLimit));
    EXPECT_EQ(MAX_PDU_SIZE - head.size() - tail.size(), big.GetMessageText().size());

    for (size_t nSize : {MAX_PDU_SIZE + 1, size_t(10) * 1024 * 1024}) {
        const std::string text = head + std::string(nSize - head.size() - tail.size(), 'a') + tail;
        std::vector<std::wstring> lines;
        EXPECT_FALSE(ParseWithTrace<CGroupMessagePDU>(text, &lines));
        EXPECT_THAT(lines,
                    ElementsAre(L"Fail: CGroupMessagePDU::ParseXMLPDU: strPDUBuffer.size() > 1048576"));
        TraceCapture capture;
        EXPECT_EQ(0, CGroupMessagePDU().GetPDUType(text));
        EXPECT_THAT(capture.Lines(),
                    ElementsAre(L"Fail: CGroupMessagePDU::GetPDUType: strPDUBuffer.size() > 1048576"));
    }
    // Ten megabytes of NUL bytes are refused by their size, not read as an empty text.
    std::vector<std::wstring> lines;
    EXPECT_FALSE(ParseWithTrace<CGroupMessagePDU>(std::string(10 * 1024 * 1024, '\0'), &lines));
    EXPECT_THAT(lines, ElementsAre(L"Fail: CGroupMessagePDU::ParseXMLPDU: strPDUBuffer.size() > 1048576"));
}

TEST(PDUInputGuard, EveryTruncationFailsWithOneLine) {
    for (size_t n = 1; n < kPrivateMessage.size(); ++n) {
        std::vector<std::wstring> lines;
        EXPECT_FALSE(ParseWithTrace<CPrivateMessagePDU>(kPrivateMessage.substr(0, n), &lines)) << n;
        ASSERT_EQ(1u, lines.size()) << n;
        EXPECT_EQ(0u, lines[0].find(L"Fail: CPrivateMessagePDU::ParseXMLPDU: ")) << n;
        EXPECT_EQ(0, CChatXMLPDU().GetPDUType(kPrivateMessage.substr(0, n))) << n;
    }
    EXPECT_TRUE(CPrivateMessagePDU().ParseXMLPDU(kPrivateMessage));
}

TEST(PDUInputGuard, TextEndsAtTheFirstNul) {
    EXPECT_EQ(std::string("ab\0\0\0\0", 6), MakeParserText(std::string("ab\0cd", 5)));
    // A terminator sent along, or junk after it, is not read.
    for (const std::string& tail : {std::string(1, '\0'), std::string("\0<junk", 6)}) {
        CPrivateMessagePDU pdu;
        EXPECT_TRUE(pdu.ParseXMLPDU(kPrivateMessage + tail));
        EXPECT_EQ("Hi & bye", pdu.GetMessageText());
    }
    std::string cut = kPrivateMessage;
    cut[cut.find("Hi")] = '\0';
    std::vector<std::wstring> lines;
    EXPECT_FALSE(ParseWithTrace<CPrivateMessagePDU>(cut, &lines));
    EXPECT_THAT(lines, ElementsAre(L"Fail: CPrivateMessagePDU::ParseXMLPDU: Error()"));
}

TEST(PDUInputGuard, BytesThatAreNotUtf8) {
    // Carried as they are; the engine's conversion turns them into replacement characters.
    const std::string junk = "\xFF\xFE\xC3(\x80\xF0\x9F";
    CPrivateMessagePDU pdu;
    ASSERT_TRUE(pdu.ParseXMLPDU(
        Doc(2, "<sendid>1</sendid><recid>2</recid><message><![CDATA[" + junk + "]]></message>")));
    EXPECT_EQ(junk, pdu.GetMessageText());
    CTypingIndicatorPDU typing;
    EXPECT_TRUE(typing.ParseXMLPDU(Doc(6, "<sendid>7\xFF</sendid><recid>\xC3</recid>")));
    EXPECT_EQ(7u, typing.GetSendId());
    EXPECT_EQ(0u, typing.GetRecId());

    // In the parser's UTF-8 mode a lead byte at the very end claims bytes beyond the buffer.
    for (const std::string& prefix : {std::string("\xEF\xBB\xBF"), std::string("<?xml version=\"1.0\"?>")}) {
        for (const char* lpszEnd : {"\xF0", "\xE0\x80", "\xC3", "\xEF", "\xEF\xBB"}) {
            const std::string text = prefix + kPrivateMessage.substr(0, 60) + lpszEnd;
            std::vector<std::wstring> lines;
            EXPECT_FALSE(ParseWithTrace<CPrivateMessagePDU>(text, &lines));
            EXPECT_THAT(lines, ElementsAre(L"Fail: CPrivateMessagePDU::ParseXMLPDU: Error()"));
        }
    }
}

TEST(PDUInputGuard, AHugeTypeCodeIsNoValidType) {
    const std::string text = "<chat ver=\"1.0\"><mtype>99999999999999999999</mtype><sendid>1</sendid>"
                             "<recid>2</recid><message/></chat>";
    TraceCapture capture;
    EXPECT_EQ(0, CChatXMLPDU().GetPDUType(text));
    EXPECT_FALSE(CPrivateMessagePDU().ParseXMLPDU(text));
    EXPECT_THAT(FailLines(capture), ElementsAre(L"Fail: CPrivateMessagePDU::ParseXMLPDU: !bRet"));
}
