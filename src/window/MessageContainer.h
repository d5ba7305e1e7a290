// The message container: the bordered child of the chat dialog that will hold the message list
// and the typing-indication strip. For now an empty white pane.
#pragma once

#include <windows.h>

// Window title of the container.
extern const wchar_t kMessageContainerName[];

// Creates the container as a visible, bordered child of hParent at 10,10 - 100,100 (the
// dialog lays it out afterwards). Null on failure.
HWND QxCreateMessageContainer(HWND hParent);

// Module stop: the container's window class goes with the module.
void QxUnregisterMessageContainerClass();
