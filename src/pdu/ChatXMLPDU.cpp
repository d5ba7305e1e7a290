#include "pdu/ChatXMLPDU.h"

#include <cstring>
#include <memory>

#include "pdu/Decimal.h"
#include "pdu/PDUInputGuard.h"
#include "trace/Trace.h"

namespace {

// CDATA cannot hold its own terminator: every "]]>" is broken up as "]] >". The receiver
// keeps the blank.
std::string BreakCDataEnd(std::string strText) {
    for (size_t pos = strText.find("]]>"); pos != std::string::npos; pos = strText.find("]]>", pos + 1))
        strText.replace(pos, 3, "]] >");
    return strText;
}

} // namespace

const wchar_t* const CChatXMLPDU::FAIL_SEND_ID = L"!SendIDElem || !SendIDElem->GetText()";
const wchar_t* const CChatXMLPDU::FAIL_REC_ID = L"!ReveIDElem || !ReveIDElem->GetText()";

CChatXMLPDU::CChatXMLPDU() : m_nTypeCode(PDU_NONE), m_lpszClassName(L"CChatXMLPDU") {
    ++g_nQxPdusLive;
}

CChatXMLPDU::CChatXMLPDU(int nTypeCode, const wchar_t* lpszClassName)
    : m_nTypeCode(nTypeCode), m_lpszClassName(lpszClassName), m_strMessageType(DecimalFromLong(nTypeCode)) {
    ++g_nQxPdusLive;
}

CChatXMLPDU::~CChatXMLPDU() {
    --g_nQxPdusLive;
}

bool CChatXMLPDU::GenerateXMLPDU() {
    return false;
}

bool CChatXMLPDU::ParseXMLPDU(const std::string&) {
    return false;
}

std::string CChatXMLPDU::GetXMLText() const {
    // What the library's stream output writes (its printer in stream mode), without a stream.
    TiXmlPrinter printer;
    printer.SetStreamPrinting();
    Accept(&printer);
    return printer.Str();
}

TiXmlElement* CChatXMLPDU::AppendElement(TiXmlNode* pParent, const char* lpszName) {
    auto pElem = std::make_unique<TiXmlElement>(lpszName);
    return pParent->LinkEndChild(pElem.release())->ToElement();
}

bool CChatXMLPDU::AddTextChild(TiXmlElement* pElem, const std::string& strText, bool bCDATA) {
    if (strText.empty()) return false;
    auto pText = std::make_unique<TiXmlText>(bCDATA ? BreakCDataEnd(strText) : strText);
    pText->SetCDATA(bCDATA);
    pElem->LinkEndChild(pText.release());
    return true;
}

void CChatXMLPDU::AddTextElement(TiXmlNode* pParent, const char* lpszName, const std::string& strField,
                                 bool bCDATA) {
    if (strField.empty()) return;
    auto pElem = std::make_unique<TiXmlElement>(lpszName);
    AddTextChild(pElem.get(), strField, bCDATA);
    pParent->LinkEndChild(pElem.release());
}

void CChatXMLPDU::AddAlwaysElement(TiXmlNode* pParent, const char* lpszName, const std::string& strField) {
    AddTextChild(AppendElement(pParent, lpszName), strField, false);
}

TiXmlElement* CChatXMLPDU::AddRoot() {
    TiXmlElement* pRoot = AppendElement(this, "chat");
    pRoot->SetAttribute("ver", "1.0");
    AddAlwaysElement(pRoot, "mtype", m_strMessageType);
    return pRoot;
}

CChatXMLPDU::LoadResult CChatXMLPDU::LoadTree(const std::string& strPDUBuffer, const wchar_t* lpszOperation) {
    if (strPDUBuffer.size() > MAX_PDU_SIZE) {
        Trace(L"Fail: %s::%s: strPDUBuffer.size() > %u", m_lpszClassName, lpszOperation,
              static_cast<unsigned>(MAX_PDU_SIZE));
        return LOAD_REFUSED;
    }
    const std::string text = MakeParserText(strPDUBuffer);
    const PDUTextScan scan = ScanPDUText(text.c_str(), MAX_PDU_DEPTH, MAX_PDU_ATTRIBUTES);
    if (scan.nDepth > MAX_PDU_DEPTH) {
        Trace(L"Fail: %s::%s: nesting depth > %u", m_lpszClassName, lpszOperation, MAX_PDU_DEPTH);
        return LOAD_REFUSED;
    }
    if (scan.nAttributes > MAX_PDU_ATTRIBUTES) {
        Trace(L"Fail: %s::%s: attributes of one element > %u", m_lpszClassName, lpszOperation,
              MAX_PDU_ATTRIBUTES);
        return LOAD_REFUSED;
    }
    try {
        Clear();
        Parse(text.c_str());
    } catch (const std::bad_alloc&) {
        Clear();
        return LOAD_ERROR;
    }
    return Error() ? LOAD_ERROR : LOAD_OK;
}

