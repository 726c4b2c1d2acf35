#include "session/session_checks.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace KL_VRXFuzz {

namespace {

// The channel's texts of protocol codes 1 to 8, which stand alone.
constexpr const char* ProtocolTexts[] = {
    "No VRX has been opened.",
    "Unable to change launch mode for attached VRXs.",
    "Cannot do a write while in safe mode.",
    "Have timed out trying to read from the device.",
    "Insufficient buffer space.",
    "A bad command was sent to the device.",
    "The command was not echoed.",
    "Timeout while waiting for state transition.",
};

// Codes 9 to 12: a transport text follows.
constexpr const char* TransportFailureTexts[] = {
    "Unable to get device information. ",
    "Unable to open VRX. ",
    "Problem sending data to VRX. ",
    "Problem reading data from VRX. ",
};

// The transport's texts, "%d" standing for a signed decimal.
constexpr const char* TransportTexts[] = {
    "Success.",
    "Could not find device.",
    "Invalid device buffer length.",
    "Device index out of range.",
    "Trying to send command to an unopened device.",
    "Could not create log file.",
    "Unable to Load Win API. API error: %d.",
    "Bad HID Comms. Code: %d. API error: %d.",
    "Device not found. API error: %d.",
    "Send fail. API error: %d.",
    "Read fail. API error: %d.",
};

// text is pattern, each "%d" matching an optional minus and one or more digits.
bool Matches(const char* text, const char* pattern) {
    while (*pattern != '\0') {
        if (pattern[0] == '%' && pattern[1] == 'd') {
            if (*text == '-')
                ++text;
            if (!std::isdigit(static_cast<unsigned char>(*text)))
                return false;
            while (std::isdigit(static_cast<unsigned char>(*text)))
                ++text;
            pattern += 2;
        } else if (*text++ != *pattern++) {
            return false;
        }
    }
    return *text == '\0';
}

bool IsChannelText(const char* text) {
    for (const char* fixed : ProtocolTexts)
        if (std::strcmp(text, fixed) == 0)
            return true;
    for (const char* head : TransportFailureTexts) {
        const size_t length = std::strlen(head);
        if (std::strncmp(text, head, length) != 0)
            continue;
        for (const char* tail : TransportTexts)
            if (Matches(text + length, tail))
                return true;
    }
    return false;
}

}  // namespace

void Require(bool ok, const char* what, uint64_t seen, uint64_t detail) {
    if (ok)
        return;
    std::fprintf(stderr, "session check failed: %s (%llu, %llu)\n", what,
                 static_cast<unsigned long long>(seen), static_cast<unsigned long long>(detail));
    std::abort();
}

void RequireStatus(uint32_t status, std::initializer_list<uint32_t> allowed, const char* entry) {
    for (uint32_t ok : allowed)
        if (status == ok)
            return;
    std::fprintf(stderr, "session check failed: %s returned the undocumented status %u\n", entry,
                 status);
    std::abort();
}

void RequireTerminated(const char* text, const char* what) {
    Require(text != nullptr && std::memchr(text, '\0', 256) != nullptr, what);
}

void RequireCountText(const char* text, uint32_t status) {
    RequireTerminated(text, "GetLastVRXDLLError");
    const bool ok = status == 513
                        ? std::strcmp(text, "Couldn't count VRX devices: Invalid pointer!") == 0
                        : std::strcmp(text, "Communication with device failed - 0x01!") == 0 ||
                              std::strcmp(text, "Communication with device failed - 0x02!") == 0;
    if (!ok) {
        std::fprintf(stderr, "session check failed: GetVRXDeviceCount returned %u with \"%s\"\n",
                     status, text);
        std::abort();
    }
}

void RequireCreationText(const char* text) {
    RequireTerminated(text, "GetLastVRXDLLError");
    if (std::strcmp(text, "Index out of range.") != 0 && !IsChannelText(text)) {
        std::fprintf(stderr, "session check failed: CreateVRX failed with \"%s\"\n", text);
        std::abort();
    }
}

void RequireControllerText(const char* text, uint32_t status, const char* entry) {
    RequireTerminated(text, entry);
    bool ok = true;
    switch (status) {
        case 3:
        case 5:
            ok = IsChannelText(text);
            break;
        case 10:
            ok = std::strcmp(text, "Index out of range.") == 0;
            break;
        case 11:
            ok = std::strcmp(text, "Position out of range.") == 0;
            break;
        case 512:
            ok = std::strcmp(text, "Invalid parameter.") == 0;
            break;
        default:
            break;
    }
    if (!ok) {
        std::fprintf(stderr, "session check failed: %s returned %u with the text \"%s\"\n", entry,
                     status, text);
        std::abort();
    }
}

}  // namespace KL_VRXFuzz
