// The emulated system calls: hid.dll binding, SetupAPI, handles, the fault
// switches, call counts, the clock, the C:\ drive and the bus's lifetime.
#include <functional>
#include <stdexcept>

#include "emulator_fixture.h"
#include "support/temp_dir.h"

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
TEST_F(EmulatorTest, EnumerationAndItsFaultSwitches) {
    const std::string a = bus.AttachUnit(1).Path(), b = bus.AttachUnit(2, 1).Path();
    bus.AttachForeign(0x046D, 0xC077);
    const std::vector<std::string> all = bus.InterfacePaths();
    EXPECT_EQ(all, (std::vector<std::string>{a, b, all.at(2)}));
    EXPECT_EQ(b.find("\\\\?\\hid#vid_3c5a&pid_0e57#7&"), 0u);
    EXPECT_NE(all[2].find("#vid_046d&pid_c077#"), std::string::npos);
    const std::string suffix = "&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
    EXPECT_EQ(a.substr(a.size() - suffix.size()), suffix);
    const struct {
        uint32_t classDevs;
        unsigned after;  // lookups that still work, made first
        uint32_t enumeration, detail;
        std::vector<std::string> paths;
        uint32_t end;  // the error that ends the walk
    } rows[] = {
        {0, 0, 0, 0, all, ErrorNoMoreItems},
        {13, 0, 0, 0, {}, 13},
        {13, 2, 0, 0, {}, 13},
        {0, 0, ErrorDeviceNotConnected, 0, all, ErrorDeviceNotConnected},
        {0, 0, 0, 31, {all[0], all[2]}, ErrorNoMoreItems},  // detail of member 1
    };
    for (const auto& row : rows) {
        bus.SetClassDevsError(row.classDevs, row.after);
        bus.SetEnumerationError(row.enumeration);
        bus.SetDetailError(1, row.detail);
        for (unsigned i = 0; i < row.after; ++i)
            EXPECT_EQ(KL_VRXTest::WalkHidInterfaces(os), all);
        uint32_t end = 0;
        EXPECT_EQ(KL_VRXTest::WalkHidInterfaces(os, &end), row.paths);
        EXPECT_EQ(end, row.end);
    }
}

TEST_F(EmulatorTest, UnitFaultSwitchesShapeWritesAndReads) {
    const struct {
        const char* name;
        std::function<void(TEmulatedUnit&)> set;
        uint32_t writeError, written;
        size_t received;
        std::vector<int> replies;  // byte 1 of each read; -1: 0 bytes; >255: that error
        bool kept;                 // the reply still waits once reads are cleared
    } rows[] = {
        {"normal", [](TEmulatedUnit&) {}, 0, 65, 1, {18, -1}, false},
        {"silent", [](TEmulatedUnit& u) { u.SetSilent(true); }, 0, 65, 1, {-1, -1}, true},
        {"empty", [](TEmulatedUnit& u) { u.QueueEmptyReads(2); }, 0, 65, 1, {-1, -1, 18}, false},
        {"rejected", [](TEmulatedUnit& u) { u.SetReplyCode(0xFF); }, 0, 65, 1, {0xFF}, false},
        {"not echoed", [](TEmulatedUnit& u) { u.SetReplyCode(19); }, 0, 65, 1, {19}, false},
        {"reads fail", [](TEmulatedUnit& u) { u.FailReads(1117); }, 0, 65, 1, {1117}, true},
        {"writes fail", [](TEmulatedUnit& u) { u.FailWrites(31, 3); }, 31, 3, 0, {-1}, false},
        {"zero bytes", [](TEmulatedUnit& u) { u.SetWritesZeroBytes(true); }, 0, 0, 0, {-1}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TEmulatedUnit& unit = bus.AttachUnit(1);
        row.set(unit);
        HANDLE h = Open(unit.Path());
        TBytes report(65, 0);
        report[1] = 18;
        uint32_t written = 99;
        const BOOL ok = os.WriteFile(h, report.data(), 65, &written, nullptr);
        EXPECT_EQ(ok ? 0u : os.GetLastError(), row.writeError);
        EXPECT_EQ(written, row.written);
        EXPECT_EQ(unit.Received().size(), row.received);
        for (int expected : row.replies) {
            const TBytes r = Receive(h);
            EXPECT_EQ(error > 0 ? static_cast<int>(error) : r.empty() ? -1 : r.at(1), expected);
        }
        unit.FailReads(0);
        unit.SetSilent(false);
        EXPECT_EQ(!Receive(h).empty(), row.kept);
    }
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

TEST_F(EmulatorTest, VirtualClockMovesOnlyBySleepAndLatency) {
    TEmulatedUnit& unit = bus.AttachUnit(1);
    const uint32_t start = os.GetTickCount();
    os.Sleep(25000);
    EXPECT_EQ(os.GetTickCount() - start, 25000u);
    bus.SetReportLatency(1);
    HANDLE h = Open(unit.Path());
    Send(h, 18);
    Receive(h);
    Receive(h);                        // empty, still a completed read
    EXPECT_NE(Send(h, 18, 0, 3), 0u);  // a refused write takes no time
    EXPECT_EQ(bus.Tick() - start, 25003u);
    bus.SetTick(0xFFFFFFFFu);
    os.Sleep(2);
    EXPECT_EQ(os.GetTickCount(), 1u);
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
