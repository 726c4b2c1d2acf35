#include "os/linux/report_descriptor.h"

#include <algorithm>
#include <array>
#include <map>

namespace KL_VRXOS {

namespace {

// Item prefixes with the size bits masked off (HID 1.11, 6.2.2).
constexpr uint8_t ItemInput = 0x80;
constexpr uint8_t ItemOutput = 0x90;
constexpr uint8_t ItemFeature = 0xB0;
constexpr uint8_t ItemCollection = 0xA0;
constexpr uint8_t ItemEndCollection = 0xC0;
constexpr uint8_t ItemUsagePage = 0x04;
constexpr uint8_t ItemReportSize = 0x74;
constexpr uint8_t ItemReportId = 0x84;
constexpr uint8_t ItemReportCount = 0x94;
constexpr uint8_t ItemPush = 0xA4;
constexpr uint8_t ItemPop = 0xB4;
constexpr uint8_t ItemUsage = 0x08;
constexpr uint8_t ItemUsageMinimum = 0x18;
constexpr uint8_t LongItemPrefix = 0xFE;

// Deeper Push nesting than any real device uses; beyond it a hostile
// descriptor could only make the stack grow without bound.
constexpr size_t MaxPushDepth = 64;

// Enough bits for any 16-bit length; larger sums stop growing here so a
// hostile Report Size x Report Count cannot overflow.
constexpr uint64_t BitCap = uint64_t{1} << 24;

struct TGlobalState {
    uint32_t usagePage = 0;
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint32_t reportId = 0;
};

// Bits per report ID for one kind of report in one top-level collection.
struct TKindBits {
    bool present = false;
    std::map<uint32_t, uint64_t> bitsById;
};

struct TCollectionBits {
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    std::array<TKindBits, 3> kinds;  // input, output, feature
};

uint16_t KindLength(const TKindBits& kind) {
    if (!kind.present)
        return 0;
    uint64_t maxBits = 0;
    for (const auto& [id, bits] : kind.bitsById)
        maxBits = std::max(maxBits, bits);
    const uint64_t bytes = (maxBits + 7) / 8 + 1;
    return static_cast<uint16_t>(std::min<uint64_t>(bytes, 0xFFFF));
}

class TParser {
  public:
    TReportDescriptorInfo Run(const uint8_t* data, size_t size) {
        size_t pos = 0;
        while (pos < size) {
            const uint8_t prefix = data[pos];
            if (prefix == LongItemPrefix) {
                // Long item: size byte, tag byte, data. None carries report layout.
                if (size - pos < 3)
                    return Finish(false);
                const size_t itemSize = 3 + static_cast<size_t>(data[pos + 1]);
                if (size - pos < itemSize)
                    return Finish(false);
                pos += itemSize;
                continue;
            }
            static constexpr size_t DataSizes[4] = {0, 1, 2, 4};
            const size_t dataSize = DataSizes[prefix & 0x03];
            if (size - pos < 1 + dataSize)
                return Finish(false);
            uint32_t value = 0;
            for (size_t i = 0; i < dataSize; ++i)
                value |= static_cast<uint32_t>(data[pos + 1 + i]) << (8 * i);
            Item(static_cast<uint8_t>(prefix & 0xFC), value, dataSize);
            pos += 1 + dataSize;
        }
        return Finish(depth == 0);
    }

  private:
    void Item(uint8_t tag, uint32_t value, size_t dataSize) {
        switch (tag) {
            case ItemInput:
                Main(0);
                break;
            case ItemOutput:
                Main(1);
                break;
            case ItemFeature:
                Main(2);
                break;
            case ItemCollection:
                OpenCollection();
                break;
            case ItemEndCollection:
                if (depth == 0)
                    unbalanced = true;
                else
                    --depth;
                ClearLocals();
                break;
            case ItemUsagePage:
                global.usagePage = value;
                break;
            case ItemReportSize:
                global.reportSize = value;
                break;
            case ItemReportCount:
                global.reportCount = value;
                break;
            case ItemReportId:
                global.reportId = value;
                numbered = true;
                break;
            case ItemPush:
                if (stack.size() < MaxPushDepth)
                    stack.push_back(global);
                else
                    unbalanced = true;
                break;
            case ItemPop:
                if (stack.empty()) {
                    unbalanced = true;
                } else {
                    global = stack.back();
                    stack.pop_back();
                }
                break;
            case ItemUsage:
            case ItemUsageMinimum:
                // The collection takes its first usage; a 4-byte usage names
                // its own page in the upper half.
                if (!hasUsage) {
                    hasUsage = true;
                    usage = value & 0xFFFF;
                    usagePage = dataSize == 4 ? value >> 16 : global.usagePage;
                }
                break;
            default:
                break;
        }
    }

    void Main(size_t kind) {
        TCollectionBits& target = Current();
        TKindBits& bits = target.kinds[kind];
        bits.present = true;
        uint64_t& sum = bits.bitsById[global.reportId];
        const uint64_t add = std::min<uint64_t>(
            static_cast<uint64_t>(global.reportSize) * global.reportCount, BitCap);
        sum = std::min<uint64_t>(sum + add, BitCap);
        ClearLocals();
    }

    void OpenCollection() {
        if (depth == 0) {
            TCollectionBits next;
            next.usagePage = static_cast<uint16_t>(hasUsage ? usagePage : global.usagePage);
            next.usage = static_cast<uint16_t>(hasUsage ? usage : 0);
            collections.push_back(std::move(next));
            outsideOpen = false;
        }
        ++depth;
        ClearLocals();
    }

    // Main items outside every collection get a collection of their own, so
    // their bytes are not lost and are not added to a neighbour's.
    TCollectionBits& Current() {
        if (depth == 0 && !outsideOpen) {
            collections.emplace_back();
            outsideOpen = true;
        }
        return collections.back();
    }

    void ClearLocals() {
        hasUsage = false;
        usage = 0;
        usagePage = 0;
    }

    TReportDescriptorInfo Finish(bool balanced) {
        TReportDescriptorInfo info;
        info.numbered = numbered;
        info.wellFormed = balanced && !unbalanced;
        for (const TCollectionBits& c : collections) {
            TCollectionLengths lengths;
            lengths.usagePage = c.usagePage;
            lengths.usage = c.usage;
            lengths.inputLength = KindLength(c.kinds[0]);
            lengths.outputLength = KindLength(c.kinds[1]);
            lengths.featureLength = KindLength(c.kinds[2]);
            info.collections.push_back(lengths);
        }
        return info;
    }

    TGlobalState global;
    std::vector<TGlobalState> stack;
    std::vector<TCollectionBits> collections;
    size_t depth = 0;
    bool outsideOpen = false;
    bool numbered = false;
    bool unbalanced = false;
    bool hasUsage = false;
    uint32_t usage = 0;
    uint32_t usagePage = 0;
};

}  // namespace

TReportDescriptorInfo ParseReportDescriptor(const uint8_t* data, size_t size) {
    if (data == nullptr)
        size = 0;
    return TParser().Run(data, size);
}

TCollectionLengths NodeLengths(const TReportDescriptorInfo& info) {
    TCollectionLengths node;
    for (const TCollectionLengths& c : info.collections) {
        node.inputLength = std::max(node.inputLength, c.inputLength);
        node.outputLength = std::max(node.outputLength, c.outputLength);
        node.featureLength = std::max(node.featureLength, c.featureLength);
    }
    if (!info.collections.empty()) {
        node.usagePage = info.collections.front().usagePage;
        node.usage = info.collections.front().usage;
    }
    return node;
}

}  // namespace KL_VRXOS
