#include "engine/CacheNames.h"

#include <cstring>

std::string QxGroupCacheName(DWORD dwCacheNumber, int nGroupId) {
    return std::to_string(dwCacheNumber) + "_chat_cache_" + std::to_string(nGroupId);
}

std::string QxUserInfoCacheName(DWORD dwCacheNumber) {
    return std::to_string(dwCacheNumber) + "_Chat_User_Info";
}

std::string QxStatusCacheName(DWORD dwCacheNumber) {
    return std::to_string(dwCacheNumber) + "_chat_status";
}

std::string QxCustomerCacheName(DWORD dwCustomerId) {
    return "switch_cache_" + std::to_string(dwCustomerId);
}

void QxCopyCacheName(char (&field)[64], const std::string& strName) {
    std::memset(field, 0, sizeof(field));
    std::memcpy(field, strName.data(), strName.size() < 63 ? strName.size() : 63);
}

std::string QxCacheNameText(const char (&field)[64]) {
    const void* pNul = std::memchr(field, 0, sizeof(field));
    return std::string(field, pNul ? static_cast<const char*>(pNul) - field : sizeof(field));
}

int QxCacheNameNumber(const char (&field)[64]) {
    const std::string strName = QxCacheNameText(field).substr(0, 63);
    const size_t nAt = strName.rfind('_');
    if (nAt == std::string::npos) return 0;
    int nValue = 0;
    for (size_t i = nAt + 1; i < strName.size() && i <= nAt + 7; ++i) {
        if (strName[i] < '0' || strName[i] > '9') break;
        nValue = nValue * 10 + (strName[i] - '0');
    }
    return nValue;
}
