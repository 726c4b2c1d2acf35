// Ctrl-C (SIGINT), SIGTERM and, on Windows, Ctrl-Break ask a long-running
// subcommand to stop, so that it ends cleanly: its units are parked and
// closed and the exit code is 0. A second signal ends the process at once.
#pragma once

class TStopSignals {
  public:
    // Clears any earlier request and installs the handlers.
    TStopSignals();
    // Puts the previous handlers back.
    ~TStopSignals();
    TStopSignals(const TStopSignals&) = delete;
    TStopSignals& operator=(const TStopSignals&) = delete;

    // Whether a signal arrived since construction.
    static bool Requested();
};
