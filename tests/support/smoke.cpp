#include <windows.h>
int QxTestSupportLinked() { return 1; }
