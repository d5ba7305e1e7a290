#include "pdu/ChatXMLPDU.h"

#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

#include "PDUTestSupport.h"
#include "pdu/ChatUserInfoPDU.h"
#include "pdu/CustomerIdPDU.h"
#include "pdu/FAQContentPDU.h"
#include "pdu/FAQMacroInfoPDU.h"
#include "pdu/GroupInfoPDU.h"
#include "pdu/GroupMessagePDU.h"
#include "pdu/PrimCustNodeIdPDU.h"
#include "pdu/PrivateMessagePDU.h"
#include "pdu/RosterInfoPDU.h"
#include "pdu/TransferMessagePDU.h"
#include "pdu/TypingIndicatorPDU.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// A class with the common parse steps: a body it accepts, and its fields as one text.
struct PDUClass {
    const wchar_t* lpszName;
    int nType;
    std::function<std::unique_ptr<CChatXMLPDU>()> create;
    std::string strBody;
    std::function<std::string(const CChatXMLPDU&)> fields;
};

template <class T, class Dump>
PDUClass Class(const wchar_t* lpszName, int nType, std::string strBody, Dump dump) {
    return {lpszName, nType, [] { return std::make_unique<T>(); }, std::move(strBody),
            [dump](const CChatXMLPDU& pdu) { return dump(static_cast<const T&>(pdu)); }};
}

std::string Join(std::initializer_list<std::string> parts) {
    std::string out;
    for (const std::string& part : parts)
        out += part + "|";
    return out;
}

// Every class with the common parse steps (the FAQ content PDU has its own entry point).
const std::vector<PDUClass>& ParsingClasses() {
    using std::to_string;
    static const std::vector<PDUClass> classes = {
        Class<CGroupInfoPDU>(L"CGroupInfoPDU", 1, "<grouphandle>5</grouphandle><groupname>G</groupname>",
                             [](const CGroupInfoPDU& p) {
                                 return Join({to_string(p.GetGroupHandle()), p.GetGroupName()});
                             }),
        Class<CPrivateMessagePDU>(L"CPrivateMessagePDU", 2,
                                  "<sendid>1</sendid><SenderName>A</SenderName><recid>2</recid><msgid>3</"
                                  "msgid><message>hi</message>",
                                  [](const CPrivateMessagePDU& p) {
                                      return Join({to_string(p.GetSendId()), p.GetSenderName(),
                                                   to_string(p.GetRecId()), p.GetMessageId(),
                                                   p.GetMessageText()});
                                  }),
        Class<CGroupMessagePDU>(L"CGroupMessagePDU", 3,
                                "<sendid>1</sendid><sendnodeid>9</sendnodeid><groupid>4</"
                                "groupid><message><![CDATA[hi]]></message>",
                                [](const CGroupMessagePDU& p) {
                                    return Join({to_string(p.GetSendId()), to_string(p.GetSendNodeId()),
                                                 to_string(p.GetGroupId()), p.GetMessageText()});
                                }),
        Class<CChatUserInfoPDU>(L"CChatUserInfoPDU", 4, "<uid>7</uid><un>Ann</un>",
                                [](const CChatUserInfoPDU& p) {
                                    return Join({p.GetUserId(), p.GetName()});
                                }),
        Class<CRosterInfoPDU>(L"CRosterInfoPDU", 5, "<NodeID>3</NodeID><UserName>Ann</UserName>",
                              [](const CRosterInfoPDU& p) {
                                  return Join({to_string(p.GetNodeId()), p.GetName()});
                              }),
        Class<CTypingIndicatorPDU>(L"CTypingIndicatorPDU", 6, "<sendid>1</sendid><recid>2</recid>",
                                   [](const CTypingIndicatorPDU& p) {
                                       return Join({to_string(p.GetSendId()), to_string(p.GetRecId())});
                                   }),
        Class<CFAQMacroInfoPDU>(L"CFAQMacroInfoPDU", 8, "<fname>Ann</fname><email>a@b</email>",
                                [](const CFAQMacroInfoPDU& p) {
                                    return Join({p.GetFirstName(), p.GetEmail()});
                                }),
        Class<CTransferMessagePDU>(
            L"CTransferMessagePDU", 9,
            "<sendid>1</sendid><recid>2</recid><messageinfo><stype>3</stype><message>m</message></"
            "messageinfo>",
            [](const CTransferMessagePDU& p) {
                return Join({p.GetSendId(), p.GetRecId(), to_string(p.GetSubType()), p.GetMessageText()});
            }),
        Class<CPrimCustNodeIdPDU>(
            L"CPrimCustNodeIdPDU", 10, "<primcust>5</primcust>",
            [](const CPrimCustNodeIdPDU& p) { return to_string(p.GetPrimCustNodeId()); }),
        Class<CCustomerIdPDU>(L"CCustomerIdPDU", 11, "<customerid>5</customerid>",
                              [](const CCustomerIdPDU& p) { return to_string(p.GetCustomerId()); }),
    };
    return classes;
}

