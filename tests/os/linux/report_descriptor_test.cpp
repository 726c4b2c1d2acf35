#include "os/linux/report_descriptor.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using KL_VRXOS::NodeLengths;
using KL_VRXOS::ParseReportDescriptor;
using KL_VRXOS::TReportDescriptorInfo;

struct TWindowsCase {
    const char* name;
    std::vector<uint8_t> descriptor;
    uint16_t inputLength;
    uint16_t outputLength;
};

const TWindowsCase WindowsCases[] = {
#include "data/hid-descriptors/windows_report_lengths.inc"
};

TReportDescriptorInfo Parse(const std::vector<uint8_t>& bytes) {
    return ParseReportDescriptor(bytes.data(), bytes.size());
}

TEST(ReportDescriptor, EveryRecordedCollectionGetsWindowsLengths) {
    ASSERT_EQ(std::size(WindowsCases), 25u);
    for (const TWindowsCase& c : WindowsCases) {
        SCOPED_TRACE(c.name);
        const TReportDescriptorInfo info = Parse(c.descriptor);
        EXPECT_TRUE(info.wellFormed);
        ASSERT_EQ(info.collections.size(), 1u);
        EXPECT_EQ(info.collections[0].inputLength, c.inputLength);
        EXPECT_EQ(info.collections[0].outputLength, c.outputLength);
    }
}

// Two top-level collections as one hidraw node sees them: each keeps its
// own lengths, and the node takes the larger of each kind.
TEST(ReportDescriptor, CollectionsOfOneInterfaceAreMeasuredApart) {
    std::vector<uint8_t> both;
    for (const TWindowsCase& c : WindowsCases) {
        const std::string name = c.name;
        if (name == "046D_C534_0002_0001" || name == "046D_C534_0001_FF00")
            both.insert(both.end(), c.descriptor.begin(), c.descriptor.end());
    }
    const TReportDescriptorInfo info = Parse(both);
    ASSERT_EQ(info.collections.size(), 2u);
    EXPECT_TRUE(info.numbered);
    EXPECT_EQ(info.collections[0].usagePage, 0xFF00);
    EXPECT_EQ(info.collections[0].inputLength, 7);
    EXPECT_EQ(info.collections[1].usagePage, 0x0001);
    EXPECT_EQ(info.collections[1].inputLength, 8);
    EXPECT_EQ(NodeLengths(info).inputLength, 8);
    EXPECT_EQ(NodeLengths(info).outputLength, 7);
}

// Hand-made descriptors for the items real devices rarely use.
TEST(ReportDescriptor, GlobalStackLongItemsAndBrokenInput) {
    struct TCase {
        const char* what;
        std::vector<uint8_t> bytes;
        uint16_t input, output, feature;
        bool numbered, wellFormed;
    };
    const TCase cases[] = {
        // Push saves size 8 / count 4; the pushed state's 16 x 1 input adds
        // 2 bytes; after Pop the output is 8 x 4 bits.
        {"push and pop",
         {0xA1, 0x01, 0x75, 0x08, 0x95, 0x04, 0xA4, 0x75, 0x10, 0x95, 0x01, 0x81, 0x02, 0xB4, 0x91,
          0x02, 0xC0},
         3,
         5,
         0,
         false,
         true},
        // A long item (0xFE, 2 data bytes) is skipped whole.
        {"long item",
         {0xA1, 0x01, 0xFE, 0x02, 0x10, 0x81, 0x02, 0x75, 0x04, 0x95, 0x03, 0x81, 0x02, 0xC0},
         3,
         0,
         0,
         false,
         true},
        // The largest report over the IDs wins; a 4-byte Report Count is read whole.
        {"report ids",
         {0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x97, 0x02, 0x00, 0x00,
          0x00, 0xB1, 0x02, 0x85, 0x02, 0x95, 0x05, 0xB1, 0x02, 0xC0},
         0,
         0,
         6,
         true,
         true},
        // Input ends inside an item: what came before still counts.
        {"truncated",
         {0xA1, 0x01, 0x75, 0x08, 0x95, 0x02, 0x81, 0x02, 0x95},
         3,
         0,
         0,
         false,
         false},
        {"pop on empty stack", {0xA1, 0x01, 0xB4, 0xC0}, 0, 0, 0, false, false},
        {"end without collection", {0xC0}, 0, 0, 0, false, false},
        // A huge Report Size x Report Count saturates instead of wrapping.
        {"huge report",
         {0xA1, 0x01, 0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x02, 0xC0},
         0xFFFF,
         0,
         0,
         false,
         true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        const TReportDescriptorInfo info = Parse(c.bytes);
        const auto lengths = NodeLengths(info);
        EXPECT_EQ(lengths.inputLength, c.input);
        EXPECT_EQ(lengths.outputLength, c.output);
        EXPECT_EQ(lengths.featureLength, c.feature);
        EXPECT_EQ(info.numbered, c.numbered);
        EXPECT_EQ(info.wellFormed, c.wellFormed);
    }
    EXPECT_TRUE(ParseReportDescriptor(nullptr, 5).collections.empty());
}

}  // namespace
