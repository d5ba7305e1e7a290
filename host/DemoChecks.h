// What the demo host reads back to check a stage: the texts of a transcript file and colour runs
// in a screenshot. Plain functions, so that they are tested without a meeting.
#pragma once

#include "Screenshot.h"

#include <windows.h>
#include <string>
#include <vector>

namespace demo {

// One record of a transcript: a message has a header (sender, 0x0B, the rest), a notice none.
struct TranscriptRecord {
    std::wstring header;
    std::wstring text;
    bool operator==(const TranscriptRecord& o) const { return header == o.header && text == o.text; }
};

// The records of a transcript (messages and notices), in order. The content is the file as
// UTF-16 without its byte-order mark.
std::vector<TranscriptRecord> TranscriptRecords(const std::wstring& content);
std::vector<std::wstring> TranscriptTexts(const std::wstring& content);

// Reads a UTF-16LE transcript file; false when it cannot be read or has no byte-order mark.
bool ReadTranscriptFile(const std::wstring& path, std::wstring* pContent);

// The longest horizontal run of pixels of exactly this colour inside the rectangle (clipped to
// the image), as an underline or a selection bar shows.
int LongestColourRun(const ScreenImage& image, const RECT& rc, COLORREF colour);

// The last row inside the rectangle with a pixel of another colour than the background: the
// bottom of what is drawn there. -1 when the rectangle holds nothing else.
int LastRowDrawn(const ScreenImage& image, const RECT& rc, COLORREF background);

// Pixels of exactly this colour inside the rectangle.
int CountColour(const ScreenImage& image, const RECT& rc, COLORREF colour);

} // namespace demo
