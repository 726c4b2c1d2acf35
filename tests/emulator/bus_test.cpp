// The emulated system calls: hid.dll binding, SetupAPI, handles, the fault
// switches, call counts, the clock, the C:\ drive and the bus's lifetime.
#include <cctype>
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

TEST_F(EmulatorTest, LoadsHidDllOnlyAndOnlyWhenAllowed) {
    EXPECT_NE(os.LoadLibraryA("HID.DLL"), nullptr);
    EXPECT_EQ(os.LoadLibraryA("user32.dll"), nullptr);
    EXPECT_EQ(os.GetLastError(), ErrorModNotFound);
    bus.SetHidLibraryLoads(false);
    EXPECT_EQ(os.LoadLibraryA("hid.dll"), nullptr);
    EXPECT_EQ(os.GetLastError(), ErrorModNotFound);
}

TEST_F(EmulatorTest, EntryPointsCanGoMissing) {
    HMODULE hid = os.LoadLibraryA("hid.dll");
    const char* names[] = {
        "HidD_GetHidGuid",      "HidD_GetPreparsedData",      "HidD_FreePreparsedData",
        "HidP_GetCaps",         "HidD_GetSerialNumberString", "HidD_GetManufacturerString",
        "HidD_GetProductString"};
    for (const char* name : names)
        EXPECT_NE(os.GetProcAddress(hid, name), nullptr) << name;
    bus.SetEntryPointPresent("HidP_GetCaps", false);
    EXPECT_EQ(os.GetProcAddress(hid, "HidP_GetCaps"), nullptr);
    EXPECT_EQ(os.GetLastError(), ErrorProcNotFound);
    EXPECT_EQ(os.GetProcAddress(hid, "HidD_Unknown"), nullptr);
    EXPECT_EQ(os.GetLastError(), ErrorProcNotFound);
    EXPECT_TRUE(os.FreeLibrary(hid));
    EXPECT_EQ(os.GetProcAddress(hid, "HidD_GetHidGuid"), nullptr);  // unloaded
    EXPECT_EQ(os.GetLastError(), ErrorInvalidHandle);
    EXPECT_FALSE(os.FreeLibrary(hid));

    GUID guid{};
    Entry<PFN_HidD_GetHidGuid>("HidD_GetHidGuid")(&guid);
    EXPECT_TRUE(guid == HidInterfaceClassGuid);
}

TEST_F(EmulatorTest, EnumeratesInAttachOrderWithWindowsShapedPaths) {
    TEmulatedUnit& a = bus.AttachUnit(1);
    TEmulatedUnit& b = bus.AttachUnit(1, 1);
    bus.AttachForeign(0x046D, 0xC077);
    const std::vector<std::string> paths = Enumerate();
    ASSERT_EQ(paths, bus.InterfacePaths());
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_EQ(paths[0], a.Path());
    EXPECT_EQ(paths[1], b.Path());
    EXPECT_EQ(paths[0].rfind("\\\\?\\hid#vid_3c5a&pid_0e32#7&", 0), 0u);
    EXPECT_NE(paths[1].find("pid_0e31"), std::string::npos);
    EXPECT_NE(paths[2].find("vid_046d&pid_c077"), std::string::npos);
    const std::string suffix = "&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
    for (const std::string& p : paths)
        EXPECT_EQ(p.substr(p.size() - suffix.size()), suffix);
    EXPECT_NE(paths[0], paths[1]);
}

TEST_F(EmulatorTest, SetupApiChecksItsRecordsAsWindowsDoes) {
    bus.AttachUnit(1);
    HDEVINFO set = os.SetupDiGetClassDevsW(&HidInterfaceClassGuid, nullptr, nullptr, 0x12);
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = 28;
    EXPECT_FALSE(os.SetupDiEnumDeviceInterfaces(set, nullptr, &HidInterfaceClassGuid, 0, &data));
    EXPECT_EQ(os.GetLastError(), ErrorInvalidUserBuffer);
    data.cbSize = 32;
    ASSERT_TRUE(os.SetupDiEnumDeviceInterfaces(set, nullptr, &HidInterfaceClassGuid, 0, &data));

    uint32_t required = 0;
    EXPECT_FALSE(os.SetupDiGetDeviceInterfaceDetailA(set, &data, nullptr, 0, &required, nullptr));
    EXPECT_EQ(os.GetLastError(), ErrorInsufficientBuffer);
    EXPECT_EQ(required, 8 + bus.InterfacePaths()[0].size() + 1);
    std::vector<uint64_t> storage(required / 8 + 1);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(storage.data());
    struct TRow {
        SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail;
        uint32_t cbSize;
        uint32_t size;
        uint32_t error;
    };
    const TRow rows[] = {
        {nullptr, 8, 10, ErrorInvalidUserBuffer},
        {detail, 5, required, ErrorInvalidUserBuffer},
        {detail, 8, required - 1, ErrorInsufficientBuffer},
    };
    for (const TRow& row : rows) {
        detail->cbSize = row.cbSize;
        EXPECT_FALSE(os.SetupDiGetDeviceInterfaceDetailA(set, &data, row.detail, row.size, nullptr,
                                                         nullptr));
        EXPECT_EQ(os.GetLastError(), row.error);
    }
    EXPECT_FALSE(os.SetupDiEnumDeviceInterfaces(set, nullptr, &HidInterfaceClassGuid, 1, &data));
    EXPECT_EQ(os.GetLastError(), ErrorNoMoreItems);
    EXPECT_TRUE(os.SetupDiDestroyDeviceInfoList(set));
    EXPECT_FALSE(os.SetupDiDestroyDeviceInfoList(set));
    EXPECT_EQ(os.GetLastError(), ErrorInvalidHandle);
    EXPECT_FALSE(os.SetupDiEnumDeviceInterfaces(set, nullptr, &HidInterfaceClassGuid, 0, &data));
    EXPECT_EQ(os.GetLastError(), ErrorInvalidHandle);
}

