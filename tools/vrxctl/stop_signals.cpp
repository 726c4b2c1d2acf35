#include "stop_signals.h"

#include <atomic>
#include <csignal>

namespace {

// Set from a signal handler, which on Windows runs on a thread of its own.
std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// The signals that ask to stop. On Windows the C runtime delivers a
// console's Ctrl-C as SIGINT and Ctrl-Break as SIGBREAK, on a thread of
// its own.
const int stopSignals[] = {
    SIGINT,
    SIGTERM,
#ifdef SIGBREAK
    SIGBREAK,
#endif
};
constexpr int signalCount = sizeof stopSignals / sizeof stopSignals[0];

using THandler = void (*)(int);
THandler previous[signalCount];

void OnStopSignal(int signal) {
    stopRequested = true;
    // The next one is not caught (the Windows runtime resets the handler by
    // itself): a unit that takes long to park can still be left at once.
    std::signal(signal, SIG_DFL);
}

}  // namespace

TStopSignals::TStopSignals() {
    stopRequested = false;
    for (int i = 0; i < signalCount; ++i)
        previous[i] = std::signal(stopSignals[i], OnStopSignal);
}

TStopSignals::~TStopSignals() {
    for (int i = 0; i < signalCount; ++i)
        std::signal(stopSignals[i], previous[i] == SIG_ERR ? SIG_DFL : previous[i]);
}

bool TStopSignals::Requested() {
    return stopRequested;
}
