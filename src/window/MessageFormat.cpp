#include "window/MessageFormat.h"

#include <cwchar>
#include <vector>

#include "module/ModuleState.h"
#include "participants/RoleGroups.h"
#include "resources/resource.h"

namespace {

// Rooms of the loaded formats, in characters with the terminator.
const int kFormatRoom = 512;
const int kShortRoom = 64;

const wchar_t kAlternatives[] = L"#|#";
const wchar_t kDest[] = L"[Dest]";
const wchar_t kSrc[] = L"[Src]";

// Counts the "%s" conversions of a format (flags "-", width and precision digits and an "l"
// size allowed). -1 when the format holds any other conversion, a "*" or a lone "%" at the end:
// such a format would read arguments of another type, or read past the ones given.
int CountStringConversions(const std::wstring& fmt) {
    int count = 0;
    for (size_t i = 0; i < fmt.size(); ++i) {
        if (fmt[i] != L'%') continue;
        ++i;
        if (i < fmt.size() && fmt[i] == L'%') continue;
        while (i < fmt.size() && fmt[i] == L'-')
            ++i;
        while (i < fmt.size() && iswdigit(fmt[i]))
            ++i;
        if (i < fmt.size() && fmt[i] == L'.') {
            ++i;
            while (i < fmt.size() && iswdigit(fmt[i]))
                ++i;
        }
        if (i < fmt.size() && fmt[i] == L'l') ++i;
        if (i >= fmt.size() || fmt[i] != L's') return -1;
        ++count;
    }
    return count;
}

// Fills a format whose conversions are all plain "%s" or "%ls" (and "%%") as the runtime would:
// the format and the arguments read up to their first NUL, the result cut to nRoom characters.
// Every header of every shown message goes through here, and the runtime's formatting costs
// more than the rest of the header. False for a conversion with flags, width or precision,
// which the runtime fills.
bool FillPlainConversions(const wchar_t* pFormat, const wchar_t* a0, const wchar_t* a1, size_t nRoom,
                          std::wstring& text) {
    text.clear();
    const wchar_t* args[] = {a0, a1};
    size_t nNext = 0;
    for (const wchar_t* p = pFormat; *p && text.size() < nRoom; ++p) {
        if (*p != L'%') {
            text += *p;
            continue;
        }
        ++p;
        if (*p == L'%') {
            text += L'%';
            continue;
        }
        if (*p == L'l') ++p;
        if (*p != L's' || nNext >= 2) return false;
        text += args[nNext++];
    }
    if (text.size() > nRoom) text.resize(nRoom);
    return true;
}

std::wstring Cut(std::wstring text, size_t nRoom) {
    if (text.size() > nRoom) text.resize(nRoom);
    return text;
}

// Replaces the first occurrence of what; true when there was one.
bool ReplaceFirst(std::wstring& text, const std::wstring& what, const std::wstring& with) {
    size_t pos = text.find(what);
    if (pos == std::wstring::npos) return false;
    text.replace(pos, what.size(), with);
    return true;
}

// Destination of a group without a record, in meeting type 2; empty when the local user may not
// see it named.
std::wstring MeetingType2Destination(const QxHeaderFormats& formats, const QxGroupHeaderInput& in) {
    switch (in.nGroupId) {
    case CHAT_PANELIST_ROLE_GROUP:
        return QxIsElevated(in.dwPrivilege, in.dwRoles) ? formats.strPanelists : std::wstring();
    case CHAT_ATTENDEES_GROUP_NEW:
        return QxHasFullRights(in.dwPrivilege, in.dwRoles) ? std::wstring() : formats.strAttendees;
    case CHAT_ALL_USERS_ROLE_GROUP: return formats.strEveryone;
    default: return std::wstring();
    }
}

// The header line before the suffix.
std::wstring GroupHeaderLine(const QxHeaderFormats& formats, const QxGroupHeaderInput& in,
                             const std::wstring& strSenderText) {
    if (in.pRoleGroup && !in.pRoleGroup->m_strLabel.empty())
        return QxFillHeaderTemplate(*in.pRoleGroup, in.strSenderName);
    if (in.pRoleGroup) {
        const std::wstring& fmt =
            (in.nGroupId == CHAT_HOST_ROLE_GROUP || in.nGroupId == CHAT_PRESENTER_ROLE_GROUP)
                ? formats.strPrivate
                : formats.strGroup;
        const std::wstring args[] = {in.strSenderName, in.pRoleGroup->m_strName};
        return QxApplyFormat(fmt, args, 2, QX_HEADER_LINE_ROOM);
    }
    if (in.lMeetingType == QXCHAT_MEETING_TYPE_2) {
        std::wstring dest = MeetingType2Destination(formats, in);
        if (dest.empty()) return std::wstring();
        const std::wstring args[] = {in.strSenderName, dest};
        return QxApplyFormat(formats.strGroup, args, 2, QX_HEADER_LINE_ROOM);
    }
    if (in.lMeetingType == QXCHAT_MEETING_TYPE_SUPPORT && in.nGroupId == CHAT_ATTENDEES_GROUP_NEW) {
        return QxIsPlainAttendee(in.dwPrivilege, in.dwRoles) ? strSenderText : std::wstring();
    }
    return std::wstring();
}

std::wstring PrivateHeaderLine(const QxHeaderFormats& formats, const QxPrivateHeaderInput& in,
                               const std::wstring& strSenderText) {
    const std::wstring receiver[] = {in.strReceiverName};
    bool bFull = in.lMeetingType == QXCHAT_MEETING_TYPE_SUPPORT ||
                 (in.lMeetingType == QXCHAT_MEETING_TYPE_2 && in.bOwn) ||
                 (in.lMeetingType != QXCHAT_MEETING_TYPE_2 && in.bFeature40);
    if (bFull) {
        if (!formats.strPrivate.empty()) {
            const std::wstring args[] = {in.strSenderName, in.strReceiverName};
            return QxApplyFormat(formats.strPrivate, args, 2, QX_HEADER_LINE_ROOM);
        }
        return strSenderText + QxApplyFormat(formats.strReceiver, receiver, 1) + formats.strPrivateMarker;
    }
    if (in.bOwn && in.lMeetingType != QXCHAT_MEETING_TYPE_2) {
        // The local user's own name is not shown: the receiver text without its leading character.
        std::wstring fmt = formats.strReceiver.empty() ? std::wstring() : formats.strReceiver.substr(1);
        return QxApplyFormat(fmt, receiver, 1) + formats.strPrivateMarker;
    }
    return strSenderText + formats.strPrivateMarker;
}

bool Finish(const QxHeaderFormats& formats, std::wstring line, const std::wstring& strSenderText,
            QxHeaderParts& out) {
    line = Cut(line + formats.strSuffix, QX_HEADER_LINE_ROOM);
    out = QxSplitHeader(line, strSenderText);
    return true;
}

} // namespace

