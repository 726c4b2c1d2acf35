// The emulated system calls: SetupAPI enumeration, handles, call counts and
// the bus's lifetime.
#include <stdexcept>
#include <string>
#include <vector>

#include "KL_VRX/KL_VRX.h"
#include "controller/hardware_controller.h"
#include "emulator_fixture.h"
#include "support/transport_text.h"

namespace KL_VRXEmuTest {
namespace {

using KL_VRXEmu::TEmulatedUnit;

// While a bus lives it is the OS, and the only bus. Each bus starts the
// library afresh, as just loaded: no exports' text, no transport status,
// family 1 current, hid.dll bound anew through the bus.
TEST(EmulatedBusLifetime, IsTheOsWhileItLivesAndStartsTheLibraryAsJustLoaded) {
    {
        KL_VRXEmu::TEmulatedBus bus;
        EXPECT_THROW(KL_VRXEmu::TEmulatedBus second, std::logic_error);
        EXPECT_NE(&Os(), &DefaultOs());  // the failed second bus changed nothing
        EXPECT_THROW(bus.AttachUnit(3), std::invalid_argument);
        bus.SetHidLibraryLoads(false);
        EXPECT_EQ(CreateVRX(0), nullptr);  // makes family 2 current, then fails
        EXPECT_STRNE(GetLastVRXDLLError(), "");
    }
    EXPECT_EQ(&Os(), &DefaultOs());
    KL_VRXEmu::TEmulatedBus bus;  // a bus may follow the last one
    bus.AttachUnit(1);
    EXPECT_STREQ(GetLastVRXDLLError(), "");
    EXPECT_EQ(KL_VRXTest::TransportText(), "Success.");
    TVRXHardwareController controller;  // no family of its own: counts in the current one
    int32_t count = 0;
    EXPECT_EQ(controller.GetDeviceCount(&count), 0u);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(bus.Calls().loadLibrary, 1u);
}

// Interfaces enumerate in attach order, with Windows-shaped lower-case paths.
// Detach unplugs: the unit leaves the enumeration, its handles die with 1167
// and its path no longer opens. Failed calls count as calls.
TEST_F(EmulatorTest, InterfacesAndHandlesFailWithWindowsCodes) {
    TEmulatedUnit& first = bus.AttachUnit(1);
    TEmulatedUnit& other = bus.AttachUnit(2, 1);
    const std::string gonePath = other.Path();
    bus.AttachForeign(0x046D, 0xC077);
    const std::vector<std::string> all = bus.InterfacePaths();
    EXPECT_EQ(all, (std::vector<std::string>{first.Path(), gonePath, all.at(2)}));
    EXPECT_EQ(KL_VRXTest::WalkHidInterfaces(os), all);
    EXPECT_EQ(gonePath.find("\\\\?\\hid#vid_3c5a&pid_0e57#7&"), 0u);

    HANDLE h = Open(first.Path());
    uint32_t count = 0;
    EXPECT_FALSE(os.WriteFile(h, nullptr, 65, &count, nullptr));
    EXPECT_EQ(os.GetLastError(), ErrorInvalidParameter);
    HANDLE gone = Open(gonePath);
    bus.Detach(other);
    EXPECT_EQ(bus.InterfacePaths(), (std::vector<std::string>{all[0], all[2]}));
    EXPECT_EQ(Send(gone, 18), ErrorDeviceNotConnected);
    Receive(gone);
    EXPECT_EQ(error, ErrorDeviceNotConnected);
    EXPECT_TRUE(os.CloseHandle(gone));
    EXPECT_TRUE(os.CloseHandle(h));
    EXPECT_FALSE(os.CloseHandle(h));
    EXPECT_EQ(Send(h, 18), ErrorInvalidHandle);
    const struct {
        const char* path;
        uint32_t error;
    } opens[] = {{nullptr, ErrorPathNotFound},
                 {gonePath.c_str(), ErrorFileNotFound},
                 {all[2].c_str(), ErrorAccessDenied}};
    for (const auto& row : opens) {
        EXPECT_EQ(os.CreateFileA(row.path, GenericRead | GenericWrite, 3, nullptr, 3, 0, nullptr),
                  InvalidHandleValue);
        EXPECT_EQ(os.GetLastError(), row.error);
    }
    EXPECT_EQ(Send(Open(all[2], 0), 18), ErrorAccessDenied);  // attributes only
    const KL_VRXEmu::TCallCounts c = bus.Calls();
    EXPECT_EQ(
        (std::vector<unsigned>{c.classDevs, c.createFile, c.writeFile, c.readFile, c.closeHandle}),
        (std::vector<unsigned>{1, 6, 4, 1, 3}));
}

}  // namespace
}  // namespace KL_VRXEmuTest
