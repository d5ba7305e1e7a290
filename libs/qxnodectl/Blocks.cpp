#include "Blocks.h"

#include "qxnodectl.h"

namespace qxnc {

bool ReadBlock(QXMEMHANDLE block, std::vector<BYTE>* out) {
    DWORD size = 0;
    if (QxMemoryGetSize(block, &size) != QXMEM_OK || size > QXNC_MAX_DATA) return false;
    out->assign(size, 0);
    DWORD read = size;
    if (QxMemoryRead(block, 0, out->data(), &read) != QXMEM_OK || read != size) return false;
    return true;
}

DeliveryBlock::DeliveryBlock(const void* bytes, size_t size) {
    DWORD written = static_cast<DWORD>(size);
    if (QxMemoryAlloc(written, &m_block) != QXMEM_OK) return;
    if (QxMemoryWrite(m_block, 0, bytes, &written) != QXMEM_OK) {
        QxMemoryRelease(m_block);
        m_block = nullptr;
    }
}

DeliveryBlock::~DeliveryBlock() {
    if (m_block) QxMemoryRelease(m_block);
}

} // namespace qxnc
