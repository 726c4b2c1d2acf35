// Discovery of units among the HID device interfaces by their paths.
#pragma once

#include <cstdint>
#include <string>

#include "hid/transport_status.h"

namespace KL_VRXHid {

// "vid_%04X&pid_%04X" filled with the two IDs (always 17 characters).
std::string MatchText(uint16_t vendorId, uint16_t productId);

// Refills the path list with the paths of all present HID interfaces, in
// enumeration order. Success, or EnumerationFailed with every readable path
// kept. Only after LoadHidApi returned Success in the same operation.
TransportStatus EnumerateHidPaths();

// True when text occurs anywhere in path, ignoring the case of a-z.
bool PathMatches(std::string path, std::string text);

// Number of paths in the list that match text.
uint32_t CountMatchingPaths(const std::string& text);

// The index-th matching path, in its original case: Success (output
// assigned), or CouldNotFindDevice (output untouched).
TransportStatus GetMatchingPath(std::string& output, const std::string& text, uint32_t index);

// LoadHidApi, EnumerateHidPaths and CountMatchingPaths for one pair, each
// step's status stored as the latest transport status. Returns ApiLoadFailed
// (count not written), or the enumeration's status with the count written.
TransportStatus CountUnits(uint16_t vendorId, uint16_t productId, uint32_t& count);

}  // namespace KL_VRXHid
