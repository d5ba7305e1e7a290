// Compiled with the participants layer's include path: the dialog's header is not on it.
#include "window/MainChatDlg.h"
