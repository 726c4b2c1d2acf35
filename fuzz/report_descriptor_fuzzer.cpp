// Any byte sequence must parse without reading past its end (the input is
// copied into an exactly sized heap block so the address sanitizer sees an
// overrun) and give lengths that obey Windows' rule.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "os/linux/report_descriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::unique_ptr<uint8_t[]> exact(new uint8_t[size == 0 ? 1 : size]);
    if (size != 0)
        std::memcpy(exact.get(), data, size);
    const auto info = KL_VRXOS::ParseReportDescriptor(size == 0 ? nullptr : exact.get(), size);
    const auto node = KL_VRXOS::NodeLengths(info);
    for (const auto& c : info.collections) {
        // The node's length of each kind is the largest of its collections'.
        if (c.inputLength > node.inputLength || c.outputLength > node.outputLength ||
            c.featureLength > node.featureLength)
            std::abort();
    }
    // Every collection starts at an item of at least one byte.
    if (info.collections.size() > size)
        std::abort();
    return 0;
}
