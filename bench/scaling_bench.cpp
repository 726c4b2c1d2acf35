// How the library scales with units on threads: N emulated units, each driven
// by its own thread through register reads, on a real clock with 1 ms per
// report (a full-speed USB frame each way, so about 2 ms per transaction).
// The reported rate (items_per_second) is the aggregate of all N units.
//
// A lock held across a unit's report I/O or a poll's sleep (in the library
// or in the emulator) would serialise the units and keep the rate at the
// one-unit figure; with none, N units do about N times the work of one, as
// long as the threads find a processor between their sleeps. Each
// transaction costs the processor some tens of microseconds against 2 ms of
// waiting, so even 8 units need only a fraction of one core.
#include <benchmark/benchmark.h>

#include <memory>
#include <thread>
#include <vector>

#include "KL_VRX/emulator.h"
#include "controller/hardware_controller.h"

namespace {

// Register reads per unit in each timed round.
constexpr int ReadsPerRound = 100;

void UnitsOnTheirOwnThreads(benchmark::State& state) {
    const auto units = static_cast<int>(state.range(0));
    KL_VRXEmu::TEmulatedBus bus(KL_VRXEmu::TClock::Real);
    bus.SetReportLatency(1);
    for (int i = 0; i < units; ++i)
        bus.AttachUnit(1);
    std::vector<std::unique_ptr<TVRXHardwareController>> controllers;
    for (int i = 0; i < units; ++i) {
        controllers.push_back(std::make_unique<TVRXHardwareController>());
        controllers.back()->SetModelFamily(1);
        if (controllers.back()->Open(i + 1, 0) != 0) {
            state.SkipWithError(controllers.back()->GetLastErrorText());
            return;
        }
    }

    int64_t failures = 0;
    for (auto _ : state) {
        std::vector<std::thread> threads;
        std::vector<int64_t> failed(static_cast<size_t>(units), 0);
        for (int i = 0; i < units; ++i)
            threads.emplace_back([&, i] {
                uint32_t position = 0;
                for (int k = 0; k < ReadsPerRound; ++k)
                    failed[static_cast<size_t>(i)] +=
                        controllers[static_cast<size_t>(i)]->GetPosition21(&position) != 0;
            });
        for (std::thread& thread : threads)
            thread.join();
        for (int64_t f : failed)
            failures += f;
    }
    if (failures != 0)
        state.SkipWithError("a register read failed");
    state.SetItemsProcessed(state.iterations() * units * ReadsPerRound);
}
BENCHMARK(UnitsOnTheirOwnThreads)
    ->ArgName("units")
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->Arg(8)
    ->UseRealTime()
    ->MinTime(2.0)
    ->Unit(benchmark::kMillisecond);

}  // namespace
