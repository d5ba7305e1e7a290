// The names of a conference's shared caches and the reading of a group id back out of one.
#pragma once

#include <windows.h>
#include <string>

// N is the conference's cache number; group and customer ids are written in decimal.
std::string QxGroupCacheName(DWORD dwCacheNumber, int nGroupId); // N_chat_cache_<id>
std::string QxUserInfoCacheName(DWORD dwCacheNumber);            // N_Chat_User_Info
std::string QxStatusCacheName(DWORD dwCacheNumber);              // N_chat_status
std::string QxCustomerCacheName(DWORD dwCustomerId);             // switch_cache_<id>
// Copies a name into a 64-byte NUL-padded field (at most 63 characters are kept).
void QxCopyCacheName(char (&field)[64], const std::string& strName);
// The name as a string: up to the first NUL, all 64 bytes when there is none.
std::string QxCacheNameText(const char (&field)[64]);
// The decimal value of the part after the last "_" of the first 63 characters (at most 7 of
// its characters count); 0 when there is no "_" or no digits.
int QxCacheNameNumber(const char (&field)[64]);
