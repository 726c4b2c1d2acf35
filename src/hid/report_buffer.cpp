#include "hid/report_buffer.h"

#include <cstring>

namespace KL_VRXHid {

void TReportBuffer::Reserve(size_t size) {
    if (size <= InlineBytes || size <= heapSize)
        return;
    heap = std::make_unique<uint8_t[]>(size);
    heapSize = size;
}

uint8_t* TReportBuffer::Zeroed(size_t size) {
    if (size == 0)
        return nullptr;
    Reserve(size);
    uint8_t* const bytes = Data();
    std::memset(bytes, 0, size);
    return bytes;
}

}  // namespace KL_VRXHid
