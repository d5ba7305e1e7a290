/* Functions of HeaderC.c, the part of the header test compiled as C. */
#ifndef QXCHAT_TESTS_KIT_HEADERC_H
#define QXCHAT_TESTS_KIT_HEADERC_H

#include <stddef.h>
#include <wchar.h>
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct KitCProviderLog {
    LONG items;
    LONG lastType;
    wchar_t source[64], name[64], text[64];
    LONG attributeItem;
    wchar_t attribute[64], value[64];
} KitCProviderLog;

typedef struct KitCLayoutFacts {
    size_t noticeSize, noticeText, identitySize, identityTime, messageSize, messageText, handleSize;
} KitCLayoutFacts;

/* A fresh recording provider implemented in C (an IQxRecordingProvider*), and what it heard. */
void* KitMakeCProvider(void);
const KitCProviderLog* KitCProviderState(void);
/* 1 to 6 for the module's host messages, in the order of the switch in HeaderC.c; 0 otherwise. */
int KitCMessageKind(UINT uMsg, WPARAM wParam);
void KitCLayout(KitCLayoutFacts* facts);

#ifdef __cplusplus
}
#endif

#endif
