/* qxkeyfocus: keeps the keyboard focus inside an embedded dialog. The library remembers one
 * dialog and the window inside it that last had the focus, and gives that window the focus
 * back whenever the dialog's top-level window is activated. Everything runs on the thread that
 * installed the focus control. Exports by name. */
#ifndef QXKEYFOCUS_QXKEYFOCUS_H
#define QXKEYFOCUS_QXKEYFOCUS_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Starts watching activation and focus changes on the calling thread. Calls nest: each install
 * needs its own uninstall. FALSE when the watch could not be set up. */
BOOL __stdcall KbInstallFocusControl(void);

/* Remembers hWnd as the window that gets the focus back and gives it the focus now. NULL
 * forgets the window. FALSE (nothing changed) when hWnd is not NULL and not a window. */
BOOL __stdcall KbSetFocus(HWND hWnd);

/* Remembers hDlg as the dialog whose focus is kept; later focus changes to windows inside it
 * are remembered. NULL forgets the dialog and its focus window. FALSE (nothing changed) when
 * hDlg is not NULL and not a window. */
BOOL __stdcall KbSetDialogFocus(HWND hDlg);

/* Undoes one KbInstallFocusControl; the watch ends with the last one. FALSE when not
 * installed. */
BOOL __stdcall KbUninstallFocusControl(void);

/* The library's state, for tests and diagnostics. Set cbSize before the call; FALSE on NULL or
 * a cbSize smaller than the structure. */
typedef struct KB_FOCUS_STATE {
    DWORD cbSize;
    LONG lInstallCount; /* installs not yet undone */
    HWND hDialog;       /* the remembered dialog, or NULL */
    HWND hFocus;        /* the remembered focus window, or NULL */
    LONG lRestoreCount; /* times the focus was given back on activation */
} KB_FOCUS_STATE;

BOOL __stdcall KbGetFocusState(KB_FOCUS_STATE* pState);

#ifdef __cplusplus
}
#endif

#endif