bool CChatXMLPDU::CheckHeader(const TiXmlElement* pRoot) {
    const char* lpszVer = pRoot->Attribute("ver");
    if (!lpszVer || (strcmp(lpszVer, "1.0") != 0 && strcmp(lpszVer, "2.0") != 0)) return false;
    const char* lpszType = ChildText(pRoot, "mtype");
    if (!lpszType || !*lpszType) return false;
    m_strMessageType = lpszType;
    return IntFromDecimal(lpszType) == m_nTypeCode;
}

const TiXmlElement* CChatXMLPDU::ParseRoot(const std::string& strPDUBuffer, bool bTraceEmpty) {
    if (strPDUBuffer.empty()) {
        if (bTraceEmpty) Fail(L"strPDUBuffer.empty()");
        return nullptr;
    }
    switch (LoadTree(strPDUBuffer, L"ParseXMLPDU")) {
    case LOAD_REFUSED: return nullptr;
    case LOAD_ERROR: Fail(L"Error()"); return nullptr;
    case LOAD_OK: break;
    }
    return CheckedRoot(*this);
}

bool CChatXMLPDU::ParseBuffer(const std::string& strPDUBuffer, bool bTraceEmpty) {
    const TiXmlElement* pRoot = ParseRoot(strPDUBuffer, bTraceEmpty);
    return pRoot && ReadBody(pRoot);
}

bool CChatXMLPDU::ParseLoaded(const CChatXMLPDU& loaded) {
    const TiXmlElement* pRoot = CheckedRoot(loaded);
    return pRoot && ReadBody(pRoot);
}

bool CChatXMLPDU::ReadBody(const TiXmlElement*) {
    return false;
}

const TiXmlElement* CChatXMLPDU::CheckedRoot(const TiXmlDocument& doc) {
    const TiXmlNode* pNode = doc.FirstChild("chat");
    if (!pNode) {
        Fail(L"!node");
        return nullptr;
    }
    const TiXmlElement* pRoot = pNode->ToElement();
    if (!pRoot) {
        Fail(L"!RootElement");
        return nullptr;
    }
    if (!CheckHeader(pRoot)) {
        Fail(L"!bRet");
        return nullptr;
    }
    return pRoot;
}

int CChatXMLPDU::GetPDUType(const std::string& strPDUBuffer) {
    if (strPDUBuffer.empty() || LoadTree(strPDUBuffer, L"GetPDUType") != LOAD_OK) return PDU_NONE;
    const TiXmlNode* pNode = FirstChild("chat");
    const TiXmlElement* pRoot = pNode ? pNode->ToElement() : nullptr;
    const char* lpszType = pRoot ? ChildText(pRoot, "mtype") : nullptr;
    if (!lpszType || !*lpszType) return PDU_NONE;
    const int nType = IntFromDecimal(lpszType);
    return (nType >= 1 && nType <= PDU_TYPE_LAST) ? nType : PDU_NONE;
}

bool CChatXMLPDU::Fail(const wchar_t* lpszWhat) const {
    Trace(L"Fail: %s::ParseXMLPDU: %s", m_lpszClassName, lpszWhat);
    return false;
}

const char* CChatXMLPDU::ChildText(const TiXmlElement* pParent, const char* lpszName) {
    const TiXmlElement* pElem = pParent->FirstChildElement(lpszName);
    return pElem ? pElem->GetText() : nullptr;
}

void CChatXMLPDU::ReadText(const TiXmlElement* pElem, std::string& strField) {
    const char* lpszText = pElem ? pElem->GetText() : nullptr;
    if (lpszText) strField = lpszText;
}

void CChatXMLPDU::ReadChildText(const TiXmlElement* pParent, const char* lpszName, std::string& strField) {
    ReadText(pParent->FirstChildElement(lpszName), strField);
}

bool CChatXMLPDU::ReadRequiredText(const TiXmlElement* pParent, const char* lpszName, std::string& strField,
                                   const wchar_t* lpszFail) const {
    const char* lpszText = ChildText(pParent, lpszName);
    if (!lpszText) return Fail(lpszFail);
    strField = lpszText;
    return true;
}

bool CChatXMLPDU::ReadRequiredElement(const TiXmlElement* pParent, const char* lpszName,
                                      std::string& strField, const wchar_t* lpszFail) const {
    const TiXmlElement* pElem = pParent->FirstChildElement(lpszName);
    if (!pElem) return Fail(lpszFail);
    ReadText(pElem, strField);
    return true;
}
