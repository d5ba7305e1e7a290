// The one font rule of the chat window: "Tahoma" at a character height of 11 pixels, with the
// character set of the system's default language (Korean systems take the default GUI font).
#pragma once

#include "window/GdiObject.h"

// Character set for a language id: Big5 (136), Shift-JIS (128), 130 for Korean, GB2312 (134) or ANSI.
BYTE QxChatCharsetForLanguage(LANGID langId);

// Whether the language takes the default GUI font instead of Tahoma.
bool QxChatUsesDefaultGuiFont(LANGID langId);

// A chat font of the given weight (0, 600, 700) for the given language.
GdiFont QxCreateChatFont(int nWeight, bool bUnderline, LANGID langId);

// The same for the system's default language.
GdiFont QxCreateChatFont(int nWeight, bool bUnderline);
