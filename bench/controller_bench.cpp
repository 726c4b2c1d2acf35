// What one host call costs in the library itself, the unit answering at once
// on the virtual clock: a register read, an awaited set, the simulated unit,
// and the bound check every transport step starts with.
#include <benchmark/benchmark.h>

#include <memory>

#include "KL_VRX/emulator.h"
#include "controller/hardware_controller.h"
#include "hid/hid_binding.h"

namespace {

std::unique_ptr<TVRXHardwareController> Opened(uint32_t family, int32_t index) {
    auto controller = std::make_unique<TVRXHardwareController>();
    controller->SetModelFamily(family);
    controller->Open(index, 0);
    return controller;
}

void RegisterReadRoundTrip(benchmark::State& state) {
    KL_VRXEmu::TEmulatedBus bus;
    auto& unit = bus.AttachUnit(1);
    auto controller = Opened(1, 1);
    uint32_t position = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(controller->GetPosition21(&position));
        unit.ClearReceived();
    }
}
BENCHMARK(RegisterReadRoundTrip);

// One write and two polls.
void AwaitedSetRoundTrip(benchmark::State& state) {
    KL_VRXEmu::TEmulatedBus bus;
    auto& unit = bus.AttachUnit(2);
    auto controller = Opened(2, 1);
    uint32_t position = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(controller->SetPosition21(position));
        position = (position + 1) % 4;
        unit.ClearReceived();
    }
}
BENCHMARK(AwaitedSetRoundTrip);

void SimulatedUnitRead(benchmark::State& state) {
    KL_VRXEmu::TEmulatedBus bus;
    auto controller = Opened(2, 0);
    uint32_t position = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(controller->GetPosition21(&position));
}
BENCHMARK(SimulatedUnitRead);

void LoadHidApiWhenBound(benchmark::State& state) {
    KL_VRXEmu::TEmulatedBus bus;
    KL_VRXHid::LoadHidApi();
    for (auto _ : state)
        benchmark::DoNotOptimize(KL_VRXHid::LoadHidApi());
}
BENCHMARK(LoadHidApiWhenBound);

}  // namespace
