// vrxctl log --failures: of a log's entries only the failures (marked "!!")
// and what explains each: the latest header before it, the latest device
// event of its thread before it, and its thread's next device event after
// it (the close of a unit that was pulled out, say).
#pragma once

#include <cstdint>
#include <unordered_map>

#include "log_exchanges.h"

namespace VrxctlLog {

class TFailureFilter : public TEntrySink {
  public:
    // print receives the entries to show, in file order.
    explicit TFailureFilter(TEntrySink& print) : print(print) {}

    void Entry(const TLogEntry& entry) override;

  private:
    // An entry kept in case a failure needs it.
    struct TContext {
        TLogEntry entry;
        bool held = false;
    };
    struct TThreadContext {
        TContext device;
        bool afterFailure = false;
    };

    void Release(TContext& context);

    TEntrySink& print;
    TContext header;
    std::unordered_map<int64_t, TThreadContext> threads;
};

}  // namespace VrxctlLog
