// Report lengths from a HID report descriptor, computed the way Windows'
// HidP_GetCaps reports them.
//
// Windows makes one device per top-level collection and gives each kind of
// report (input, output, feature) the length of its largest report over all
// report IDs, in whole bytes, plus one byte for the report ID (sent as 0 by
// devices without numbered reports); a kind the collection lacks has length 0.
// A hidraw node covers a whole USB interface, which may hold several
// top-level collections, so the parser returns one entry per collection.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace KL_VRXOS {

struct TCollectionLengths {
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint16_t inputLength = 0;
    uint16_t outputLength = 0;
    uint16_t featureLength = 0;
};

struct TReportDescriptorInfo {
    // One entry per top-level collection, in descriptor order. Main items
    // outside every collection form an extra entry of their own.
    std::vector<TCollectionLengths> collections;
    // True when the descriptor declares a Report ID: reports then carry their
    // ID on the wire, otherwise the report data starts at the first byte.
    bool numbered = false;
    // False when the descriptor ends inside an item or its collections do
    // not balance; the lengths found up to that point are still reported.
    bool wellFormed = true;
};

// Parses size bytes at data (null with size 0 is an empty descriptor). Reads
// nothing past data + size and never fails: any byte sequence gives a result.
TReportDescriptorInfo ParseReportDescriptor(const uint8_t* data, size_t size);

// The lengths a hidraw node gets: per kind, the largest over its collections.
TCollectionLengths NodeLengths(const TReportDescriptorInfo& info);

}  // namespace KL_VRXOS
