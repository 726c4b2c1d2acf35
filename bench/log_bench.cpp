// The traffic log's own cost: records per second of a read's record (a
// 65-byte report in hex), held in the chunk for the next failure, or written
// to the file one by one as a log with the dump flag clear does.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "KL_VRX/emulator.h"
#include "log/logger.h"
#include "support/allocation_counter.h"
#include "support/temp_dir.h"

namespace {

using KL_VRXLog::TLogger;
using KL_VRXLog::TLogLine;

void Records(benchmark::State& state, bool toFile) {
    KL_VRXTest::TTempDir drive;
    KL_VRXEmu::TEmulatedBus bus;
    bus.SetDriveRoot(drive.Path());
    TLogger logger("C:\\VRXHIDLog.log");
    uint8_t report[65] = {0, 21, 3};
    uint32_t count = sizeof report;
    const uint64_t allocations = KL_VRXTest::AllocationCount();
    for (auto _ : state) {
        logger.Record([&](TLogLine& line) {
            line << "    Read succeeded. Bytes read by device: " << count
                 << " Buffer: " << TLogLine::Hex{report, count};
        });
        if (toFile)
            logger.Dump(false);
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["allocs/op"] =
        benchmark::Counter(static_cast<double>(KL_VRXTest::AllocationCount() - allocations),
                           benchmark::Counter::kAvgIterations);
}

void LogRecordHeld(benchmark::State& state) {
    Records(state, false);
}
BENCHMARK(LogRecordHeld);

void LogRecordToFile(benchmark::State& state) {
    Records(state, true);
}
BENCHMARK(LogRecordToFile);

}  // namespace
