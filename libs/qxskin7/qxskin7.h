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

/* What the library has been told, for tests and diagnostics. Set cbSize before the call;
 * fails (FALSE) on NULL or a cbSize smaller than the structure. */
typedef struct QXSKIN_DIAGNOSTICS {
    DWORD cbSize;
    HMODULE hResourceModule;   /* last module given to SkinSetResourceModule */
    LONG lResourceModuleCalls; /* calls of SkinSetResourceModule */
    LONG lAttachCalls;         /* calls of SkinInstanceAttach */
    LONG lDetachCalls;         /* calls of SkinInstanceDetach, balanced or not */
    LONG lLiveInstances;       /* attaches not yet matched by a detach */
} QXSKIN_DIAGNOSTICS;

BOOL __stdcall SkinGetDiagnostics(QXSKIN_DIAGNOSTICS* pDiagnostics);

typedef void(__stdcall* PFN_SkinSetResourceModule)(HMODULE);
typedef void(__stdcall* PFN_SkinInstanceAttach)(void);
typedef void(__stdcall* PFN_SkinInstanceDetach)(void);
typedef BOOL(__stdcall* PFN_SkinGetDiagnostics)(QXSKIN_DIAGNOSTICS*);

#ifdef __cplusplus
}
#endif

#endif
