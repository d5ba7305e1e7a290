// Helpers shared by the PDU tests.
#pragma once

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "TraceCapture.h"

// The failure lines ("Fail: ...") among the captured trace lines, in order.
inline std::vector<std::wstring> FailLines(const TraceCapture& capture) {
    std::vector<std::wstring> lines;
    for (const std::wstring& line : capture.Lines())
        if (line.compare(0, 6, L"Fail: ") == 0) lines.push_back(line);
    return lines;
}

// Parses strBuffer into a fresh PDU of class T; returns the parse result and records the
// failure lines it traced.
template <class T> bool ParseWithTrace(const std::string& strBuffer, std::vector<std::wstring>* pFailLines) {
    TraceCapture capture;
    T pdu;
    const bool bOk = pdu.ParseXMLPDU(strBuffer);
    if (pFailLines) *pFailLines = FailLines(capture);
    return bOk;
}

// A document with the header of type nType and the given body.
inline std::string Doc(int nType, const std::string& strBody, const std::string& strVer = "1.0") {
    return "<chat ver=\"" + strVer + "\"><mtype>" + std::to_string(nType) + "</mtype>" + strBody + "</chat>";
}

// One case of a table of failing documents: the document and the one line it must trace.
struct FailCase {
    const char* lpszName;
    std::string strBuffer;
    std::wstring strLine;
};

// Every case fails to parse into a T and traces exactly its one line.
template <class T, size_t N> void ExpectEachFailure(const FailCase (&cases)[N]) {
    for (const FailCase& c : cases) {
        std::vector<std::wstring> lines;
        EXPECT_FALSE(ParseWithTrace<T>(c.strBuffer, &lines)) << c.lpszName;
        EXPECT_THAT(lines, ::testing::ElementsAre(c.strLine)) << c.lpszName;
    }
}
