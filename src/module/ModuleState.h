// Module-wide state shared by every chat instance: the module handle, the resource module that
// all user-visible texts and templates come from, and the registered service message.
#pragma once

#include <windows.h>
#include <string>

// The module that holds this code (the DLL, or a test executable that links it).
HMODULE QxThisModule();

// The module's own folder, up to and including its last "\".
std::wstring QxModuleFolder();

// Resource module: the loaded string-resource library, or the module itself. Set by every
// instance construction; the last one wins.
HMODULE QxResourceModule();
void QxSetResourceModule(HMODULE hModule);
// Instances that use the resource module. When the last one goes its library is freed, so the
// handle is forgotten (the module itself serves again); true when that happened.
void QxAddResourceUser();
bool QxReleaseResourceUser();
// True when the resource module is a loaded library rather than the module itself.
bool QxHasResourceLibrary();

// Resource string by id from the resource module, at most maxLen characters; empty if absent.
std::wstring QxLoadString(UINT id, int maxLen = 1024);

// Id of the registered message "TalmoServiceNotifyCCMsg_{...}", registered at module load.
UINT QxServiceNotifyMessage();
