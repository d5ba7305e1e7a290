#include "engine/EventRecords.h"

namespace {

// Lengths travel as 16-bit values in 32-bit slots.
DWORD ShortLength(const std::wstring& text) {
    return static_cast<DWORD>(static_cast<WORD>(text.size() > 0xFFFF ? 0xFFFF : text.size()));
}

} // namespace

CChatEventIdentity::CChatEventIdentity(const std::wstring& strName, LONG lTime) : m_strName(strName) {
    m_record.dwLength = static_cast<DWORD>(m_strName.size() + 1);
    m_record.lpszName = &m_strName[0];
    m_record.lTime = lTime;
}

CChatEventMessage::CChatEventMessage(const std::wstring& strFrom, const std::wstring& strTo,
                                     const std::wstring& strText, LONG lTime)
    : m_from(strFrom, lTime), m_strTo(strTo), m_strText(strText) {
    m_record.pFrom = m_from.Get();
    m_record.dwToLength = ShortLength(m_strTo);
    m_record.lpszTo = &m_strTo[0];
    m_record.dwTextLength = ShortLength(m_strText);
    m_record.lpszText = &m_strText[0];
}
