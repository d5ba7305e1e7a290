// One FAQ quick phrase, as the FAQ content PDU delivers it: its index, name and content in
// UTF-16, and one slot for the data the quick-phrase box attaches to the phrase's entry.
#pragma once

#include <memory>
#include <string>
#include <windows.h>

// Attached to a quick-phrase entry: {FAQ index, 1, 0}.
struct FAQEntryData {
    DWORD dwFAQIndex = 0;
    DWORD dwKind = 1;
    DWORD dwReserved = 0;
};

class FAQItem {
public:
    FAQItem() = default;
    FAQItem(const FAQItem&) = delete;
    FAQItem& operator=(const FAQItem&) = delete;

    // The item owns the attached data: replacing it frees the previous value.
    void SetEntryData(std::unique_ptr<FAQEntryData> pData) { m_pEntryData = std::move(pData); }
    FAQEntryData* GetEntryData() const { return m_pEntryData.get(); }

    int m_nIndex = -1;
    std::wstring m_strName;
    std::wstring m_strContent;

private:
    std::unique_ptr<FAQEntryData> m_pEntryData;
};

// Receives the items of a FAQ content PDU in document order, then the end of the list.
class IFAQItemSink {
public:
    virtual void AddFAQItem(std::unique_ptr<FAQItem> pItem) = 0;
    virtual void OnFAQListComplete() = 0;

protected:
    ~IFAQItemSink() = default;
};
