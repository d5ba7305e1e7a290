/* qxmem: memory blocks that carry data between the chat engine and the node controller.
 *
 * A block has a fixed size, set when it is allocated, and starts zero-filled. Its handle is
 * opaque and is checked on every call: a handle that was never issued or whose block is gone is
 * refused, never followed. Blocks are reference-counted: QxMemoryAlloc gives the caller one
 * reference, QxMemoryAddRef another (for a block shared with several readers), and each
 * QxMemoryRelease drops one; the block goes away with its last reference and its handle is not
 * issued again.
 *
 * Every call returns one of the QXMEM_* results below. Offsets and sizes are in bytes; a range
 * must lie wholly inside the block (offset + size <= block size), else nothing is copied.
 * Exports by name; callable from any thread. */
#ifndef QXMEM_QXMEM_H
#define QXMEM_QXMEM_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct QXMEMBLOCK_* QXMEMHANDLE;

#define QXMEM_OK 0
#define QXMEM_E_NULL_HANDLE 1   /* the handle is NULL */
#define QXMEM_E_BAD_HANDLE 2    /* the handle is not a live block: released or never issued */
#define QXMEM_E_NULL_POINTER 3  /* a required pointer argument is NULL */
#define QXMEM_E_OUT_OF_RANGE 4  /* offset + size passes the end of the block */
#define QXMEM_E_NO_MEMORY 5     /* the block could not be allocated */
#define QXMEM_E_TOO_MANY_REFS 6 /* the block's reference count is at its limit */

/* Allocates a zero-filled block of dwSize bytes (0 is allowed) and stores its handle in *pOut.
 * QXMEM_E_NULL_POINTER: pOut is NULL. QXMEM_E_NO_MEMORY: no room; *pOut is set to NULL. */
int __stdcall QxMemoryAlloc(DWORD dwSize, QXMEMHANDLE* pOut);

/* Copies *pdwSize bytes from pData into the block at dwOffset; *pdwSize stays the count copied.
 * QXMEM_E_NULL_HANDLE, QXMEM_E_BAD_HANDLE: see above. QXMEM_E_NULL_POINTER: pdwSize is NULL,
 * or pData is NULL while *pdwSize is not 0. QXMEM_E_OUT_OF_RANGE: the range passes the end;
 * *pdwSize is set to 0 and the block is unchanged. */
int __stdcall QxMemoryWrite(QXMEMHANDLE hMem, DWORD dwOffset, const void* pData, DWORD* pdwSize);

/* Stores the block's size in *pdwSize.
 * QXMEM_E_NULL_HANDLE, QXMEM_E_BAD_HANDLE; QXMEM_E_NULL_POINTER: pdwSize is NULL. */
int __stdcall QxMemoryGetSize(QXMEMHANDLE hMem, DWORD* pdwSize);

/* Copies *pdwSize bytes of the block from dwOffset into pBuffer; *pdwSize stays the count
 * copied. The buffer must hold *pdwSize bytes.
 * QXMEM_E_NULL_HANDLE, QXMEM_E_BAD_HANDLE; QXMEM_E_NULL_POINTER: pdwSize is NULL, or pBuffer
 * is NULL while *pdwSize is not 0. QXMEM_E_OUT_OF_RANGE: the range passes the end; *pdwSize is
 * set to 0 and pBuffer is untouched. */
int __stdcall QxMemoryRead(QXMEMHANDLE hMem, DWORD dwOffset, void* pBuffer, DWORD* pdwSize);

/* Adds a reference to the block. QXMEM_E_NULL_HANDLE, QXMEM_E_BAD_HANDLE,
 * QXMEM_E_TOO_MANY_REFS (the count is left as it was). */
int __stdcall QxMemoryAddRef(QXMEMHANDLE hMem);

/* Drops one reference; the last one frees the block and retires its handle.
 * QXMEM_E_NULL_HANDLE, QXMEM_E_BAD_HANDLE (also for a second release of a retired handle). */
int __stdcall QxMemoryRelease(QXMEMHANDLE hMem);

/* The number of live blocks in this process, for leak checks in tests. */
DWORD __stdcall QxMemoryLiveBlocks(void);

#ifdef __cplusplus
}
#endif

#endif
