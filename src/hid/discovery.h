// Discovery of units among the HID device interfaces by their paths.
//
// The path list is process-wide: an enumeration and the count or selection
// that reads it run under one hold of the state lock, so no other thread
// refills the list in between.
#pragma once

#include <cstdint>
#include <string>

#include "hid/transport_status.h"
#include "state/state_lock.h"

namespace KL_VRXHid {

// "vid_%04X&pid_%04X" filled with the two IDs (always 17 characters).
std::string MatchText(uint16_t vendorId, uint16_t productId);

// Refills the path list with the paths of all present HID interfaces, in
// enumeration order. Success, or EnumerationFailed with every readable path
// kept. Only after LoadHidApi(lock) returned Success under the same lock.
TransportStatus EnumerateHidPaths(const KL_VRXState::TStateLock& lock);

// True when text occurs anywhere in path, ignoring the case of a-z.
bool PathMatches(std::string path, std::string text);

// Number of paths in the list that match text.
uint32_t CountMatchingPaths(const KL_VRXState::TStateLock& lock, const std::string& text);

// The index-th matching path, in its original case: Success (output
// assigned), or CouldNotFindDevice (output untouched).
TransportStatus GetMatchingPath(const KL_VRXState::TStateLock& lock, std::string& output,
                                const std::string& text, uint32_t index);

// LoadHidApi, EnumerateHidPaths and CountMatchingPaths for one pair under
// one hold of the lock, each step's status stored as the latest transport
// status. Returns ApiLoadFailed (count not written), or the enumeration's
// status with the count written.
TransportStatus CountUnits(uint16_t vendorId, uint16_t productId, uint32_t& count);

}  // namespace KL_VRXHid
