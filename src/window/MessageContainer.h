// The message container: the bordered child of the chat dialog that holds the message list
// ("MessageWindow") and the typing-indication strip ("IndicationWindow", created hidden).
#pragma once

#include "window/IndicationStrip.h"

#include <windows.h>
#include <string>

class CMessageWindow;

// Window title of the container.
extern const wchar_t kMessageContainerName[];

// Creates the container as a visible, bordered child of hParent at 10,10 - 100,100 (the
// dialog lays it out afterwards). Null on failure.
HWND QxCreateMessageContainer(HWND hParent);

// The container's message list; null when there is none (or hContainer is not a container).
CMessageWindow* QxMessageList(HWND hContainer);
// The container's strip window; null when there is none.
HWND QxIndicationWindow(HWND hContainer);

// Lays out the list and the strip: the strip at the top when bShowIndication is set (and the
// switch-off flag is clear), the list below it; else the list fills the container.
void QxLayoutMessageContainer(HWND hContainer, BOOL bShowIndication);
// Hides the strip for good: every later layout keeps it hidden.
void QxSwitchOffIndication(HWND hContainer);
// Sets the text of the indication line 1, 7 or 9 (other codes are ignored).
void QxSetIndicationLine(HWND hContainer, DWORD dwCode, const std::wstring& strText);
// The text of an indication line; empty for an unknown code.
std::wstring QxGetIndicationLine(HWND hContainer, DWORD dwCode);
// The strip's height for its current lines: 0 with no line.
int QxIndicationHeight(HWND hContainer);

// Module stop: the window classes go with the module.
void QxUnregisterMessageContainerClass();
