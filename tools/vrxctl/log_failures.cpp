#include "log_failures.h"

namespace VrxctlLog {

void TFailureFilter::Release(TContext& context) {
    if (context.held)
        print.Entry(context.entry);
    context.held = false;
}

void TFailureFilter::Entry(const TLogEntry& entry) {
    if (entry.kind == TEntryKind::LoggerCreated || entry.kind == TEntryKind::Dumped) {
        header.entry = entry;
        header.held = true;
        return;
    }
    if (entry.kind == TEntryKind::Unparsed)
        return;
    const bool failure = entry.kind == TEntryKind::OpenFailed ||
                         (entry.kind == TEntryKind::Exchange && IsFailure(entry.outcome));
    if (!failure && entry.kind == TEntryKind::Exchange)
        return;
    TThreadContext& thread = threads[entry.thread];
    if (!failure) {
        // A device event.
        if (thread.afterFailure) {
            print.Entry(entry);
            thread.afterFailure = false;
            thread.device.held = false;
        } else {
            thread.device.entry = entry;
            thread.device.held = true;
        }
        return;
    }
    // The context in file order, then the failure.
    const bool deviceFirst =
        thread.device.held && (!header.held || thread.device.entry.line < header.entry.line);
    Release(deviceFirst ? thread.device : header);
    Release(deviceFirst ? header : thread.device);
    print.Entry(entry);
    thread.afterFailure = true;
}

}  // namespace VrxctlLog
