// Library-wide state shared by the skins: the resource module they load from and the count of
// client instances.
#pragma once

#include <windows.h>

namespace qxskin {

HMODULE ResourceModule();

} // namespace qxskin
