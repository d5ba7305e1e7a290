/* Test control of qxmem: scripted allocation failures. The engine never includes this header;
 * tests do. */
#ifndef QXMEM_QXMEM_TEST_H
#define QXMEM_QXMEM_TEST_H

#include "qxmem.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The next dwCount calls of QxMemoryAlloc fail with QXMEM_E_NO_MEMORY (and *pOut NULL) as if no
 * room were left; 0 removes the script. Returns the number of scripted failures still pending
 * before this call. */
DWORD __stdcall QxMemoryScriptFailures(DWORD dwCount);

#ifdef __cplusplus
}
#endif

#endif
