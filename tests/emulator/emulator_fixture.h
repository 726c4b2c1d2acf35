// A bus and the raw OS-layer calls a test of the emulator needs: open a
// path, send one command as a full output report, read one input report,
// and the hid.dll entry points as the library binds them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "KL_VRX/emulator.h"
#include "os/os.h"

namespace KL_VRXEmuTest {

using namespace KL_VRXOS;

struct TRead {
    BOOL ok;
    uint32_t error;  // GetLastError after a failure
    std::vector<uint8_t> bytes;
};

class EmulatorTest : public ::testing::Test {
  protected:
    KL_VRXEmu::TEmulatedBus bus;
    KL_IOperatingSystem& os = Os();

    HANDLE Open(const std::string& path, uint32_t access = GenericRead | GenericWrite) {
        return os.CreateFileA(path.c_str(), access, FileShareRead | FileShareWrite, nullptr,
                              OpenExisting, 0, nullptr);
    }

    // Sends (0, code, value) padded to length; returns the error (0: written).
    uint32_t Send(HANDLE h, uint8_t code, uint8_t value = 0, uint32_t length = 65) {
        std::vector<uint8_t> report(length + 1, 0);  // a real buffer even for length 0
        if (length > 1)
            report[1] = code;
        if (length > 2)
            report[2] = value;
        uint32_t written = 0;
        return os.WriteFile(h, report.data(), length, &written, nullptr) ? 0 : os.GetLastError();
    }

    TRead Receive(HANDLE h, uint32_t length = 65) {
        std::vector<uint8_t> buffer(length, 0xEE);
        uint32_t count = 0xDEAD;
        TRead r{os.ReadFile(h, buffer.data(), length, &count, nullptr), 0, {}};
        if (!r.ok)
            r.error = os.GetLastError();
        buffer.resize(count <= length ? count : 0);
        r.bytes = buffer;
        return r;
    }

    // One command and its reply on a unit opened for the occasion.
    std::vector<uint8_t> Exchange(const KL_VRXEmu::TEmulatedUnit& unit, uint8_t code,
                                  uint8_t value = 0) {
        HANDLE h = Open(unit.Path());
        EXPECT_EQ(Send(h, code, value), 0u);
        std::vector<uint8_t> reply = Receive(h).bytes;
        os.CloseHandle(h);
        return reply;
    }

    template <typename PFN>
    PFN Entry(const char* name) {
        HMODULE module = os.LoadLibraryA("hid.dll");
        return reinterpret_cast<PFN>(os.GetProcAddress(module, name));
    }

    // The paths SetupAPI enumerates, the way the library walks it.
    std::vector<std::string> Enumerate() {
        std::vector<std::string> paths;
        HDEVINFO set = os.SetupDiGetClassDevsW(&HidInterfaceClassGuid, nullptr, nullptr,
                                               DigcfPresent | DigcfDeviceInterface);
        if (set == InvalidHandleValue)
            return paths;
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof data;
        for (uint32_t i = 0;
             os.SetupDiEnumDeviceInterfaces(set, nullptr, &HidInterfaceClassGuid, i, &data); ++i) {
            uint32_t required = 0;
            os.SetupDiGetDeviceInterfaceDetailA(set, &data, nullptr, 0, &required, nullptr);
            std::vector<uint64_t> storage(required / 8 + 1);
            auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
            detail->cbSize = 8;
            if (os.SetupDiGetDeviceInterfaceDetailA(set, &data, detail, required, nullptr, nullptr))
                paths.emplace_back(detail->DevicePath);
        }
        os.SetupDiDestroyDeviceInfoList(set);
        return paths;
    }
};

}  // namespace KL_VRXEmuTest
