// CChatXMLPDU: the base of every chat PDU. A PDU is a small XML document (the object is the
// document tree itself): the root "chat" with the attribute "ver", the element "mtype" with
// the decimal type code, then the body elements of its class. Fields are narrow strings
// (UTF-8 text, decimal numbers); a PDU object is filled and generated, or parsed, once.
#pragma once

#include <atomic>
#include <new>
#include <string>
#include <tinyxml.h>
#include <windows.h>

// The PDU objects alive now, in the whole process: read by the churn command's leak checks.
inline std::atomic<long> g_nQxPdusLive{0};
inline long QxPdusLive() {
    return g_nQxPdusLive.load();
}

class CChatXMLPDU : public TiXmlDocument {
public:
    // Message-type codes ("mtype"); 0 means that a buffer is not a chat PDU.
    enum {
        PDU_NONE = 0,
        PDU_GROUP_INFO = 1,
        PDU_PRIVATE_MESSAGE = 2,
        PDU_GROUP_MESSAGE = 3,
        PDU_CHAT_USER_INFO = 4,
        PDU_ROSTER_INFO = 5,
        PDU_TYPING_INDICATOR = 6,
        PDU_FAQ_CONTENT = 7,
        PDU_FAQ_MACRO_INFO = 8,
        PDU_TRANSFER_MESSAGE = 9,
        PDU_PRIM_CUST_NODE_ID = 10,
        PDU_CUSTOMER_ID = 11,
        PDU_TYPE_LAST = PDU_CUSTOMER_ID
    };

    // A scratch object for GetPDUType: no type code, an empty type string.
    CChatXMLPDU();
    ~CChatXMLPDU() override;
    CChatXMLPDU(const CChatXMLPDU&) = delete;
    CChatXMLPDU& operator=(const CChatXMLPDU&) = delete;

    // Builds the tree from the fields; false when a node could not be created (nothing may be
    // sent then). The base, and the classes that are only received, build nothing.
    virtual bool GenerateXMLPDU();
    // Parses a buffer into the fields; every failure is traced. The base parses nothing.
    virtual bool ParseXMLPDU(const std::string& strPDUBuffer);
    // The buffer's type code, 1 to 11, or 0 when it is no chat PDU. Parses the buffer into
    // this object; the version is not looked at.
    virtual int GetPDUType(const std::string& strPDUBuffer);
    // Reads the fields from `loaded`, a probe whose GetPDUType gave a type: what ParseXMLPDU of
    // the same buffer does, checks and traces included, without parsing the buffer again. The
    // tree stays the probe's: the received text is the probe's GetXMLText, not this object's.
    bool ParseLoaded(const CChatXMLPDU& loaded);

    // The text of "mtype": the class's code from construction, or a parsed header's text.
    const std::string& GetMessageType() const { return m_strMessageType; }
    // The text form, as the library's stream output writes it: these bytes are sent, with no
    // terminator or length prefix.
    std::string GetXMLText() const;

protected:
    CChatXMLPDU(int nTypeCode, const wchar_t* lpszClassName);

    // Generation: runs addBody(root) on a fresh "chat" root that already has its header.
    template <class AddBody> bool BuildDocument(AddBody addBody) {
        try {
            Clear();
            addBody(AddRoot());
            return true;
        } catch (const std::bad_alloc&) {
            Clear();
            return false;
        }
    }
    // Appends an element that is written even when it stays empty.
    static TiXmlElement* AppendElement(TiXmlNode* pParent, const char* lpszName);
    // Appends the element with the field as its text; an empty field leaves the element out.
    // CDATA text gets the "]]>" rule.
    static void AddTextElement(TiXmlNode* pParent, const char* lpszName, const std::string& strField,
                               bool bCDATA);
    static void AddAlwaysElement(TiXmlNode* pParent, const char* lpszName, const std::string& strField);
    // Gives pElem a text child; false (and no child) for an empty text.
    static bool AddTextChild(TiXmlElement* pElem, const std::string& strText, bool bCDATA);

    // Parsing: the common steps up to the header check, each failure traced. Returns the root,
    // or null. Only the group message traces an empty buffer.
    const TiXmlElement* ParseRoot(const std::string& strPDUBuffer, bool bTraceEmpty = false);
    // ParseRoot, then the class's body.
    bool ParseBuffer(const std::string& strPDUBuffer, bool bTraceEmpty = false);
    // Reads the fields below a checked root; a failure is traced. The base reads nothing.
    virtual bool ReadBody(const TiXmlElement* pRoot);
    // Traces "Fail: <class>::ParseXMLPDU: <lpszWhat>"; returns false.
    bool Fail(const wchar_t* lpszWhat) const;
    // The text of the first child element of that name, null when it is missing or has no
    // text (the element's first child is not a text or CDATA node).
    static const char* ChildText(const TiXmlElement* pParent, const char* lpszName);
    // Copies pElem's text into the field; an element without text leaves it unchanged.
    static void ReadText(const TiXmlElement* pElem, std::string& strField);
    static void ReadChildText(const TiXmlElement* pParent, const char* lpszName, std::string& strField);
    // A child element that must have text: copies it, or traces lpszFail and returns false.
    bool ReadRequiredText(const TiXmlElement* pParent, const char* lpszName, std::string& strField,
                          const wchar_t* lpszFail) const;
    // A child element that must exist (its text may be empty): copies its text, or traces
    // lpszFail and returns false.
    bool ReadRequiredElement(const TiXmlElement* pParent, const char* lpszName, std::string& strField,
                             const wchar_t* lpszFail) const;

    // Failure texts shared by the classes with sender and receiver ids.
    static const wchar_t* const FAIL_SEND_ID;
    static const wchar_t* const FAIL_REC_ID;

private:
    enum LoadResult { LOAD_OK, LOAD_REFUSED, LOAD_ERROR };
    // Bounds-checks the buffer (tracing a refusal for the operation named) and parses it.
    LoadResult LoadTree(const std::string& strPDUBuffer, const wchar_t* lpszOperation);
    TiXmlElement* AddRoot();
    // The steps of ParseRoot after the load, on the tree of `doc` (this object or a probe).
    const TiXmlElement* CheckedRoot(const TiXmlDocument& doc);
    bool CheckHeader(const TiXmlElement* pRoot);

    int m_nTypeCode;
    const wchar_t* m_lpszClassName;
    std::string m_strMessageType;
};