TEST_F(EmulatorTest, EnumerationFaultSwitches) {
    bus.AttachUnit(1);
    bus.AttachUnit(2);
    bus.AttachUnit(1, 1);
    const std::vector<std::string> all = bus.InterfacePaths();

    bus.SetClassDevsError(13, 2);
    EXPECT_EQ(Enumerate().size(), 3u);
    EXPECT_EQ(Enumerate().size(), 3u);
    EXPECT_EQ(os.SetupDiGetClassDevsW(&HidInterfaceClassGuid, nullptr, nullptr, 0x12),
              InvalidHandleValue);
    EXPECT_EQ(os.GetLastError(), 13u);
    bus.SetClassDevsError(0);

    bus.SetDetailError(1, 31);
    EXPECT_EQ(Enumerate(), (std::vector<std::string>{all[0], all[2]}));
    bus.SetDetailError(1, 0);

    bus.SetEnumerationError(1167);
    HDEVINFO set = os.SetupDiGetClassDevsW(&HidInterfaceClassGuid, nullptr, nullptr, 0x12);
    SP_DEVICE_INTERFACE_DATA data{};
    data.cbSize = 32;
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_TRUE(os.SetupDiEnumDeviceInterfaces(set, nullptr, &HidInterfaceClassGuid, i, &data));
    EXPECT_FALSE(os.SetupDiEnumDeviceInterfaces(set, nullptr, &HidInterfaceClassGuid, 3, &data));
    EXPECT_EQ(os.GetLastError(), ErrorDeviceNotConnected);
    os.SetupDiDestroyDeviceInfoList(set);
}

TEST_F(EmulatorTest, UnitFaultSwitchesShapeWritesAndReads) {
    struct TRow {
        const char* name;
        std::function<void(TEmulatedUnit&)> set;
        uint32_t writeError;
        uint32_t written;
        size_t received;
        uint32_t readError;
        std::vector<int> replies;  // byte 1 of each read; -1: 0 bytes
    };
    const TRow rows[] = {
        {"normal", [](TEmulatedUnit&) {}, 0, 65, 1, 0, {18, -1}},
        {"silent", [](TEmulatedUnit& u) { u.SetSilent(true); }, 0, 65, 1, 0, {-1, -1}},
        {"empty reads", [](TEmulatedUnit& u) { u.QueueEmptyReads(2); }, 0, 65, 1, 0, {-1, -1, 18}},
        {"rejected", [](TEmulatedUnit& u) { u.SetReplyCode(0xFF); }, 0, 65, 1, 0, {0xFF}},
        {"not echoed", [](TEmulatedUnit& u) { u.SetReplyCode(19); }, 0, 65, 1, 0, {19}},
        {"reads fail", [](TEmulatedUnit& u) { u.FailReads(31); }, 0, 65, 1, 31, {}},
        {"writes fail", [](TEmulatedUnit& u) { u.FailWrites(31, 3); }, 31, 3, 0, 0, {-1}},
        {"zero bytes", [](TEmulatedUnit& u) { u.SetWritesZeroBytes(true); }, 0, 0, 0, 0, {-1}},
    };
    for (const TRow& row : rows) {
        SCOPED_TRACE(row.name);
        TEmulatedUnit& unit = bus.AttachUnit(1);
        row.set(unit);
        HANDLE h = Open(unit.Path());
        std::vector<uint8_t> report(65, 0);
        report[1] = 18;
        uint32_t written = 99;
        const BOOL ok = os.WriteFile(h, report.data(), 65, &written, nullptr);
        EXPECT_EQ(ok ? 0u : os.GetLastError(), row.writeError);
        EXPECT_EQ(written, row.written);
        EXPECT_EQ(unit.Received().size(), row.received);
        if (row.readError != 0) {
            const TRead failed = Receive(h);
            EXPECT_EQ(failed.error, row.readError);
            EXPECT_TRUE(failed.bytes.empty());
            unit.FailReads(0);
            EXPECT_EQ(Receive(h).bytes.at(1), 18);  // the reply waited
        }
        for (int expected : row.replies) {
            const TRead r = Receive(h);
            EXPECT_TRUE(r.ok);
            EXPECT_EQ(r.bytes.empty() ? -1 : r.bytes.at(1), expected);
        }
    }
}

