#include "os/linux/hidraw_nodes.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace KL_VRXOS {

namespace {

constexpr char PathPrefix[] = "\\\\?\\hid#";
constexpr char NodePrefix[] = "hidraw";

// Digits only, no sign, no overflow: "hidraw12" -> 12.
std::optional<unsigned> ParseDecimal(const std::string& text) {
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value;
}

std::optional<uint32_t> ParseHex(const std::string& text) {
    if (text.empty() || text.size() > 8)
        return std::nullopt;
    uint32_t value = 0;
    for (char c : text) {
        uint32_t digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<uint32_t>(c - 'A' + 10);
        else
            return std::nullopt;
        value = value * 16 + digit;
    }
    return value;
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        return std::nullopt;
    return text;
}

std::string LowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

}  // namespace

std::optional<std::pair<uint16_t, uint16_t>> ParseHidId(const std::string& uevent) {
    std::istringstream lines(uevent);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("HID_ID=", 0) != 0)
            continue;
        const std::string value = line.substr(7);
        const size_t first = value.find(':');
        const size_t second = first == std::string::npos ? first : value.find(':', first + 1);
        if (second == std::string::npos)
            return std::nullopt;
        const auto bus = ParseHex(value.substr(0, first));
        const auto vendor = ParseHex(value.substr(first + 1, second - first - 1));
        const auto product = ParseHex(value.substr(second + 1));
        if (!bus || !vendor || !product || *vendor > 0xFFFF || *product > 0xFFFF)
            return std::nullopt;
        return std::make_pair(static_cast<uint16_t>(*vendor), static_cast<uint16_t>(*product));
    }
    return std::nullopt;
}

std::vector<THidrawNode> ListHidrawNodes(const std::string& sysRoot) {
    std::vector<THidrawNode> nodes;
    std::error_code error;
    const std::filesystem::path classDir = std::filesystem::path(sysRoot) / "class" / "hidraw";
    std::filesystem::directory_iterator entries(classDir, error);
    if (error)
        return nodes;
    for (const auto& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(NodePrefix, 0) != 0)
            continue;
        const auto number = ParseDecimal(name.substr(sizeof(NodePrefix) - 1));
        if (!number)
            continue;
        const auto uevent = ReadWholeFile(entry.path() / "device" / "uevent");
        if (!uevent)
            continue;
        const auto ids = ParseHidId(*uevent);
        if (!ids)
            continue;
        char path[64];
        std::snprintf(path, sizeof path, "%svid_%04x&pid_%04x#%s%u", PathPrefix, ids->first,
                      ids->second, NodePrefix, *number);
        nodes.push_back({*number, ids->first, ids->second, path});
    }
    std::sort(nodes.begin(), nodes.end(),
              [](const THidrawNode& a, const THidrawNode& b) { return a.number < b.number; });
    return nodes;
}

std::optional<unsigned> NodeFromWindowsPath(const std::string& path) {
    const std::string lower = LowerCase(path);
    if (lower.rfind(PathPrefix, 0) != 0)
        return std::nullopt;
    const size_t hash = lower.rfind('#');
    if (hash <= sizeof(PathPrefix) - 2)
        return std::nullopt;  // only the prefix's own #
    const std::string last = lower.substr(hash + 1);
    if (last.rfind(NodePrefix, 0) != 0)
        return std::nullopt;
    return ParseDecimal(last.substr(sizeof(NodePrefix) - 1));
}

std::optional<std::vector<uint8_t>> ReadSysfsReportDescriptor(const std::string& sysRoot,
                                                              unsigned number) {
    const auto text =
        ReadWholeFile(std::filesystem::path(sysRoot) / "class" / "hidraw" /
                      (NodePrefix + std::to_string(number)) / "device" / "report_descriptor");
    if (!text)
        return std::nullopt;
    return std::vector<uint8_t>(text->begin(), text->end());
}

}  // namespace KL_VRXOS
