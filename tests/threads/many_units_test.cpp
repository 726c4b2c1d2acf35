// Several units driven at once, one thread each, as a lab host drives them,
// while another thread counts units and creates and deletes controllers of
// the simulated unit. Every result is checked against the emulated unit
// itself, so an operation that reaches the wrong unit, or a creation that
// opens one of the other family, shows up as a wrong value and not only as a
// crash. Built with the thread sanitizer, the run also proves the library
// (and the emulator under it) free of data races.
//
// Time stays still: no unit takes time to reach a state, so no thread sleeps
// and no other thread's sleep can make a wait run out.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "KL_VRX/KL_VRX.h"
#include "KL_VRX/emulator.h"
#include "support/temp_dir.h"

namespace {

using KL_VRXEmu::TEmulatedBus;
using KL_VRXEmu::TEmulatedUnit;
using KL_VRXSDK::KL_IVRX;
using KL_VRXSDK::KL_IVRX2;

constexpr int OperationsPerUnit = 1000;
// The host's thread counts, creates and deletes at least this often, and on
// until the units' threads are done.
constexpr int HostRounds = 150;
// A unit's thread deletes its controller and creates a new one this often:
// binding, discovery and opening then race the other threads' too.
constexpr int RecreateEvery = 20;

// One unit's thread: its unit, its host index, and what went wrong.
struct TUnitDriver {
    TEmulatedUnit& unit;
    unsigned family;
    int32_t hostIndex;
    std::vector<std::string> faults;

    void Fault(const std::string& what) { faults.push_back(what); }

    KL_IVRX* Create() {
        KL_IVRX* vrx = CreateVRX(hostIndex);
        if (vrx == nullptr) {
            Fault("creation failed");
            return nullptr;
        }
        uint32_t got = 0;
        GetVRX2(vrx)->GetModelFamily(&got);
        // The full start-up reached this unit, in this controller's family.
        if (got != family || unit.Register(18) != 15 || unit.Register(19) != 1)
            Fault("creation opened another unit or family");
        return vrx;
    }

    void Run(unsigned seed) {
        std::mt19937 random(seed);
        KL_IVRX* vrx = Create();
        for (int i = 1; vrx != nullptr && i <= OperationsPerUnit && faults.empty(); ++i) {
            if (i % RecreateEvery == 0) {
                if (DeleteVRX(vrx) != 0)
                    Fault("deletion failed");
                vrx = Create();
                continue;
            }
            Step(*GetVRX2(vrx), random() % 4, random());
        }
        if (vrx != nullptr && DeleteVRX(vrx) != 0)
            Fault("deletion failed");
    }

    // One random operation, its result checked against the unit.
    void Step(KL_IVRX2& vrx, unsigned which, uint32_t value) {
        uint32_t status = 0;
        uint32_t got = 0;
        std::string name;
        bool right = true;
        switch (which) {
            case 0: {  // 21: device value = API value + 1; family 1 sets 0..2, family 2 0..3
                const uint32_t api = value % (family == 1 ? 3 : 4);
                name = "SetPosition21";
                status = vrx.SetPosition21(api);
                right = unit.Register(21) == api + 1;
                break;
            }
            case 1:
                name = "GetPosition21";
                status = vrx.GetPosition21(&got);
                right = got + 1 == unit.Register(21);
                break;
            case 2:  // 224: sent, not awaited; 0 is 15, 1 is 127
                name = "SetState224";
                status = vrx.SetState224(value % 2);
                right = unit.LastValue(224) == (value % 2 == 0 ? 15 : 127);
                break;
            default:  // a block read: the number is the unit's own
                name = "GetDeviceNumber";
                status = vrx.GetDeviceNumber(&got);
                right = got == 10000000u * family + static_cast<uint32_t>(hostIndex);
                break;
        }
        if (status != 0)
            Fault(name + " failed with " + std::to_string(status) + ": " + vrx.GetLastErrorText());
        else if (!right)
            Fault(name + " does not match the unit");
    }
};

// Packed decimal, the two most significant digits last.
std::vector<uint8_t> DeviceNumber(uint32_t number) {
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 4; ++i, number /= 100)
        bytes.push_back(static_cast<uint8_t>((number % 100 / 10) << 4 | number % 10));
    return bytes;
}

