/* qxskin7: the UI library of the product family. Exports by ordinal only; bind with the
 * import library (target qxskin7_import) or with GetProcAddress(h, MAKEINTRESOURCEA(ordinal)). */
#ifndef QXSKIN7_QXSKIN7_H
#define QXSKIN7_QXSKIN7_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Ordinals. */
#define QXSKIN_ORD_SET_RESOURCE_MODULE 41
#define QXSKIN_ORD_INSTANCE_ATTACH 1661
#define QXSKIN_ORD_INSTANCE_DETACH 3075
#define QXSKIN_ORD_TRACK_POPUP_MENU 5120
/* 5121 message box and 5122 yes/no question are taken by the transcript's dialogs. */
#define QXSKIN_ORD_GET_DIAGNOSTICS 9000

/* Module that holds the texts, menus, bitmaps and templates the skins load by id. The library
 * keeps the handle it is given, as it is, until the next call: it neither takes a reference nor
 * frees it, so a client that frees the module first gives NULL (none). The last call wins. */
void __stdcall SkinSetResourceModule(HMODULE hResourceModule);

/* A client instance starts using the skins. The first attach registers the standard control
 * classes the skins build on. */
void __stdcall SkinInstanceAttach(void);

/* A client instance stops using the skins. A detach without a matching attach is counted but
 * changes nothing else. */
void __stdcall SkinInstanceDetach(void);

/* Shows a popup menu in the library's skin at the screen point (x, y), owned by hOwner, and
 * waits for the user. Returns the chosen command id, 0 when the menu was dismissed or could
 * not be shown. uFlags takes the alignment and button flags of the platform's popup menus; the
 * command is always returned, never sent to hOwner. */
UINT __stdcall SkinTrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, HWND hOwner);

/* What the library has been told, for tests and diagnostics. Set cbSize before the call;
 * fails (FALSE) on NULL or a cbSize smaller than the structure. */
typedef struct QXSKIN_DIAGNOSTICS {
    DWORD cbSize;
    HMODULE hResourceModule;   /* last module given to SkinSetResourceModule */
    LONG lResourceModuleCalls; /* calls of SkinSetResourceModule */
    LONG lAttachCalls;         /* calls of SkinInstanceAttach */
    LONG lDetachCalls;         /* calls of SkinInstanceDetach, balanced or not */
    LONG lLiveInstances;       /* attaches not yet matched by a detach */
    LONG lPopupMenuCalls;      /* calls of SkinTrackPopupMenu */
    UINT uLastPopupCommand;    /* what the last popup menu returned */
} QXSKIN_DIAGNOSTICS;

BOOL __stdcall SkinGetDiagnostics(QXSKIN_DIAGNOSTICS* pDiagnostics);

typedef void(__stdcall* PFN_SkinSetResourceModule)(HMODULE);
typedef void(__stdcall* PFN_SkinInstanceAttach)(void);
typedef void(__stdcall* PFN_SkinInstanceDetach)(void);
typedef UINT(__stdcall* PFN_SkinTrackPopupMenu)(HMENU, UINT, int, int, HWND);
typedef BOOL(__stdcall* PFN_SkinGetDiagnostics)(QXSKIN_DIAGNOSTICS*);

/* Message boxes: modal dialogs titled lpszTitle, owned by hOwner (may be NULL). */
#define QXSKIN_ORD_MESSAGE_BOX 5121
#define QXSKIN_ORD_QUESTION_BOX 5122

/* Shows lpszText with an OK button and the icon of uIcon (an MB_ICON* value, 0 for none);
 * returns IDOK, or 0 when the box could not be shown. */
int __stdcall SkinMessageBox(HWND hOwner, LPCWSTR lpszText, LPCWSTR lpszTitle, UINT uIcon);
/* Asks lpszText with Yes and No buttons; returns IDYES, IDNO (also when the box is closed
 * otherwise), or 0 when it could not be shown. */
int __stdcall SkinQuestionBox(HWND hOwner, LPCWSTR lpszText, LPCWSTR lpszTitle);

typedef int(__stdcall* PFN_SkinMessageBox)(HWND, LPCWSTR, LPCWSTR, UINT);
typedef int(__stdcall* PFN_SkinQuestionBox)(HWND, LPCWSTR, LPCWSTR);

#ifdef __cplusplus
}
#endif

#endif
