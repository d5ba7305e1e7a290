// The records of WM_CHAT_EVENT_LOG, built and owned by the engine for one synchronous send.
#pragma once

#include <windows.h>
#include <string>

#include "qxchat.h"

// Owning builders; the pointers stay valid while the object lives (the send is synchronous).
class CChatEventIdentity {
public:
    CChatEventIdentity(const std::wstring& strName, LONG lTime);
    CChatEventIdentity(const CChatEventIdentity&) = delete;
    CChatEventIdentity& operator=(const CChatEventIdentity&) = delete;
    QXCHAT_EVENT_IDENTITY* Get() { return &m_record; }

private:
    std::wstring m_strName;
    QXCHAT_EVENT_IDENTITY m_record;
};

class CChatEventMessage {
public:
    CChatEventMessage(const std::wstring& strFrom, const std::wstring& strTo, const std::wstring& strText,
                      LONG lTime);
    CChatEventMessage(const CChatEventMessage&) = delete;
    CChatEventMessage& operator=(const CChatEventMessage&) = delete;
    QXCHAT_EVENT_MESSAGE* Get() { return &m_record; }

private:
    CChatEventIdentity m_from;
    std::wstring m_strTo, m_strText;
    QXCHAT_EVENT_MESSAGE m_record;
};
