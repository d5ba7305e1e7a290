// Header lines of shown messages: the sender part (the formatted sender name) and the rest
// (destination, private marker, suffix). All wording comes from resource formats; a format that
// does not have the expected shape is used as literal text, never applied to missing arguments.
#pragma once

#include <windows.h>
#include <string>

#include "participants/UsersGroup.h"

struct QxHeaderFormats {           // loaded once when the dialog is created
    std::wstring strSender;        // 1311, one %s
    std::wstring strGroup;         // 1429, %s %s
    std::wstring strPrivate;       // 1430, %s %s
    std::wstring strReceiver;      // 1425, one %s
    std::wstring strPrivateMarker; // 1427
    std::wstring strSuffix;        // 1426
    std::wstring strPanelists;     // 1302 (group 4 without a record)
    std::wstring strAttendees;     // 1319 (group 8)
    std::wstring strEveryone;      // 1102 (group 15)
};
QxHeaderFormats QxLoadHeaderFormats(); // all empty without a resource library

struct QxHeaderParts {
    std::wstring strSender;
    std::wstring strRest;
};

struct QxGroupHeaderInput {
    std::wstring strSenderName;        // resolved by the engine; empty = not found
    int nGroupId = 0;                  // the group of the cache the message came through
    CUsersGroup* pRoleGroup = nullptr; // the type-1 group with that id, or null; its label is the template
    LONG lMeetingType = 0;
    DWORD dwPrivilege = 0, dwRoles = 0; // the local user's bits
};
// false when the sender name is empty (no header built); parts empty then.
bool QxBuildGroupHeader(const QxHeaderFormats&, const QxGroupHeaderInput&, QxHeaderParts& out);

struct QxPrivateHeaderInput {
    std::wstring strSenderName, strReceiverName; // resolved by the engine; empty = not found
    bool bOwn = false;                           // the sender is the local user
    LONG lMeetingType = 0;
    bool bFeature40 = false; // feature bit 0x40
};
// false when the sender or the receiver name is empty.
bool QxBuildPrivateHeader(const QxHeaderFormats&, const QxPrivateHeaderInput&, QxHeaderParts& out);

// Room of one header part, and of the joined line, in characters (without the terminator).
enum { QX_HEADER_PART_ROOM = 511, QX_HEADER_LINE_ROOM = 1023 };

// The format applied to the arguments, at most nRoom characters. Only formats whose conversions
// are all "%s" and no more than the arguments given are applied; any other format is literal text.
std::wstring QxApplyFormat(const std::wstring& strFormat, const std::wstring* pArgs, size_t nArgs,
                           size_t nRoom = QX_HEADER_PART_ROOM);

// The template filled for this group and sender ("#|#" cut and stored back into the label,
// "[Dest]" and "[Src]" replaced once each); empty when the group has no name or the sender is
// missing.
std::wstring QxFillHeaderTemplate(CUsersGroup& group, const std::wstring& strSenderName);

// The header line split after the sender text when the line begins with it; otherwise the
// sender part is empty and the rest is the whole line.
QxHeaderParts QxSplitHeader(const std::wstring& strLine, const std::wstring& strSenderText);
