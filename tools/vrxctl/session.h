// One vrxctl run: the library state and the controllers it has open, shared
// by every subcommand of the run (one subcommand, or a whole shell session).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "KL_VRX/KL_VRX.h"

class TWatchClock;

// Exit codes (documented in the README and in --help).
enum VrxctlExit : int {
    ExitOk = 0,
    ExitOperationFailed = 1,  // a unit operation returned a nonzero status
    ExitUsage = 2,            // bad arguments, or a file that is not a traffic log
    ExitCountFailed = 3,      // the unit count failed
    ExitOpenFailed = 4,       // the controller for the host index could not be created
};

// Prints "vrxctl: <message>" and the usage lines on stderr; returns ExitUsage.
int UsageError(const std::string& message);

struct TSessionOptions {
    bool json = false;
    bool log = false;          // switch the traffic log on for every controller
    bool logDump = false;      // hold log records until a dump (failure, open, close)
    bool logFailures = false;  // log: only the failures and their context
    // The note to print on stderr before a controller for a host index is
    // created, when creating it may wait for units to change launch mode
    // (5 s each); empty when it will not wait.
    std::function<std::string(int32_t hostIndex)> openNote;
    // watch: the pause between two readings, and the clock (null: the wall
    // clock and real sleeps).
    uint32_t watchIntervalMs = 200;
    TWatchClock* watchClock = nullptr;
};

class TSession {
  public:
    explicit TSession(TSessionOptions options);
    // Deletes every controller (a real unit is parked first).
    ~TSession();

    TSession(const TSession&) = delete;
    TSession& operator=(const TSession&) = delete;

    // Runs one subcommand (its words, without options); returns its exit code.
    int Run(const std::vector<std::string>& words);

  private:
    int List();
    int Show(int32_t hostIndex);
    int Get(int32_t hostIndex, const std::string& element);
    int Set(int32_t hostIndex, const std::string& element, uint32_t value);
    int Park(int32_t hostIndex);
    int Watch(int32_t hostIndex, const std::vector<std::string>& names);
    int DecodeLog(const std::string& path) const;

    // The open controller for hostIndex, created on first use; null on failure
    // (reported, exitCode set).
    KL_VRXSDK::KLSYS_IVRX* Controller(int32_t hostIndex, int& exitCode);
    void Delete(int32_t hostIndex);
    bool CountUnits(uint32_t& n1, uint32_t& n2, int& exitCode);
    int Failed(const std::string& what, uint32_t status, KL_VRXSDK::KL_IVRX* vrx);
    void Print(const class TRecord& record) const;
    void NoteParking(int32_t hostIndex) const;

    TSessionOptions options;
    std::map<int32_t, KL_VRXSDK::KL_IVRX*> controllers;
};
