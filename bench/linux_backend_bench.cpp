// One report exchange through the Linux backend against the same exchange in
// raw system calls, in the same run: the library's share of a round trip.
//
// The unit is the benchmark itself, on the far end of a SOCK_SEQPACKET
// socketpair (one packet per report, as a hidraw node hands them out): after
// the host's write it takes the command and answers at once, so the host's
// wait always finds the reply. Its own two calls are timed in both benchmarks
// but counted in neither.
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdint>

#include "os/linux/linux_os.h"
#include "support/allocation_counter.h"
#include "syscall_counter.h"

namespace {

using namespace KL_VRXOS;

// A family-2 unit's report lengths, report ID byte included.
constexpr uint16_t ReportLength = 65;

struct TSocketUnit {
    TSocketUnit() {
        int fds[2];
        if (socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds) != 0)
            fds[0] = fds[1] = -1;
        host = fds[0];
        unit = fds[1];
    }
    ~TSocketUnit() {
        if (unit >= 0)
            close(unit);
    }
    // Takes the command and answers it: the register read's echo and value,
    // without the report ID byte, as hidraw delivers unnumbered reports.
    void Answer() {
        KL_VRXBench::TUncounted peer;
        uint8_t command[ReportLength];
        if (recv(unit, command, sizeof command, 0) > 1) {
            const uint8_t reply[ReportLength - 1] = {command[1], 1};
            send(unit, reply, sizeof reply, 0);
        }
    }

    int host = -1;
    int unit = -1;
};

// Allocations and system calls per iteration, from the counts at the start.
class TPerOperation {
  public:
    explicit TPerOperation(benchmark::State& state)
        : state(state),
          allocations(KL_VRXTest::AllocationCount()),
          syscalls(KL_VRXBench::SyscallCount()) {}
    ~TPerOperation() {
        const auto perOp = benchmark::Counter::kAvgIterations;
        state.counters["allocs/op"] = benchmark::Counter(
            static_cast<double>(KL_VRXTest::AllocationCount() - allocations), perOp);
        state.counters["syscalls/op"] =
            benchmark::Counter(static_cast<double>(KL_VRXBench::SyscallCount() - syscalls), perOp);
    }

  private:
    benchmark::State& state;
    const uint64_t allocations;
    const uint64_t syscalls;
};

// The floor: the write, the wait and the read a host cannot do without.
void RawSyscallExchange(benchmark::State& state) {
    TSocketUnit socket;
    uint8_t command[ReportLength] = {0, 21};
    uint8_t reply[ReportLength];
    TPerOperation count(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(write(socket.host, command, sizeof command));
        socket.Answer();
        pollfd ready{socket.host, POLLIN, 0};
        benchmark::DoNotOptimize(poll(&ready, 1, ReadSliceMs));
        benchmark::DoNotOptimize(read(socket.host, reply + 1, sizeof reply - 1));
    }
    close(socket.host);
}
BENCHMARK(RawSyscallExchange);

// The same through TLinuxOs: WriteFile and ReadFile on a device handle, with
// their argument checks, handle lookup and Windows framing of the reply.
void LinuxBackendExchange(benchmark::State& state) {
    TSocketUnit socket;
    TLinuxOs os;
    HANDLE device = os.AdoptDescriptor(socket.host, ReportLength, ReportLength, false);
    uint8_t command[ReportLength] = {0, 21};
    uint8_t reply[ReportLength];
    uint32_t count = 0;
    TPerOperation counted(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(os.WriteFile(device, command, sizeof command, &count, nullptr));
        socket.Answer();
        benchmark::DoNotOptimize(os.ReadFile(device, reply, sizeof reply, &count, nullptr));
    }
    if (count != ReportLength || reply[1] != 21)
        state.SkipWithError("the exchange did not carry the reply");
    os.CloseHandle(device);
}
BENCHMARK(LinuxBackendExchange);

}  // namespace
