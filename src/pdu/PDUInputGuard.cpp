#include "pdu/PDUInputGuard.h"

#include <tinyxml.h>
#include <vector>

namespace {

// The walk must agree with the parser on every byte, or a document could look shallow here
// and still be deep there. So it follows the library's own control flow for documents and
// elements, and hands every construct that cannot nest (attributes, text, CDATA, comments,
// declarations, unknown tags) to the library's own parser for that construct, on a node that
// belongs to no document. Deriving from the library's base class gives access to its
// character primitives; the class is never instantiated.
class CParserWalk : public TiXmlBase {
public:
    CParserWalk(const CParserWalk&) = delete;
    static PDUTextScan Walk(const char* p, unsigned nMaxDepth, unsigned nMaxAttributes);

private:
    enum NodeKind { NODE_NONE, NODE_DECLARATION, NODE_COMMENT, NODE_CDATA, NODE_UNKNOWN, NODE_ELEMENT };

    static NodeKind Identify(const char* p, TiXmlEncoding encoding);
    static const char* ParseLeaf(NodeKind kind, const char* p, TiXmlEncoding* pEncoding, bool bTopLevel);
    static TiXmlEncoding DeclaredEncoding(const TiXmlDeclaration& decl);
};

// TiXmlNode::Identify, without creating the node.
CParserWalk::NodeKind CParserWalk::Identify(const char* p, TiXmlEncoding encoding) {
    if (!p || *p != '<') return NODE_NONE;
    if (StringEqual(p, "<?xml", true, encoding)) return NODE_DECLARATION;
    if (StringEqual(p, "<!--", false, encoding)) return NODE_COMMENT;
    if (StringEqual(p, "<![CDATA[", false, encoding)) return NODE_CDATA;
    if (StringEqual(p, "<!", false, encoding)) return NODE_UNKNOWN;
    if (IsAlpha(static_cast<unsigned char>(p[1]), encoding) || p[1] == '_') return NODE_ELEMENT;
    return NODE_UNKNOWN;
}

// The encoding switch of TiXmlDocument::Parse after a top-level declaration.
TiXmlEncoding CParserWalk::DeclaredEncoding(const TiXmlDeclaration& decl) {
    const char* enc = decl.Encoding();
    if (*enc == 0) return TIXML_ENCODING_UTF8;
    if (StringEqual(enc, "UTF-8", true, TIXML_ENCODING_UNKNOWN)) return TIXML_ENCODING_UTF8;
    if (StringEqual(enc, "UTF8", true, TIXML_ENCODING_UNKNOWN)) return TIXML_ENCODING_UTF8;
    return TIXML_ENCODING_LEGACY;
}

const char* CParserWalk::ParseLeaf(NodeKind kind, const char* p, TiXmlEncoding* pEncoding, bool bTopLevel) {
    switch (kind) {
    case NODE_DECLARATION: {
        TiXmlDeclaration decl;
        p = decl.Parse(p, nullptr, *pEncoding);
        if (bTopLevel && *pEncoding == TIXML_ENCODING_UNKNOWN) *pEncoding = DeclaredEncoding(decl);
        return p;
    }
    case NODE_COMMENT: {
        TiXmlComment comment;
        return comment.Parse(p, nullptr, *pEncoding);
    }
    case NODE_CDATA: {
        TiXmlText text("");
        text.SetCDATA(true);
        return text.Parse(p, nullptr, *pEncoding);
    }
    default: {
        TiXmlUnknown unknown;
        return unknown.Parse(p, nullptr, *pEncoding);
    }
    }
}

PDUTextScan CParserWalk::Walk(const char* p, unsigned nMaxDepth, unsigned nMaxAttributes) {
    PDUTextScan scan;
    if (!p || !*p) return scan;

    // TiXmlDocument::Parse: a leading byte-order mark selects UTF-8.
    TiXmlEncoding encoding = TIXML_ENCODING_UNKNOWN;
    const unsigned char* pU = reinterpret_cast<const unsigned char*>(p);
    if (pU[0] == 0xEF && pU[1] == 0xBB && pU[2] == 0xBF) encoding = TIXML_ENCODING_UTF8;

    // Names of the elements whose content is being read, outermost first. Empty: the
    // document level.
    std::vector<std::string> open;
    std::string name;
    p = SkipWhiteSpace(p, encoding);
    while (p && *p) {
        if (!open.empty() && *p != '<') {
            // TiXmlElement::ReadValue: text up to the next tag.
            TiXmlText text("");
            p = text.Parse(p, nullptr, encoding);
        } else if (!open.empty() && StringEqual(p, "</", false, encoding)) {
            // TiXmlElement::Parse: the end tag of the innermost element.
            const std::string endTag = "</" + open.back();
            if (!StringEqual(p, endTag.c_str(), false, encoding)) break;
            p = SkipWhiteSpace(p + endTag.size(), encoding);
            if (!p || *p != '>') break;
            ++p;
            open.pop_back();
        } else {
            const NodeKind kind = Identify(p, encoding);
            if (kind == NODE_NONE) break;
            if (kind != NODE_ELEMENT) {
                p = ParseLeaf(kind, p, &encoding, open.empty());
            } else {
                // TiXmlElement::Parse: name, then attributes up to "/>" or ">".
                const unsigned nDepth = static_cast<unsigned>(open.size()) + 1;
                if (nDepth > scan.nDepth) scan.nDepth = nDepth;
                if (nDepth > nMaxDepth) break;
                p = ReadName(SkipWhiteSpace(p + 1, encoding), &name, encoding);
                unsigned nAttributes = 0;
                while (p && *p) {
                    p = SkipWhiteSpace(p, encoding);
                    if (!p || !*p) break;
                    if (*p == '/') {
                        p = (p[1] == '>') ? p + 2 : nullptr;
                        break;
                    }
                    if (*p == '>') {
                        ++p;
                        open.push_back(name);
                        break;
                    }
                    TiXmlAttribute attribute;
                    p = attribute.Parse(p, nullptr, encoding);
                    if (++nAttributes > scan.nAttributes) scan.nAttributes = nAttributes;
                    if (nAttributes > nMaxAttributes) return scan;
                }
            }
        }
        p = SkipWhiteSpace(p, encoding);
    }
    return scan;
}

} // namespace

std::string MakeParserText(const std::string& strBuffer) {
    std::string text(strBuffer.c_str());
    text.append(4, '\0');
    return text;
}

PDUTextScan ScanPDUText(const char* lpszText, unsigned nMaxDepth, unsigned nMaxAttributes) {
    return CParserWalk::Walk(lpszText, nMaxDepth, nMaxAttributes);
}