QxHeaderFormats QxLoadHeaderFormats() {
    QxHeaderFormats formats;
    if (!QxHasResourceLibrary()) return formats;
    formats.strSender = QxLoadString(IDS_FMT_SENDER, kFormatRoom - 1);
    formats.strGroup = QxLoadString(IDS_FMT_GROUP_HEADER, kFormatRoom - 1);
    formats.strPrivate = QxLoadString(IDS_FMT_PRIVATE_HEADER, kFormatRoom - 1);
    formats.strReceiver = QxLoadString(IDS_FMT_RECEIVER, kShortRoom - 1);
    formats.strPrivateMarker = QxLoadString(IDS_PRIVATE_MARKER, kShortRoom - 1);
    formats.strSuffix = QxLoadString(IDS_HEADER_SUFFIX, kShortRoom - 1);
    formats.strPanelists = QxLoadString(IDS_GROUP_PANELISTS);
    formats.strAttendees = QxLoadString(IDS_GROUP_ATTENDEES);
    formats.strEveryone = QxLoadString(IDS_GROUP_EVERYONE);
    return formats;
}

std::wstring QxApplyFormat(const std::wstring& strFormat, const std::wstring* pArgs, size_t nArgs,
                           size_t nRoom) {
    int nConversions = CountStringConversions(strFormat);
    if (nConversions < 0 || static_cast<size_t>(nConversions) > nArgs || nArgs > 2)
        return Cut(strFormat, nRoom);
    if (nConversions == 0) {
        // Nothing to apply; "%%" still reads as one "%".
        std::wstring text;
        for (size_t i = 0; i < strFormat.size(); ++i) {
            text += strFormat[i];
            if (strFormat[i] == L'%') ++i;
        }
        return Cut(text, nRoom);
    }
    const wchar_t* a0 = nArgs > 0 ? pArgs[0].c_str() : L"";
    const wchar_t* a1 = nArgs > 1 ? pArgs[1].c_str() : L"";
    std::wstring text;
    if (FillPlainConversions(strFormat.c_str(), a0, a1, nRoom, text)) return text;
    std::vector<wchar_t> buffer(nRoom + 1, L'\0');
    // Microsoft reading: %s is wide here. A truncated result is not terminated by the runtime.
    _snwprintf(buffer.data(), nRoom, strFormat.c_str(), a0, a1);
    buffer[nRoom] = L'\0';
    return std::wstring(buffer.data());
}

