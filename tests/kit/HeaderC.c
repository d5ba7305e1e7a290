/* qxchat.h compiled as C: a recording provider written in C, and the layout of the records a C
 * host reads, for the C++ test to compare with its own view of the same header. */
#include "qxchat.h"
#include "HeaderC.h"

#include <stddef.h>
#include <wchar.h>

typedef struct CProvider {
    IQxRecordingProvider iface; /* first: the interface pointer is the object's address */
    KitCProviderLog log;
} CProvider;

static LONG __stdcall CAddItem(IQxRecordingProvider* This, LONG lType, const wchar_t* lpszSource,
                               const wchar_t* lpszName, const wchar_t* lpszText) {
    CProvider* self = (CProvider*)This;
    self->log.lastType = lType;
    wcsncpy(self->log.source, lpszSource ? lpszSource : L"", 63);
    wcsncpy(self->log.name, lpszName ? lpszName : L"", 63);
    wcsncpy(self->log.text, lpszText ? lpszText : L"", 63);
    return 100 + ++self->log.items;
}

static LONG __stdcall CSetAttribute(IQxRecordingProvider* This, LONG lItem, const wchar_t* lpszName,
                                    const wchar_t* lpszValue) {
    CProvider* self = (CProvider*)This;
    self->log.attributeItem = lItem;
    wcsncpy(self->log.attribute, lpszName ? lpszName : L"", 63);
    wcsncpy(self->log.value, lpszValue ? lpszValue : L"", 63);
    return 0;
}

static const IQxRecordingProviderVtbl kCProviderVtbl = {CAddItem, CSetAttribute};
static CProvider g_provider;

void* KitMakeCProvider(void) {
    static const CProvider empty;
    g_provider = empty;
    g_provider.iface.lpVtbl = &kCProviderVtbl;
    return &g_provider.iface;
}

const KitCProviderLog* KitCProviderState(void) {
    return &g_provider.log;
}

/* The header's values must be constant expressions in C (a host switches on them). */
int KitCMessageKind(UINT uMsg, WPARAM wParam) {
    switch (uMsg) {
    case WM_CHAT_NEW_MESSAGE: return 1;
    case WM_CHAT_TYPING: return wParam ? 2 : 0;
    case WM_CHAT_CACHE_NOTIFY: return 3;
    case WM_CHAT_NOTIFY_TO_SERVICE: return wParam == QXCHAT_NOTIFY_ENROLL ? 4 : 0;
    case WM_CHAT_EVENT_LOG: return 5;
    case WM_COMMAND: return wParam == QXCHAT_CMD_MESSAGE_SHOWN ? 6 : 0;
    default: return 0;
    }
}

void KitCLayout(KitCLayoutFacts* facts) {
    facts->noticeSize = sizeof(QXCHAT_MESSAGE_NOTICE);
    facts->noticeText = offsetof(QXCHAT_MESSAGE_NOTICE, lpszText);
    facts->identitySize = sizeof(QXCHAT_EVENT_IDENTITY);
    facts->identityTime = offsetof(QXCHAT_EVENT_IDENTITY, lTime);
    facts->messageSize = sizeof(QXCHAT_EVENT_MESSAGE);
    facts->messageText = offsetof(QXCHAT_EVENT_MESSAGE, lpszText);
    facts->handleSize = sizeof(QXHCOMPONENT);
}
