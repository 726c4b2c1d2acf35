// What a host may see, by the library's documented contract: the statuses
// each entry returns, the texts that come with them and the values stored.
// A session that sees anything else stops the fuzzer (abort) with a line on
// stderr saying what it saw. The texts are written out here again, apart
// from the library's own tables, so that a wrong text there is caught.
#pragma once

#include <cstdint>
#include <initializer_list>

namespace KL_VRXFuzz {

// Stops the run when ok is false: what names the check, the numbers show
// what was seen.
void Require(bool ok, const char* what, uint64_t seen = 0, uint64_t detail = 0);

// status is one of allowed.
void RequireStatus(uint32_t status, std::initializer_list<uint32_t> allowed, const char* entry);

// A controller's text after a failure with status: "Index out of range."
// (10), "Position out of range." (11), "Invalid parameter." (512), or a
// channel text (3, 5): one of the protocol's texts of codes 1 to 8 alone, or
// of codes 9 to 12 followed by a transport text. Always within 255
// characters and terminated.
void RequireControllerText(const char* text, uint32_t status, const char* entry);

// A last-error text of the exports: terminated within 256 characters.
void RequireTerminated(const char* text, const char* what);

// The exports' text after GetVRXDeviceCount failed with status: one of the
// two counting failures (5) or the refused pointer (513).
void RequireCountText(const char* text, uint32_t status);

// The exports' text after a creation failed: the controller's text of its
// failed Open ("Index out of range." or a channel text).
void RequireCreationText(const char* text);

}  // namespace KL_VRXFuzz
