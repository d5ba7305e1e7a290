// The input box's subclass: Enter sends, Ctrl+Enter breaks the line, Esc is ignored, Ctrl+A
// selects all, the placeholder text goes at the first key, paste or select-all, and a context
// menu with the edit commands. Key release and clicks make the dialog refresh its edit-command
// state. The box also draws its own two-pixel frame (black outside, white inside).
#pragma once

#include <windows.h>
#include <string>

// Sent to the chat dialog: refresh the edit-command state (the input changed, or the message
// list took the focus).
constexpr UINT WM_CHAT_REFRESH_EDIT_STATE = WM_USER + 4;

// Subclasses the edit hInput of the chat dialog hDialog; the placeholder is resource string 1301.
// False when the box is already subclassed or the subclass cannot be installed.
bool QxSubclassInputBox(HWND hInput, HWND hDialog);
// Removes the subclass; nothing when the box is not subclassed. Safe to call twice.
void QxRemoveInputBoxSubclass(HWND hInput);
bool QxIsInputBoxSubclassed(HWND hInput);

// What the context menu's enabling depends on.
struct InputMenuState {
    bool bCanUndo = false;
    int nTextLength = 0;
    DWORD dwSelStart = 0, dwSelEnd = 0;
    bool bClipboardText = false;
};
struct InputMenuEnabling {
    bool bUndo = false, bCut = false, bCopy = false, bPaste = false, bDelete = false, bSelectAll = false;
};
InputMenuEnabling QxInputMenuEnabling(const InputMenuState& state);
// The state of a real box (and the clipboard).
InputMenuState QxReadInputMenuState(HWND hInput);
