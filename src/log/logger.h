// TLogger: the traffic log of one unit, appended to a text file.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "log/log_line.h"
#include "os/text_file.h"

namespace KL_VRXLog {

// What Record, AddRecord and Dump report.
enum class LogStatus : uint32_t {
    Success = 0,
    FileNotOpen = 1,  // the file did not open when the logger was made
};

class TLogger {
  public:
    // Opens path (a Windows path, through the OS layer) for appending and
    // writes the creation header when it opened.
    explicit TLogger(const std::string& path);
    // Closes the file; lines not yet dumped are dropped.
    ~TLogger();

    TLogger(const TLogger&) = delete;
    TLogger& operator=(const TLogger&) = delete;

    // Keeps one record line: its prefix (thread id and tick count), then
    // what fill(TLogLine&) writes, formatted straight into the chunk under
    // the logger's lock. Success, or FileNotOpen (fill is not called).
    template <typename Fill>
    LogStatus Record(Fill&& fill);
    // A record of one text. Success or FileNotOpen.
    LogStatus AddRecord(std::string_view message) {
        return Record([message](TLogLine& line) { line << message; });
    }
    // Writes the held lines (after a dump header when withHeader). Success
    // or FileNotOpen.
    LogStatus Dump(bool withHeader);

    bool FileOpen() const { return fileOpen != 0; }

    static constexpr uint32_t DefaultChunkLimit = 10000;

  private:
    // The line's prefix, and its end with the chunk rotation; under the lock.
    TLogLine StartLineLocked();
    void EndLineLocked();

    uint8_t fileOpen;
    std::unique_ptr<KL_VRXOS::TTextFile> stream;
    std::mutex lock;
    uint32_t chunkLimit;
    std::string currentChunk;
    std::string previousChunk;
};

template <typename Fill>
LogStatus TLogger::Record(Fill&& fill) {
    std::lock_guard<std::mutex> guard(lock);
    if (!fileOpen)
        return LogStatus::FileNotOpen;
    TLogLine line = StartLineLocked();
    fill(line);
    EndLineLocked();
    return LogStatus::Success;
}

}  // namespace KL_VRXLog
