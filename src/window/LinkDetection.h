// Finds web and ftp addresses in a message text: one pass, character by character, case-blind.
#pragma once

#include "window/MessageItem.h"

#include <string>
#include <vector>

// The addresses of a text in order. A word counts when it starts with "http://", "https://",
// "ftp:/", "ftp." or "www." and something follows the prefix; one trailing punctuation mark is
// left out of the display text and the target but stays inside the range.
std::vector<LinkRange> QxDetectLinks(const std::wstring& strText);
