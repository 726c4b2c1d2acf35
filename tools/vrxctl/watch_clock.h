// The time base of `vrxctl watch`: what time its lines show and how it waits
// between two readings. The real one is the wall clock; tests give one that
// runs on the emulator's virtual clock.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class TWatchClock {
  public:
    virtual ~TWatchClock() = default;
    // The time a line shows.
    virtual std::string Now() = 0;
    // Waits ms milliseconds, or less once a stop was requested (TStopSignals).
    virtual void Wait(uint32_t ms) = 0;
};

// Local time of day as "HH:MM:SS.mmm"; real sleeps.
std::unique_ptr<TWatchClock> MakeWallClock();
