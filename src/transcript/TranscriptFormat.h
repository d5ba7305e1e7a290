// The transcript file layout as plain functions: encoding the list's items into records, the
// layout check a file must pass before it is read, and the record reader of both layouts.
// Nothing here touches a window or a file.
#pragma once

#include "window/MessageItem.h"

#include <cstddef>
#include <functional>
#include <string>

// Field limits of a loaded record.
constexpr size_t kTranscriptFieldMax = 299; // date, time and header
constexpr size_t kTranscriptTextMax = 4095; // message text
// Width of the older layout's time stamp ("%02d/%02d/%04d    %02d:%02d:%02d %c%c" + 4 spaces).
constexpr size_t kOlderStampLength = 29;
// Window after the first "\t    " in which a current-layout file shows its second one.
constexpr size_t kLayoutCheckWindow = 199;

// The byte-order mark written before the first record.
constexpr unsigned char kTranscriptBom[2] = {0xFF, 0xFE};

// Whether an item of this kind becomes a record (header lines do not).
bool QxIsRecordKind(DWORD kind);

// The record of one item (kinds 2, 3 and 4; anything else has none): date, tab, four spaces,
// time, tab, four spaces, for a message the sender part, 0x0B and the rest, then a tab, the
// text, CR LF LF. The record is written whole however long its fields are.
//
// Its length in characters; 0 for a kind without a record.
size_t QxRecordLength(const MessageItem& item);
// Writes the record at pOut, which has room for QxRecordLength(item) characters; returns the end.
wchar_t* QxEncodeRecord(const MessageItem& item, wchar_t* pOut);
// Appends the record to a string.
void QxAppendRecord(const MessageItem& item, std::wstring& out);

// Cuts text to at most nMax characters, one less when the cut would split a surrogate pair.
std::wstring QxCutField(const wchar_t* pText, size_t nLength, size_t nMax);

// The layout check on the text after the byte-order mark: the current layout when the text holds
// "\t    " twice, else the older layout's time stamp with a tab at or after its end.
bool QxCheckTranscriptLayout(const wchar_t* pText, size_t nLength);

// One record as read back.
struct QxTranscriptRecord {
    std::wstring date, time;           // empty for the older layout
    std::wstring senderPart, restPart; // both empty when the header holds no 0x0B
    std::wstring text;
    bool bCurrentLayout = true;
};

// Whether a record read back becomes list items: a header part and a text.
bool QxRecordIsMessage(const QxTranscriptRecord& record);

// Reads records from the start of the text (the mark already skipped) and hands every record,
// shown or not, to the sink; the sink returns false to stop. Returns the number of records read.
// Reading ends at a record without a tab, a four-space run, a header tab or an end of line.
size_t QxReadTranscriptRecords(const wchar_t* pText, size_t nLength,
                               const std::function<bool(const QxTranscriptRecord&)>& sink);

// What a whole file's bytes hold.
enum class QxTranscriptCheck { Empty, NoLayout, Ok };

// The byte-level entry of the loader: an empty file is Empty; without FF FE or failing the
// layout check NoLayout; else the records are read into the sink (an odd last byte is ignored).
QxTranscriptCheck QxReadTranscriptBytes(const unsigned char* pBytes, size_t nBytes,
                                        const std::function<bool(const QxTranscriptRecord&)>& sink);