TEST_F(EmulatorTest, HandlesFailWithoutCrashing) {
    TEmulatedUnit& unit = bus.AttachUnit(1);
    HANDLE h = Open(unit.Path());
    uint8_t buffer[65] = {};
    uint32_t count = 0;
    EXPECT_FALSE(os.WriteFile(h, nullptr, 65, &count, nullptr));
    EXPECT_EQ(os.GetLastError(), ErrorInvalidParameter);
    EXPECT_FALSE(os.ReadFile(h, buffer, 65, nullptr, nullptr));
    EXPECT_EQ(os.GetLastError(), ErrorInvalidParameter);
    EXPECT_TRUE(os.CloseHandle(h));
    EXPECT_EQ(Send(h, 18), ErrorInvalidHandle);
    EXPECT_EQ(Receive(h).error, ErrorInvalidHandle);
    EXPECT_FALSE(os.CloseHandle(h));
    EXPECT_EQ(os.GetLastError(), ErrorInvalidHandle);
    EXPECT_EQ(Send(InvalidHandleValue, 18), ErrorInvalidHandle);

    EXPECT_EQ(os.CreateFileA(nullptr, 0, 0, nullptr, OpenExisting, 0, nullptr), InvalidHandleValue);
    EXPECT_EQ(os.GetLastError(), ErrorPathNotFound);
    EXPECT_EQ(Open("\\\\?\\hid#vid_3c5a&pid_0e32#nothing"), InvalidHandleValue);
    EXPECT_EQ(os.GetLastError(), ErrorFileNotFound);
    std::string upper = unit.Path();
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_NE(Open(upper), InvalidHandleValue);
}

TEST_F(EmulatorTest, ForeignInterfaceIsListedButNotOpenable) {
    bus.AttachForeign(0x046D, 0xC077);
    const std::string path = bus.InterfacePaths().at(0);
    EXPECT_EQ(Open(path), InvalidHandleValue);
    EXPECT_EQ(os.GetLastError(), ErrorAccessDenied);
    HANDLE attributesOnly = Open(path, 0);
    ASSERT_NE(attributesOnly, InvalidHandleValue);
    EXPECT_EQ(Send(attributesOnly, 18), ErrorAccessDenied);
}

TEST_F(EmulatorTest, DetachedUnitIsGoneFromEnumerationAndHandles) {
    TEmulatedUnit& unit = bus.AttachUnit(1);
    TEmulatedUnit& other = bus.AttachUnit(1);
    const std::string path = unit.Path();
    HANDLE h = Open(path);
    bus.Detach(unit);
    EXPECT_EQ(bus.InterfacePaths(), std::vector<std::string>{other.Path()});
    EXPECT_EQ(Send(h, 18), ErrorDeviceNotConnected);
    EXPECT_EQ(Receive(h).error, ErrorDeviceNotConnected);
    EXPECT_EQ(Open(path), InvalidHandleValue);
    EXPECT_EQ(os.GetLastError(), ErrorFileNotFound);
    EXPECT_TRUE(os.CloseHandle(h));
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
    os.GetProcAddress(hid, "HidP_GetCaps");
    os.GetProcAddress(hid, "Nothing");
    os.FreeLibrary(hid);
    Enumerate();
    HANDLE h = Open(unit.Path());
    Open("nothing");
    Send(h, 18);
    Send(h, 18, 0, 1);
    Receive(h);
    os.Sleep(0);
    os.CloseHandle(h);
    os.CloseHandle(h);
    const KL_VRXEmu::TCallCounts c = bus.Calls();
    EXPECT_EQ(c.loadLibrary, 2u);
    EXPECT_EQ(c.getProcAddress, 2u);
    EXPECT_EQ(c.freeLibrary, 1u);
    EXPECT_EQ(c.classDevs, 1u);
    EXPECT_EQ(c.createFile, 2u);
    EXPECT_EQ(c.writeFile, 2u);
    EXPECT_EQ(c.readFile, 1u);
    EXPECT_EQ(c.sleep, 1u);
    EXPECT_EQ(c.closeHandle, 2u);
}

TEST_F(EmulatorTest, DriveRootTakesTheLogFile) {
    KL_VRXTest::TTempDir dir;
    for (const std::string& root : {dir.Path(), dir.Path() + "/"}) {
        bus.SetDriveRoot(root);
        os.OpenAppendTextFile("C:\\VRXHIDLog.log")->Write("a\nb\n");
    }
    EXPECT_EQ(dir.ReadFile("VRXHIDLog.log"),
              "a\r\nb\r\n"
              "a\r\nb\r\n");
    EXPECT_FALSE(os.OpenAppendTextFile("C:\\missing\\VRXHIDLog.log")->Good());
    EXPECT_FALSE(dir.Exists("missing"));
    bus.SetDriveRoot(dir.Path() + "/missing");
    EXPECT_FALSE(os.OpenAppendTextFile("C:\\VRXHIDLog.log")->Good());
    EXPECT_FALSE(dir.Exists("missing"));
}

}  // namespace
}  // namespace KL_VRXEmuTest
