// Compiled with the conference layer's include path: its own headers and the lower layers' are
// found.
#include "participants/OwnUserItem.h"
#include "window/MainChatDlg.h"
