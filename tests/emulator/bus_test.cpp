// The emulated system calls: hid.dll binding, SetupAPI, handles, the fault
// switches, call counts, the clock, the C:\ drive and the bus's lifetime.
#include <stdexcept>
#include <string>
#include <vector>

#include "KL_VRX/KL_VRX.h"
#include "controller/hardware_controller.h"
#include "emulator_fixture.h"
#include "support/row_name.h"
#include "support/temp_dir.h"
#include "support/transport_text.h"

namespace KL_VRXEmuTest {
namespace {

using KL_VRXEmu::TEmulatedUnit;

TEST(EmulatedBusLifetime, MakesItselfTheOsAndRestoresTheRealOne) {
    {
        KL_VRXEmu::TEmulatedBus bus;
        EXPECT_NE(&Os(), &DefaultOs());
        EXPECT_THROW(KL_VRXEmu::TEmulatedBus second, std::logic_error);
        EXPECT_NE(&Os(), &DefaultOs());  // the failed second bus changed nothing
        EXPECT_THROW(bus.AttachUnit(3), std::invalid_argument);
    }
    EXPECT_EQ(&Os(), &DefaultOs());
    KL_VRXEmu::TEmulatedBus again;  // a bus may follow the last one
}

// Each bus starts the library afresh, as just loaded: no exports' text, no
// transport status, family 1 current, hid.dll bound anew through the bus.
TEST(EmulatedBusLifetime, EachBusStartsTheLibraryAsJustLoaded) {
    {
        KL_VRXEmu::TEmulatedBus bus;
        bus.SetHidLibraryLoads(false);
        EXPECT_EQ(CreateVRX(0), nullptr);  // makes family 2 current, then fails
        EXPECT_STRNE(GetLastVRXDLLError(), "");
    }
    KL_VRXEmu::TEmulatedBus bus;
    bus.AttachUnit(1);
    EXPECT_STREQ(GetLastVRXDLLError(), "");
    EXPECT_EQ(KL_VRXTest::TransportText(), "Success.");
    TVRXHardwareController controller;  // no family of its own: counts in the current one
    int32_t count = 0;
    EXPECT_EQ(controller.GetDeviceCount(&count), 0u);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(bus.Calls().loadLibrary, 1u);
}

TEST_F(EmulatorTest, HidDllAndItsEntryPointsCanGoMissing) {
    HMODULE hid = KL_VRXTest::ExpectHidDllBinds(os);
    bus.SetEntryPointPresent("HidP_GetCaps", false);
    for (const char* name : {"HidP_GetCaps", "HidD_Unknown"}) {
        EXPECT_EQ(os.GetProcAddress(hid, name), nullptr);
        EXPECT_EQ(os.GetLastError(), ErrorProcNotFound);
    }
    EXPECT_TRUE(os.FreeLibrary(hid));
    EXPECT_EQ(os.GetProcAddress(hid, "HidD_GetHidGuid"), nullptr);  // unloaded
    EXPECT_EQ(os.GetLastError(), ErrorInvalidHandle);
    for (bool loads : {true, false}) {
        bus.SetHidLibraryLoads(loads);
        EXPECT_EQ(os.LoadLibraryA(loads ? "user32.dll" : "hid.dll"), nullptr);
        EXPECT_EQ(os.GetLastError(), ErrorModNotFound);
    }
}

// Interfaces enumerate in attach order, with Windows-shaped lower-case paths.
TEST_F(EmulatorTest, InterfacesEnumerateInAttachOrder) {
    const std::string a = bus.AttachUnit(1).Path(), b = bus.AttachUnit(2, 1).Path();
    bus.AttachForeign(0x046D, 0xC077);
    const std::vector<std::string> all = bus.InterfacePaths();
    EXPECT_EQ(all, (std::vector<std::string>{a, b, all.at(2)}));
    EXPECT_EQ(KL_VRXTest::WalkHidInterfaces(os), all);
    EXPECT_EQ(b.find("\\\\?\\hid#vid_3c5a&pid_0e57#7&"), 0u);
    EXPECT_NE(all[2].find("#vid_046d&pid_c077#"), std::string::npos);
    const std::string suffix = "&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
    EXPECT_EQ(a.substr(a.size() - suffix.size()), suffix);
}

// Detach unplugs: the unit leaves the enumeration, its handles die with
// 1167 and its path no longer opens.
TEST_F(EmulatorTest, HandlesFailWithWindowsCodes) {
    HANDLE h = Open(bus.AttachUnit(1).Path());
    TEmulatedUnit& other = bus.AttachUnit(1);
    const std::string gonePath = other.Path();
    bus.AttachForeign(0x046D, 0xC077);
    uint32_t count = 0;
    EXPECT_FALSE(os.WriteFile(h, nullptr, 65, &count, nullptr));
    EXPECT_EQ(os.GetLastError(), ErrorInvalidParameter);
    HANDLE gone = Open(gonePath);
    bus.Detach(other);
    EXPECT_EQ(bus.InterfacePaths().size(), 2u);
    EXPECT_EQ(Send(gone, 18), ErrorDeviceNotConnected);
    Receive(gone);
    EXPECT_EQ(error, ErrorDeviceNotConnected);
    EXPECT_TRUE(os.CloseHandle(gone));
    EXPECT_TRUE(os.CloseHandle(h));
    EXPECT_FALSE(os.CloseHandle(h));
    EXPECT_EQ(Send(h, 18), ErrorInvalidHandle);

    const std::string foreign = bus.InterfacePaths().at(1);
    const struct {
        const char* path;
        uint32_t error;
    } opens[] = {{nullptr, ErrorPathNotFound},
                 {gonePath.c_str(), ErrorFileNotFound},
                 {foreign.c_str(), ErrorAccessDenied}};
    for (const auto& row : opens) {
        EXPECT_EQ(os.CreateFileA(row.path, GenericRead | GenericWrite, 3, nullptr, 3, 0, nullptr),
                  InvalidHandleValue);
        EXPECT_EQ(os.GetLastError(), row.error);
    }
    EXPECT_EQ(Send(Open(foreign, 0), 18), ErrorAccessDenied);  // attributes only
}

TEST_F(EmulatorTest, CountsEverySystemCallFailedOnesToo) {
    TEmulatedUnit& unit = bus.AttachUnit(1);
    HMODULE hid = os.LoadLibraryA("hid.dll");
    os.LoadLibraryA("nothing.dll");
    os.GetProcAddress(hid, "Nothing");
    os.FreeLibrary(hid);
    KL_VRXTest::WalkHidInterfaces(os);
    HANDLE h = Open(unit.Path());
    Open("nothing");
    Send(h, 18);
    Send(h, 18, 0, 1);
    Receive(h);
    os.Sleep(0);
    os.CloseHandle(h);
    os.CloseHandle(h);
    const KL_VRXEmu::TCallCounts c = bus.Calls();
    EXPECT_EQ(
        (std::vector<unsigned>{c.loadLibrary, c.getProcAddress, c.freeLibrary, c.classDevs,
                               c.createFile, c.writeFile, c.readFile, c.sleep, c.closeHandle}),
        (std::vector<unsigned>{2, 1, 1, 1, 2, 2, 1, 1, 2}));
}

TEST_F(EmulatorTest, DriveRootTakesTheLogFile) {
    KL_VRXTest::TTempDir dir;
    for (const std::string& root : {dir.Path(), dir.Path() + "/"}) {
        bus.SetDriveRoot(root);
        os.OpenAppendTextFile("C:\\VRXHIDLog.log")->Write("a\n");
    }
    EXPECT_EQ(dir.ReadFile("VRXHIDLog.log"), "a\r\na\r\n");
    bus.SetDriveRoot(dir.Path() + "/missing");
    EXPECT_FALSE(os.OpenAppendTextFile("C:\\VRXHIDLog.log")->Good());
    EXPECT_FALSE(dir.Exists("missing"));
}

}  // namespace
}  // namespace KL_VRXEmuTest
