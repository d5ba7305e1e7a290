// Compiled with the conference layer's include path: the instance's header is not on it.
#include "interface/Cchat.h"
