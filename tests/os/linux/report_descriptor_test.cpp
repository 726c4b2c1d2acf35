#include "os/linux/report_descriptor.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

using KL_VRXOS::NodeLengths;
using KL_VRXOS::ParseReportDescriptor;
using KL_VRXOS::TReportDescriptorInfo;

struct TWindowsCase {
    std::string name;
    std::vector<uint8_t> descriptor;
    uint16_t inputLength = 0;
    uint16_t outputLength = 0;
};

// The recorded collections, one a line: name, input and output length, the
// descriptor in hex ('#' starts a comment line).
std::vector<TWindowsCase> WindowsCases() {
    std::ifstream file(KL_VRX_FIXTURES_DIR "/hid-descriptors/windows_report_lengths.txt");
    std::vector<TWindowsCase> cases;
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        TWindowsCase c;
        std::string hex;
        if (line.empty() || line[0] == '#' ||
            !(fields >> c.name >> c.inputLength >> c.outputLength >> hex))
            continue;
        for (size_t i = 0; i + 1 < hex.size(); i += 2)
            c.descriptor.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
        cases.push_back(std::move(c));
    }
    return cases;
}

TReportDescriptorInfo Parse(const std::vector<uint8_t>& bytes) {
    return ParseReportDescriptor(bytes.data(), bytes.size());
}

TEST(ReportDescriptor, EveryRecordedCollectionGetsWindowsLengths) {
    const std::vector<TWindowsCase> cases = WindowsCases();
    ASSERT_EQ(cases.size(), 25u);
    for (const TWindowsCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TReportDescriptorInfo info = Parse(c.descriptor);
        EXPECT_TRUE(info.wellFormed);
        ASSERT_EQ(info.collections.size(), 1u);
        EXPECT_EQ(info.collections[0].inputLength, c.inputLength);
        EXPECT_EQ(info.collections[0].outputLength, c.outputLength);
    }
}

// Hand-made descriptors for the items real devices rarely use.
TEST(ReportDescriptor, GlobalStackLongItemsAndBrokenInput) {
    struct TCase {
        const char* what;
        uint16_t input, output, feature;
        bool numbered, wellFormed;
        std::vector<uint8_t> bytes;
    };
    // clang-format off
    const TCase cases[] = {
        // Push saves size 8 / count 4; the pushed state's 16 x 1 input adds
        // 2 bytes; after Pop the output is 8 x 4 bits.
        {"push and pop", 3, 5, 0, false, true,
         {0xA1, 1, 0x75, 8, 0x95, 4, 0xA4, 0x75, 16, 0x95, 1, 0x81, 2, 0xB4, 0x91, 2, 0xC0}},
        // A long item (0xFE, 2 data bytes) is skipped whole.
        {"long item", 3, 0, 0, false, true,
         {0xA1, 1, 0xFE, 2, 0x10, 0x81, 2, 0x75, 4, 0x95, 3, 0x81, 2, 0xC0}},
        // The largest report over the IDs wins; a 4-byte Report Count is read whole.
        {"report ids", 0, 0, 6, true, true,
         {0xA1, 1, 0x85, 1, 0x75, 8, 0x97, 2, 0, 0, 0, 0xB1, 2, 0x85, 2, 0x95, 5, 0xB1, 2, 0xC0}},
        // Input ends inside an item: what came before still counts.
        {"truncated", 3, 0, 0, false, false, {0xA1, 1, 0x75, 8, 0x95, 2, 0x81, 2, 0x95}},
        {"pop on empty stack", 0, 0, 0, false, false, {0xA1, 1, 0xB4, 0xC0}},
        {"end without collection", 0, 0, 0, false, false, {0xC0}},
        // Two top-level collections on one node: each measured apart, the
        // node taking the larger of each kind.
        {"two collections", 3, 5, 0, false, true,
         {0xA1, 1, 0x75, 8, 0x95, 2, 0x81, 2, 0xC0, 0xA1, 1, 0x75, 8, 0x95, 4, 0x91, 2, 0x95, 1,
          0x81, 2, 0xC0}},
        // A huge Report Size x Report Count saturates instead of wrapping.
        {"huge report", 0xFFFF, 0, 0, false, true,
         {0xA1, 1, 0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81, 2, 0xC0}},
    };
    // clang-format on
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        const TReportDescriptorInfo info = Parse(c.bytes);
        const auto n = NodeLengths(info);
        EXPECT_EQ(std::tie(n.inputLength, n.outputLength, n.featureLength, info.numbered,
                           info.wellFormed),
                  std::tie(c.input, c.output, c.feature, c.numbered, c.wellFormed));
    }
    EXPECT_TRUE(ParseReportDescriptor(nullptr, 5).collections.empty());
}

}  // namespace
