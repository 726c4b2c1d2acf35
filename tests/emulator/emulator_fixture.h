// A bus and the raw OS-layer calls a test of the emulator needs: open a
// path, send one command as a full output report, read one input report.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "KL_VRX/emulator.h"
#include "os/os.h"
#include "os/os_checks.h"

namespace KL_VRXEmuTest {

using namespace KL_VRXOS;
using TBytes = std::vector<uint8_t>;

// A full 65-byte report starting with the given bytes.
inline TBytes Reply(TBytes head) {
    head.resize(65, 0);
    return head;
}

class EmulatorTest : public ::testing::Test {
  protected:
    KL_VRXEmu::TEmulatedBus bus;
    KL_IOperatingSystem& os = Os();
    uint32_t error = 0;  // of the latest Receive

    HANDLE Open(const std::string& path, uint32_t access = GenericRead | GenericWrite) {
        return os.CreateFileA(path.c_str(), access, 3, nullptr, OpenExisting, 0, nullptr);
    }

    // Sends (0, code, value) padded to length; returns the error (0: written).
    uint32_t Send(HANDLE h, uint8_t code, uint8_t value = 0, uint32_t length = 65) {
        TBytes report = Reply({0, code, value});  // a real buffer even for length 0
        uint32_t written = 0;
        return os.WriteFile(h, report.data(), length, &written, nullptr) ? 0 : os.GetLastError();
    }

    // The bytes one read delivered, also when it failed (error set).
    TBytes Receive(HANDLE h, uint32_t length = 65) {
        TBytes buffer(length, 0xEE);
        uint32_t count = 0xDEAD;
        error = os.ReadFile(h, buffer.data(), length, &count, nullptr) ? 0 : os.GetLastError();
        EXPECT_LE(count, length);
        buffer.resize(std::min(count, length));
        return buffer;
    }
};

}  // namespace KL_VRXEmuTest
