// A call through the C face against the same C++ virtual call, on one
// emulated unit that answers at once on the virtual clock (a register read:
// one write, one read) and on the simulated unit (no I/O: the call's own
// cost). The face is linked in here as the C library links it.
#include <benchmark/benchmark.h>

#include "KL_VRX/KL_VRX.h"
#include "KL_VRX/KL_VRX_c.h"
#include "KL_VRX/emulator.h"

namespace {

// range(0): the host index, 1 the emulated unit, 0 the simulated unit.
void CppVirtualGetPosition21(benchmark::State& state) {
    KL_VRXEmu::TEmulatedBus bus;
    auto& unit = bus.AttachUnit(1);
    KL_VRXSDK::KL_IVRX* vrx = CreateVRX(static_cast<int32_t>(state.range(0)));
    uint32_t position = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(vrx->GetPosition21(&position));
        unit.ClearReceived();
    }
    DeleteVRX(vrx);
}
BENCHMARK(CppVirtualGetPosition21)->Arg(1)->Arg(0);

void CFaceGetPosition21(benchmark::State& state) {
    KL_VRXEmu::TEmulatedBus bus;
    auto& unit = bus.AttachUnit(1);
    kl_vrx_unit* vrx = nullptr;
    kl_vrx_open(static_cast<int32_t>(state.range(0)), &vrx);
    uint32_t position = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(kl_vrx_get_position21(vrx, &position));
        unit.ClearReceived();
    }
    kl_vrx_close(vrx);
}
BENCHMARK(CFaceGetPosition21)->Arg(1)->Arg(0);

}  // namespace