std::wstring QxFillHeaderTemplate(CUsersGroup& group, const std::wstring& strSenderName) {
    size_t cut = group.m_strLabel.find(kAlternatives);
    if (cut != std::wstring::npos) group.m_strLabel.resize(cut);
    if (group.m_strName.empty() || strSenderName.empty()) return std::wstring();
    std::wstring text = group.m_strLabel;
    ReplaceFirst(text, kDest, group.m_strName);
    ReplaceFirst(text, kSrc, strSenderName);
    return Cut(text, QX_HEADER_LINE_ROOM);
}

QxHeaderParts QxSplitHeader(const std::wstring& strLine, const std::wstring& strSenderText) {
    QxHeaderParts parts;
    // The list shows the sender part and then the rest, so the line is split only where it
    // begins with the sender text: cutting at a later occurrence (a template with text before
    // "[Src]", a receiver whose name holds the sender's) would drop what stands before it.
    bool bLeads = !strSenderText.empty() && strLine.compare(0, strSenderText.size(), strSenderText) == 0;
    if (bLeads) {
        parts.strSender = Cut(strSenderText, QX_HEADER_PART_ROOM);
        parts.strRest = Cut(strLine.substr(strSenderText.size()), QX_HEADER_PART_ROOM);
    } else {
        parts.strRest = Cut(strLine, QX_HEADER_PART_ROOM);
    }
    return parts;
}

bool QxBuildGroupHeader(const QxHeaderFormats& formats, const QxGroupHeaderInput& in, QxHeaderParts& out) {
    out = QxHeaderParts();
    if (in.strSenderName.empty()) return false;
    const std::wstring sender[] = {in.strSenderName};
    std::wstring strSenderText = QxApplyFormat(formats.strSender, sender, 1);
    return Finish(formats, GroupHeaderLine(formats, in, strSenderText), strSenderText, out);
}

bool QxBuildPrivateHeader(const QxHeaderFormats& formats, const QxPrivateHeaderInput& in,
                          QxHeaderParts& out) {
    out = QxHeaderParts();
    if (in.strSenderName.empty() || in.strReceiverName.empty()) return false;
    const std::wstring sender[] = {in.strSenderName};
    std::wstring strSenderText = QxApplyFormat(formats.strSender, sender, 1);
    return Finish(formats, PrivateHeaderLine(formats, in, strSenderText), strSenderText, out);
}
