// Compiled with the participants layer's include path: its own headers are found.
#include "participants/OwnUserItem.h"
