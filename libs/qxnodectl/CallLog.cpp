#include "CallLog.h"

#include <cstdio>
#include <cstring>

namespace qxnc {

namespace {
const size_t kMaxLoggedData = 64 * 1024;
}

std::string Quoted(const char* text, size_t maxRead) {
    if (!text) return "null";
    size_t length = strnlen(text, maxRead + 1);
    std::string out = "\"";
    for (size_t i = 0; i < length && i < maxRead; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c <= 0x7e && c != '"' && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
    }
    out += "\"";
    if (length > maxRead) out += "...";
    return out;
}

std::string Sized(size_t bytes) {
    return std::to_string(bytes) + " bytes";
}

CallRecord::CallRecord(DWORD controller, DWORD op, const char* name) : m_line(name) {
    m_call.controller = controller;
    m_call.op = op;
    m_line += "(";
}

void CallRecord::Add(DWORD value, const std::string& shown) {
    if (m_call.arg_count < 9) m_call.args[m_call.arg_count++] = value;
    if (!m_first) m_line += ", ";
    m_first = false;
    m_line += shown;
}

CallRecord& CallRecord::Num(DWORD value) {
    Add(value, std::to_string(value));
    return *this;
}

CallRecord& CallRecord::Signed(int value) {
    Add(static_cast<DWORD>(value), std::to_string(value));
    return *this;
}

CallRecord& CallRecord::Ptr(const void* pointer) {
    Add(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(pointer)), pointer ? "ptr" : "null");
    return *this;
}

CallRecord& CallRecord::Text(const char* text) {
    Add(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(text)), Quoted(text));
    return *this;
}

CallRecord& CallRecord::Shown(DWORD value, const std::string& shown) {
    Add(value, shown);
    return *this;
}

CallRecord& CallRecord::Data(const void* bytes, size_t size) {
    const BYTE* p = static_cast<const BYTE*>(bytes);
    m_data.assign(p, p + (size < kMaxLoggedData ? size : kMaxLoggedData));
    m_hasData = true;
    return *this;
}

CallRecord& CallRecord::Note(DWORD value, const std::string& label) {
    if (m_call.arg_count < 9) m_call.args[m_call.arg_count] = value;
    m_note = " [" + label + " " + std::to_string(value) + "]";
    return *this;
}

int CallRecord::Finish(int result) {
    m_call.result = result;
    m_line += ") = " + std::to_string(result) + m_note;
    Store();
    return result;
}

void CallRecord::FinishWithoutResult() {
    m_line += ")";
    Store();
}

void CallRecord::Store() {
    CallLog::Get().Add(m_call, std::move(m_line), std::move(m_data), m_hasData);
}

CallLog& CallLog::Get() {
    static CallLog log;
    return log;
}

void CallLog::Add(const QxNcCall& call, std::string line, std::vector<BYTE> data, bool hasData) {
    if (m_calls.size() >= kMaxCalls) return;
    m_calls.push_back(Logged{call, std::move(line), std::move(data), hasData});
}

bool CallLog::Copy(DWORD index, QxNcCall* out) const {
    if (index >= m_calls.size()) {
        *out = QxNcCall{};
        return false;
    }
    const Logged& logged = m_calls[index];
    *out = logged.call;
    out->line = logged.line.c_str();
    out->data = logged.hasData ? logged.data.data() : nullptr;
    out->data_length = static_cast<DWORD>(logged.data.size());
    return true;
}

} // namespace qxnc
