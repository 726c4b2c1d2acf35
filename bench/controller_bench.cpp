// What one host call costs in the library itself, on emulated units that
// answer at once on the virtual clock: a register read, an awaited set, the
// same read with the traffic log written to its file, the unit count, and
// the simulated unit. Each reports, per operation, the library's heap
// allocations apart from the emulator's own, the OS-layer calls and the
// report writes and reads among them.
#include <benchmark/benchmark.h>

#include <memory>

#include "KL_VRX/KL_VRX.h"
#include "KL_VRX/emulator.h"
#include "controller/hardware_controller.h"
#include "counting_os.h"
#include "support/allocation_counter.h"
#include "support/temp_dir.h"

namespace {

using KL_VRXBench::TCountingOs;

std::unique_ptr<TVRXHardwareController> Opened(uint32_t family, int32_t index) {
    auto controller = std::make_unique<TVRXHardwareController>();
    controller->SetModelFamily(family);
    controller->Open(index, 0);
    return controller;
}

// Counts from the first iteration to the last, per iteration.
class TPerOperation {
  public:
    TPerOperation(benchmark::State& state, const TCountingOs& os)
        : state(state),
          os(os),
          allocations(KL_VRXTest::AllocationCount()),
          emulatorAllocations(os.Allocations()),
          calls(os.Calls()),
          reports(os.ReportCalls()) {}
    ~TPerOperation() {
        const uint64_t emulator = os.Allocations() - emulatorAllocations;
        Set("allocs/op", KL_VRXTest::AllocationCount() - allocations - emulator);
        Set("emulator allocs/op", emulator);
        Set("os calls/op", os.Calls() - calls);
        Set("reports/op", os.ReportCalls() - reports);
    }

  private:
    void Set(const char* name, uint64_t count) {
        state.counters[name] =
            benchmark::Counter(static_cast<double>(count), benchmark::Counter::kAvgIterations);
    }

    benchmark::State& state;
    const TCountingOs& os;
    const uint64_t allocations;
    const uint64_t emulatorAllocations;
    const uint64_t calls;
    const uint64_t reports;
};

// One write, one read.
void GetPosition21(benchmark::State& state) {
    KL_VRXEmu::TEmulatedBus bus;
    auto& unit = bus.AttachUnit(1);
    auto controller = Opened(1, 1);
    TCountingOs os;
    uint32_t position = 0;
    TPerOperation count(state, os);
    for (auto _ : state) {
        benchmark::DoNotOptimize(controller->GetPosition21(&position));
        unit.ClearReceived();
    }
}
BENCHMARK(GetPosition21);

// Three writes and three reads: the command, then two polls that match.
void SetPosition21(benchmark::State& state) {
    KL_VRXEmu::TEmulatedBus bus;
    auto& unit = bus.AttachUnit(2);
    auto controller = Opened(2, 1);
    TCountingOs os;
    uint32_t position = 0;
    TPerOperation count(state, os);
    for (auto _ : state) {
        benchmark::DoNotOptimize(controller->SetPosition21(position));
        position = (position + 1) % 4;
        unit.ClearReceived();
    }
}
BENCHMARK(SetPosition21);

// Four records (attempt and outcome of the write and of the read), each
// written to the log file as it is made.
void GetPosition21LogToFile(benchmark::State& state) {
    KL_VRXTest::TTempDir drive;
    KL_VRXEmu::TEmulatedBus bus;
    bus.SetDriveRoot(drive.Path());
    auto& unit = bus.AttachUnit(1);
    auto controller = Opened(1, 1);
    controller->SetLogging(true);
    controller->SetLogDumpFlag(0);
    TCountingOs os;
    uint32_t position = 0;
    TPerOperation count(state, os);
    for (auto _ : state) {
        benchmark::DoNotOptimize(controller->GetPosition21(&position));
        unit.ClearReceived();
    }
}
BENCHMARK(GetPosition21LogToFile);

// Both families in both launch modes: four enumerations, three units found.
void GetVRXDeviceCount3Units(benchmark::State& state) {
    KL_VRXEmu::TEmulatedBus bus;
    bus.AttachUnit(1);
    bus.AttachUnit(1);
    bus.AttachUnit(2);
    TCountingOs os;
    uint32_t units = 0;
    TPerOperation count(state, os);
    for (auto _ : state)
        benchmark::DoNotOptimize(GetVRXDeviceCount(&units));
}
BENCHMARK(GetVRXDeviceCount3Units);

void SimulatedUnitRead(benchmark::State& state) {
    KL_VRXEmu::TEmulatedBus bus;
    auto controller = Opened(2, 0);
    TCountingOs os;
    uint32_t position = 0;
    TPerOperation count(state, os);
    for (auto _ : state)
        benchmark::DoNotOptimize(controller->GetPosition21(&position));
}
BENCHMARK(SimulatedUnitRead);

}  // namespace