std::vector<std::wstring> ParseLines(const PDUClass& cls, const std::string& strBuffer, bool* pbOk) {
    TraceCapture capture;
    *pbOk = cls.create()->ParseXMLPDU(strBuffer);
    return FailLines(capture);
}

std::vector<std::wstring> LoadedLines(CChatXMLPDU& pdu, const CChatXMLPDU& probe, bool* pbOk) {
    TraceCapture capture;
    *pbOk = pdu.ParseLoaded(probe);
    return FailLines(capture);
}

} // namespace

TEST(ChatXMLPDU, UserInfoTextFormByteForByte) {
    CChatUserInfoPDU pdu;
    pdu.SetUserId(7);
    pdu.SetName("Ann");
    ASSERT_TRUE(pdu.GenerateXMLPDU());
    const std::string text = pdu.GetXMLText();
    EXPECT_EQ("<chat ver=\"1.0\"><mtype>4</mtype><uid>7</uid><un><![CDATA[Ann]]></un></chat>", text);
    // Sent as exactly these bytes: nothing after the end tag.
    EXPECT_EQ(text.size(), strlen(text.c_str()));
}

// The text form is the library's stream output, which peers and stored histories hold: a
// parsed tree (entities, attributes, CDATA, comments) and a generated one print the same.
TEST(ChatXMLPDU, TheTextFormIsTheLibrarysStreamOutput) {
    CGroupMessagePDU generated;
    generated.SetSendId(1);
    generated.SetSenderName("A & B <C>");
    generated.SetGroupId(4);
    generated.SetMessageText("x ]]> y \"quoted\" \xC3\xA9");
    ASSERT_TRUE(generated.GenerateXMLPDU());
    CChatXMLPDU probe;
    ASSERT_EQ(5,
              probe.GetPDUType("<chat ver='1.0' a=\"&amp;&lt;\"><mtype>5</mtype><!-- c --><UserName>A &amp; "
                               "B</UserName><x/><y>&#233;</y></chat>"));
    const CChatXMLPDU* pdus[] = {&generated, &probe};
    for (const CChatXMLPDU* pdu : pdus) {
        std::ostringstream out;
        out << *pdu;
        EXPECT_EQ(out.str(), pdu->GetXMLText());
        EXPECT_FALSE(pdu->GetXMLText().empty());
    }
}

TEST(ChatXMLPDU, CDataTerminatorIsBrokenUpAndStaysSo) {
    struct Case {
        const char* lpszText;
        const char* lpszWritten;
    } cases[] = {
        {"a]]>b", "a]] >b"}, {"]]>]]>", "]] >]] >"},           {"]]]>", "]]] >"},
        {"]]", "]]"},        {"<b>&amp;</b>", "<b>&amp;</b>"},
    };
    for (const Case& c : cases) {
        CChatUserInfoPDU pdu;
        pdu.SetUserId(1);
        pdu.SetName(c.lpszText);
        ASSERT_TRUE(pdu.GenerateXMLPDU());
        EXPECT_EQ(Doc(4, std::string("<uid>1</uid><un><![CDATA[") + c.lpszWritten + "]]></un>"),
                  pdu.GetXMLText());
        CChatUserInfoPDU received;
        ASSERT_TRUE(received.ParseXMLPDU(pdu.GetXMLText())) << c.lpszText;
        EXPECT_EQ(c.lpszWritten, received.GetName());
    }
}

TEST(ChatXMLPDU, EmptyFieldsLeaveTheirElementsOut) {
    CChatUserInfoPDU pdu;
    pdu.SetUserId(7);
    ASSERT_TRUE(pdu.GenerateXMLPDU());
    EXPECT_EQ(Doc(4, "<uid>7</uid>"), pdu.GetXMLText());
    CChatUserInfoPDU empty;
    ASSERT_TRUE(empty.GenerateXMLPDU());
    EXPECT_EQ("<chat ver=\"1.0\"><mtype>4</mtype></chat>", empty.GetXMLText());
}

TEST(ChatXMLPDU, TheBaseAndTheReceivedOnlyClassesGenerateNothing) {
    CChatXMLPDU base;
    EXPECT_FALSE(base.GenerateXMLPDU());
    EXPECT_FALSE(base.ParseXMLPDU(Doc(4, "<uid>7</uid><un/>")));
    EXPECT_EQ("", base.GetMessageType());
    CFAQContentPDU faq(nullptr);
    CFAQMacroInfoPDU macro;
    CPrimCustNodeIdPDU primary;
    CCustomerIdPDU customer;
    for (CChatXMLPDU* pdu : std::vector<CChatXMLPDU*>{&faq, &macro, &primary, &customer}) {
        EXPECT_FALSE(pdu->GenerateXMLPDU());
        EXPECT_EQ("", pdu->GetXMLText());
    }
}

