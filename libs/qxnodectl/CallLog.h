// The log of every call made to qxnodectl, for tests (see IQxNodeControlTest).
#pragma once

#include "qxnodectl_test.h"

#include <deque>
#include <string>
#include <vector>

namespace qxnc {

// One call being described: arguments are added in order, then Finish stores it in the log.
class CallRecord {
public:
    CallRecord(DWORD controller, DWORD op, const char* name);
    CallRecord& Num(DWORD value);
    CallRecord& Signed(int value);
    CallRecord& Ptr(const void* pointer);
    CallRecord& Text(const char* text);
    // An argument with its own rendering in the line.
    CallRecord& Shown(DWORD value, const std::string& shown);
    // The bytes the call carried (at most 64 KiB are kept).
    CallRecord& Data(const void* bytes, size_t size);
    // A value that is no argument, kept in args[] after the arguments and shown after the result.
    CallRecord& Note(DWORD value, const std::string& label);
    void SetController(DWORD controller) { m_call.controller = controller; }
    // Stores the record; returns result.
    int Finish(int result);
    void FinishWithoutResult();

private:
    void Add(DWORD value, const std::string& shown);
    void Store();

    QxNcCall m_call = {};
    std::string m_line;
    std::string m_note;
    std::vector<BYTE> m_data;
    bool m_hasData = false;
    bool m_first = true;
};

// "text" with bytes outside 0x20-0x7e as \xNN, cut at 64 characters; null as null.
std::string Quoted(const char* text, size_t maxRead = 64);
std::string Sized(size_t bytes);

class CallLog {
public:
    static CallLog& Get();
    static const DWORD kMaxCalls = 20000;

    void Add(const QxNcCall& call, std::string line, std::vector<BYTE> data, bool hasData);
    DWORD Count() const { return static_cast<DWORD>(m_calls.size()); }
    bool Copy(DWORD index, QxNcCall* out) const;
    void Clear() { m_calls.clear(); }

private:
    struct Logged {
        QxNcCall call;
        std::string line;
        std::vector<BYTE> data;
        bool hasData;
    };
    std::deque<Logged> m_calls; // a deque keeps its elements in place, so copied pointers stay valid
};

} // namespace qxnc
