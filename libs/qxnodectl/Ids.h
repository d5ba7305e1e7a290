// The numbers the embedded conference hands out, one range per kind (see qxnodectl.h).
#pragma once

#include "qxnodectl.h"

namespace qxnc {

class IdRange {
public:
    IdRange(DWORD first, DWORD last) : m_next(first), m_last(last) {}
    // The next number, 0 when the range is used up.
    DWORD Take() { return m_next <= m_last ? m_next++ : 0; }

private:
    DWORD m_next, m_last;
};

struct Ids {
    IdRange nodes{QXNC_FIRST_NODE_ID, QXNC_LAST_NODE_ID};
    IdRange apes{QXNC_FIRST_APE_HANDLE, QXNC_LAST_APE_HANDLE};
    IdRange users{QXNC_FIRST_USER_ID, QXNC_LAST_USER_ID};
    IdRange resources{QXNC_FIRST_RESOURCE_VALUE, QXNC_LAST_RESOURCE_VALUE};
    IdRange names{QXNC_FIRST_NAME_HANDLE, QXNC_LAST_NAME_HANDLE};
};

} // namespace qxnc