TEST(ChatXMLPDU, ConstructionSetsTheTypeString) {
    for (const PDUClass& cls : ParsingClasses())
        EXPECT_EQ(std::to_string(cls.nType), cls.create()->GetMessageType()) << cls.lpszName;
    EXPECT_EQ("7", CFAQContentPDU(nullptr).GetMessageType());
}

TEST(ChatXMLPDU, TypeProbe) {
    struct Case {
        std::string strBuffer;
        int nType;
    } cases[] = {
        {Doc(3, ""), 3},
        {"<chat><mtype>11</mtype></chat>", 11},
        {"<chat ver=\"9.9\"><mtype>1</mtype></chat>", 1},
        {"<chat ver=\"1.0\"><mtype> 6 </mtype></chat>", 6},
        {"<chat ver=\"1.0\"><mtype>0</mtype></chat>", 0},
        {"<chat ver=\"1.0\"><mtype>12</mtype></chat>", 0},
        {"<chat ver=\"1.0\"><mtype>abc</mtype></chat>", 0},
        {"<chat ver=\"1.0\"><mtype></mtype></chat>", 0},
        {"<chat ver=\"1.0\"><mtype/></chat>", 0},
        {"<chat ver=\"1.0\"></chat>", 0},
        {"<chat ver=\"1.0\"><mtype>-4</mtype></chat>", 0},
        // Too large for any integer: no wrap-around into a valid code.
        {"<chat ver=\"1.0\"><mtype>99999999999999999999</mtype></chat>", 0},
        {"<chat ver=\"1.0\"><mtype>4294967299</mtype></chat>", 0},
        {"<other><mtype>3</mtype></other>", 0},
        {"<!--chat--><x/>", 0},
        {"not xml", 0},
        {"", 0},
    };
    TraceCapture capture;
    for (const Case& c : cases) {
        CChatXMLPDU scratch;
        EXPECT_EQ(c.nType, scratch.GetPDUType(c.strBuffer)) << c.strBuffer;
        // Any class serves as the scratch object.
        EXPECT_EQ(c.nType, CGroupInfoPDU().GetPDUType(c.strBuffer)) << c.strBuffer;
    }
    EXPECT_THAT(capture.Lines(), IsEmpty());
}

TEST(ChatXMLPDU, VersionTwoParsesLikeVersionOne) {
    for (const char* lpszVer : {"1.0", "2.0"}) {
        CChatUserInfoPDU pdu;
        ASSERT_TRUE(pdu.ParseXMLPDU(Doc(4, "<uid>7</uid><un><![CDATA[Ann]]></un>", lpszVer))) << lpszVer;
        EXPECT_EQ("7", pdu.GetUserId());
        EXPECT_EQ("Ann", pdu.GetName());
    }
}

TEST(ChatXMLPDU, ParsingAfterAProbeStartsFromAnEmptyTree) {
    CChatUserInfoPDU pdu;
    const std::string text = Doc(4, "<uid>7</uid><un>Ann</un>");
    ASSERT_EQ(4, pdu.GetPDUType(text));
    ASSERT_TRUE(pdu.ParseXMLPDU(text));
    int nRoots = 0;
    for (const TiXmlNode* p = pdu.FirstChild(); p; p = p->NextSibling())
        ++nRoots;
    EXPECT_EQ(1, nRoots);
}

// The common steps of every class, each with its own line naming the class.
TEST(ChatXMLPDU, CommonFailuresNameTheirClass) {
    for (const PDUClass& cls : ParsingClasses()) {
        const std::wstring prefix = std::wstring(L"Fail: ") + cls.lpszName + L"::ParseXMLPDU: ";
        const int nOther = cls.nType == 4 ? 3 : 4;
        const struct {
            std::string strBuffer;
            std::wstring strLine;
        } cases[] = {
            {"this is not XML", prefix + L"Error()"},
            {"<chat ver=\"1.0\"><mtype>1</mtype>", prefix + L"Error()"},
            {"<other ver=\"1.0\"/>", prefix + L"!node"},
            {"<!--chat--><chat ver=\"1.0\"/>", prefix + L"!RootElement"},
            {"<![CDATA[chat]]>", prefix + L"!RootElement"},
            {Doc(cls.nType, "", "1.1"), prefix + L"!bRet"},
            {"<chat><mtype>" + std::to_string(cls.nType) + "</mtype></chat>", prefix + L"!bRet"},
            {Doc(nOther, ""), prefix + L"!bRet"},
            {"<chat ver=\"1.0\"><mtype></mtype></chat>", prefix + L"!bRet"},
            {"<chat ver=\"1.0\"/>", prefix + L"!bRet"},
            {"<chat ver=\"1.0\"><mtype>99999999999999999999</mtype></chat>", prefix + L"!bRet"},
        };
        for (const auto& c : cases) {
            bool bOk = true;
            EXPECT_THAT(ParseLines(cls, c.strBuffer, &bOk), ElementsAre(c.strLine)) << c.strBuffer;
            EXPECT_FALSE(bOk) << c.strBuffer;
        }
        // Only the group message traces an empty buffer.
        bool bOk = true;
        const std::vector<std::wstring> lines = ParseLines(cls, "", &bOk);
        EXPECT_FALSE(bOk);
        if (cls.nType == 3)
            EXPECT_THAT(lines, ElementsAre(prefix + L"strPDUBuffer.empty()"));
        else
            EXPECT_THAT(lines, IsEmpty()) << cls.lpszName;
    }
}