TEST(ManyThreads, UnitsDrivenInParallelWhileControllersOfTheSimulatedUnitComeAndGo) {
    TEmulatedBus bus;
    // Both families, interleaved: creations of the two families contend for
    // the current family, and host indices do not follow attach order.
    std::vector<TUnitDriver> drivers;
    int32_t nextIndex[3] = {0, 1, 3};
    for (unsigned family : {1u, 2u, 1u, 2u}) {
        TEmulatedUnit& unit = bus.AttachUnit(family);
        const int32_t hostIndex = nextIndex[family]++;
        unit.SetBlock(25, DeviceNumber(10000000u * family + static_cast<uint32_t>(hostIndex)));
        drivers.push_back(TUnitDriver{unit, family, hostIndex, {}});
    }

    std::atomic<int> running{static_cast<int>(drivers.size())};
    // A start gate without C++20 waits: MinGW's can miss a wake-up.
    std::mutex startLock;
    std::condition_variable started;
    size_t waiting = drivers.size() + 1;
    auto start = [&] {
        std::unique_lock<std::mutex> lock(startLock);
        if (--waiting == 0)
            started.notify_all();
        started.wait(lock, [&] { return waiting == 0; });
    };
    std::vector<std::thread> threads;
    for (size_t t = 0; t < drivers.size(); ++t)
        threads.emplace_back([&, t] {
            start();
            drivers[t].Run(static_cast<unsigned>(t + 1));
            running.fetch_sub(1);
        });

    // The host's own thread: counts, creates and deletes while the units work.
    start();
    std::vector<std::string> faults;
    for (int round = 0; (round < HostRounds || running.load() > 0) && faults.empty(); ++round) {
        uint32_t count = 0;
        if (GetVRXDeviceCount(&count) != 0 || count != 5)
            faults.push_back("count " + std::to_string(count));
        KL_IVRX* vrx = CreateVRX(0);
        if (vrx == nullptr) {
            faults.push_back("simulated unit not created");
            break;
        }
        uint32_t position = 0;
        // Family 2's simulated unit: 3 is settable there and reads back.
        if (vrx->SetPosition21(3) != 0 || vrx->GetPosition21(&position) != 0 || position != 3)
            faults.push_back("simulated unit answered wrongly");
        if (DeleteVRX(vrx) != 0)
            faults.push_back("simulated unit not deleted");
    }
    for (std::thread& thread : threads)
        thread.join();

    EXPECT_EQ(faults, std::vector<std::string>{});
    for (const TUnitDriver& driver : drivers)
        EXPECT_EQ(driver.faults, std::vector<std::string>{}) << "host index " << driver.hostIndex;
}

// A host's interface thread switches a unit's traffic log on and off while
// the unit's own thread drives it: the log is never destroyed under a
// transfer, and no transfer fails because of the switching.
TEST(ManyThreads, TheTrafficLogSwitchedFromAnotherThreadWhileTheUnitWorks) {
    TEmulatedBus bus;
    KL_VRXTest::TTempDir drive;
    bus.SetDriveRoot(drive.Path());
    TEmulatedUnit& unit = bus.AttachUnit(1);
    KL_IVRX* vrx = CreateVRX(1);
    ASSERT_NE(vrx, nullptr) << GetLastVRXDLLError();
    KL_IVRX2* vrx2 = GetVRX2(vrx);

    std::atomic<bool> done{false};
    std::atomic<unsigned> switches{0};
    std::thread switcher([&] {
        for (unsigned i = 0; !done.load(); switches.store(++i)) {
            vrx2->SetLogging(i % 2 == 0);
            vrx2->SetLogDumpFlag(static_cast<uint8_t>(i / 2 % 2));
            bool on = false;
            vrx2->GetLogging(&on);
        }
    });
    // Both sides keep going until each has done its share, however the two
    // threads are scheduled.
    std::vector<std::string> faults;
    for (uint32_t i = 0; (i < 400 || switches.load() < 200) && faults.empty(); ++i) {
        if (vrx->SetPosition22(i % 2) != 0 || unit.Register(22) != 2 - i % 2)
            faults.push_back(std::string("set ") + vrx->GetLastErrorText());
        uint32_t position = 9;
        if (vrx->GetPosition22(&position) != 0 || position != i % 2)
            faults.push_back(std::string("get ") + vrx->GetLastErrorText());
    }
    done.store(true);
    switcher.join();
    EXPECT_EQ(faults, std::vector<std::string>{});
    EXPECT_EQ(DeleteVRX(vrx), 0u);
    EXPECT_TRUE(drive.Exists("VRXHIDLog.log"));
}

}  // namespace
