// qxmem blocks at the controller's edge: items come in as blocks and are copied at once; they
// go out as a fresh block per delivery that lives only during the sink call.
#pragma once

#include "qxmem.h"

#include <vector>

namespace qxnc {

// Copies a writer's block. False for a bad handle or a block above QXNC_MAX_DATA bytes.
bool ReadBlock(QXMEMHANDLE block, std::vector<BYTE>* out);

// A block holding a copy of some bytes for one sink call; its reference is dropped on
// destruction (a reader that released the block itself is no harm: handles are never reused).
class DeliveryBlock {
public:
    explicit DeliveryBlock(const std::vector<BYTE>& bytes) : DeliveryBlock(bytes.data(), bytes.size()) {}
    DeliveryBlock(const void* bytes, size_t size);
    ~DeliveryBlock();
    DeliveryBlock(const DeliveryBlock&) = delete;
    DeliveryBlock& operator=(const DeliveryBlock&) = delete;
    // Null when no block could be made.
    QXMEMHANDLE Handle() const { return m_block; }

private:
    QXMEMHANDLE m_block = nullptr;
};

} // namespace qxnc