TEST(ChatXMLPDU, TheParsedTypeStringIsKept) {
    CCustomerIdPDU pdu;
    EXPECT_FALSE(pdu.ParseXMLPDU("<chat ver=\"1.0\"><mtype>x11</mtype><customerid>5</customerid></chat>"));
    EXPECT_EQ("x11", pdu.GetMessageType());
    CCustomerIdPDU accepted;
    ASSERT_TRUE(
        accepted.ParseXMLPDU("<chat ver=\"1.0\"><mtype> 11</mtype><customerid>5</customerid></chat>"));
    EXPECT_EQ("11", accepted.GetMessageType());
}

// A received buffer is parsed once, by the probe; reading the probe's tree must give what
// parsing the buffer again gives: the result, the fields, the type string and the failure lines.
TEST(ChatXMLPDU, ReadingAProbesTreeMatchesParsingTheBuffer) {
    for (const PDUClass& cls : ParsingClasses()) {
        const int nOther = cls.nType == 4 ? 3 : 4;
        const std::string accepted = Doc(cls.nType, cls.strBody);
        for (const std::string& text :
             {accepted, Doc(nOther, cls.strBody), Doc(cls.nType, cls.strBody, "1.1"), Doc(cls.nType, ""),
              Doc(cls.nType, cls.strBody, "2.0")}) {
            CChatXMLPDU probe;
            ASSERT_NE(0, probe.GetPDUType(text)) << text;
            const std::unique_ptr<CChatXMLPDU> parsed = cls.create(), loaded = cls.create();
            bool bParsed = false, bLoaded = false;
            std::vector<std::wstring> parseLines;
            {
                TraceCapture capture;
                bParsed = parsed->ParseXMLPDU(text);
                parseLines = FailLines(capture);
            }
            EXPECT_EQ(parseLines, LoadedLines(*loaded, probe, &bLoaded)) << text;
            EXPECT_EQ(bParsed, bLoaded) << text;
            EXPECT_EQ(cls.fields(*parsed), cls.fields(*loaded)) << text;
            EXPECT_EQ(parsed->GetMessageType(), loaded->GetMessageType()) << text;
            // The received text, for a copy, is the probe's.
            EXPECT_EQ(parsed->GetXMLText(), probe.GetXMLText()) << text;
        }
        // The accepted document's fields are really read, not two empty sets compared.
        CChatXMLPDU probe;
        ASSERT_EQ(cls.nType, probe.GetPDUType(accepted));
        const std::unique_ptr<CChatXMLPDU> loaded = cls.create();
        EXPECT_TRUE(loaded->ParseLoaded(probe)) << accepted;
        EXPECT_NE(cls.fields(*cls.create()), cls.fields(*loaded)) << accepted;
    }
}

TEST(ChatXMLPDU, AProbeThatFoundNoPDUGivesNothingToRead) {
    for (const char* lpszText : {"not xml", "", "<other/>"}) {
        CChatXMLPDU probe;
        ASSERT_EQ(0, probe.GetPDUType(lpszText));
        CGroupMessagePDU pdu;
        bool bOk = true;
        EXPECT_THAT(LoadedLines(pdu, probe, &bOk), ElementsAre(L"Fail: CGroupMessagePDU::ParseXMLPDU: !node"))
            << lpszText;
        EXPECT_FALSE(bOk) << lpszText;
        EXPECT_EQ(0u, pdu.GetSendId());
    }
    // The base reads no body, whatever the probe holds.
    CChatXMLPDU probe, base;
    ASSERT_EQ(3, probe.GetPDUType(Doc(3, "<sendid>1</sendid><groupid>4</groupid><message>hi</message>")));
    bool bOk = true;
    LoadedLines(base, probe, &bOk);
    EXPECT_FALSE(bOk);
}
