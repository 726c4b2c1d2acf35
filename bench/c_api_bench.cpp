// The C library as hosts link it (libKL_VRX_c.so, its emulator switched on
// with kl_vrx_emulate) against the C++ virtual call of the static library
// on a bus of the same shape: a register read on an emulated unit on the
// virtual clock (range 1) and on the simulated unit (range 0). Emulated
// units keep every report they receive, which a host of the shared library
// cannot clear, so the runs have a fixed length and neither side clears.
#include <benchmark/benchmark.h>

#include "KL_VRX/KL_VRX.h"
#include "KL_VRX/KL_VRX_c.h"
#include "KL_VRX/emulator.h"

namespace {

constexpr benchmark::IterationCount Iterations = 200000;

void CppVirtualGetPosition21(benchmark::State& state) {
    KL_VRXEmu::TEmulatedBus bus;
    bus.SetReportLatency(1);  // as kl_vrx_emulate's bus
    bus.AttachUnit(1);
    KL_VRXSDK::KL_IVRX* vrx = CreateVRX(static_cast<int32_t>(state.range(0)));
    uint32_t position = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(vrx->GetPosition21(&position));
    DeleteVRX(vrx);
}
BENCHMARK(CppVirtualGetPosition21)->Arg(1)->Arg(0)->Iterations(Iterations);

void CLibraryGetPosition21(benchmark::State& state) {
    kl_vrx_emulate("1", 0);
    kl_vrx_unit* vrx = nullptr;
    kl_vrx_open(static_cast<int32_t>(state.range(0)), &vrx);
    uint32_t position = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(kl_vrx_get_position21(vrx, &position));
    kl_vrx_close(vrx);
    kl_vrx_emulate(nullptr, 0);
}
BENCHMARK(CLibraryGetPosition21)->Arg(1)->Arg(0)->Iterations(Iterations);

}  // namespace
