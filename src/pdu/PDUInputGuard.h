// Checks on PDU text before it reaches the XML parser. A PDU arrives from any participant of
// the meeting (directly or through a shared cache every subscriber reads) or from the host,
// so its bytes are untrusted. The parser recurses once per element level, and its duplicate
// attribute check is quadratic in the attributes of one element: both are bounded here, far
// above anything a real PDU holds (three element levels, one attribute).
#pragma once

#include <string>

// Bytes of one PDU buffer.
const size_t MAX_PDU_SIZE = 1024 * 1024;
// Element levels, the root included.
const unsigned MAX_PDU_DEPTH = 32;
// Attributes on one element.
const unsigned MAX_PDU_ATTRIBUTES = 64;

// The text that the parser is given for a buffer: its bytes up to the first NUL (as a
// receiver's NUL-terminated copy reads them), followed by a few NUL bytes. The parser's UTF-8
// mode (chosen by a byte-order mark or a declaration) steps over a multi-byte sequence as a
// whole even where the buffer ends inside it; the padding keeps those steps inside the
// string.
std::string MakeParserText(const std::string& strBuffer);

struct PDUTextScan {
    unsigned nDepth = 0;      // deepest element level the parser reaches
    unsigned nAttributes = 0; // most attributes the parser reads on one element
};

// Walks lpszText (from MakeParserText) the way the XML library's parser does, without
// building anything or recursing, and measures what the parser would reach. The walk stops
// where the parser would stop with an error, or as soon as a value exceeds its limit (the
// value then reads as limit + 1).
PDUTextScan ScanPDUText(const char* lpszText, unsigned nMaxDepth, unsigned nMaxAttributes);
