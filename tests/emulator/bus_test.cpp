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

// Two units and a mouse; member 1 is the second unit.
struct TEnumerationCase {
    const char* name;
    uint32_t classDevsError = 0;
    unsigned lookupsBeforeError = 0;  // lookups that still work, made first
    uint32_t listEndError = 0;
    uint32_t member1DetailError = 0;
    std::vector<size_t> paths = {0, 1, 2};
    uint32_t end = ErrorNoMoreItems;  // the error that ends the walk
};

class Enumeration : public EmulatorTest, public ::testing::WithParamInterface<TEnumerationCase> {};

TEST_P(Enumeration, FaultSwitchesBreakTheirStep) {
    const TEnumerationCase& c = GetParam();
    bus.AttachUnit(1);
    bus.AttachUnit(2, 1);
    bus.AttachForeign(0x046D, 0xC077);
    const std::vector<std::string> all = bus.InterfacePaths();
    bus.SetClassDevsError(c.classDevsError, c.lookupsBeforeError);
    bus.SetEnumerationError(c.listEndError);
    bus.SetDetailError(1, c.member1DetailError);
    for (unsigned i = 0; i < c.lookupsBeforeError; ++i)
        EXPECT_EQ(KL_VRXTest::WalkHidInterfaces(os), all);
    std::vector<std::string> expected;
    for (size_t i : c.paths)
        expected.push_back(all[i]);
    uint32_t end = 0;
    EXPECT_EQ(KL_VRXTest::WalkHidInterfaces(os, &end), expected);
    EXPECT_EQ(end, c.end);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(EmulatedBus, Enumeration, ::testing::Values(
    TEnumerationCase{.name = "NoFault"},
    TEnumerationCase{.name = "NoDeviceSet", .classDevsError = 13, .paths = {}, .end = 13},
    TEnumerationCase{.name = "NoDeviceSetAfterTwoLookups", .classDevsError = 13,
                     .lookupsBeforeError = 2, .paths = {}, .end = 13},
    TEnumerationCase{.name = "ListEndsInAnError", .listEndError = ErrorDeviceNotConnected,
                     .end = ErrorDeviceNotConnected},
    TEnumerationCase{.name = "DetailOfMember1Fails", .member1DetailError = 31, .paths = {0, 2}}),
    KL_VRXTest::RowName());
// clang-format on

struct TUnitFaultCase {
    const char* name;
    void (*set)(TEmulatedUnit&);
    uint32_t writeError = 0;
    uint32_t written = 65;
    size_t received = 1;
    std::vector<int> replies;  // byte 1 of each read; -1: 0 bytes; >255: that error
    bool kept = false;         // the reply still waits once reads are cleared
};

class UnitFaults : public EmulatorTest, public ::testing::WithParamInterface<TUnitFaultCase> {};

TEST_P(UnitFaults, ShapeWritesAndReads) {
    const TUnitFaultCase& c = GetParam();
    TEmulatedUnit& unit = bus.AttachUnit(1);
    c.set(unit);
    HANDLE h = Open(unit.Path());
    TBytes report(65, 0);
    report[1] = 18;
    uint32_t written = 99;
    const BOOL ok = os.WriteFile(h, report.data(), 65, &written, nullptr);
    EXPECT_EQ(ok ? 0u : os.GetLastError(), c.writeError);
    EXPECT_EQ(written, c.written);
    EXPECT_EQ(unit.Received().size(), c.received);
    for (int expected : c.replies) {
        const TBytes r = Receive(h);
        EXPECT_EQ(error > 0 ? static_cast<int>(error) : r.empty() ? -1 : r.at(1), expected);
    }
    unit.FailReads(0);
    unit.SetSilent(false);
    EXPECT_EQ(!Receive(h).empty(), c.kept);
}

using U = TEmulatedUnit&;

// clang-format off
INSTANTIATE_TEST_SUITE_P(EmulatedBus, UnitFaults, ::testing::Values(
    TUnitFaultCase{.name = "Normal", .set = [](U) {}, .replies = {18, -1}},
    TUnitFaultCase{.name = "Silent", .set = [](U u) { u.SetSilent(true); }, .replies = {-1, -1},
                   .kept = true},
    TUnitFaultCase{.name = "EmptyReads", .set = [](U u) { u.QueueEmptyReads(2); },
                   .replies = {-1, -1, 18}},
    TUnitFaultCase{.name = "Rejected", .set = [](U u) { u.SetReplyCode(0xFF); }, .replies = {0xFF}},
    TUnitFaultCase{.name = "NotEchoed", .set = [](U u) { u.SetReplyCode(19); }, .replies = {19}},
    TUnitFaultCase{.name = "ReadsFail", .set = [](U u) { u.FailReads(1117); }, .replies = {1117},
                   .kept = true},
    TUnitFaultCase{.name = "WritesFail", .set = [](U u) { u.FailWrites(31, 3); }, .writeError = 31,
                   .written = 3, .received = 0, .replies = {-1}},
    TUnitFaultCase{.name = "ZeroBytesWritten", .set = [](U u) { u.SetWritesZeroBytes(true); },
                   .written = 0, .received = 0, .replies = {-1}}),
    KL_VRXTest::RowName());
// clang-format on

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
