// TLogger: the traffic log of one unit, appended to a text file.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "os/text_file.h"

namespace KL_VRXLog {

// What AddRecord and Dump report.
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

    // Keeps one record line. Success or FileNotOpen.
    LogStatus AddRecord(std::string message);
    // Writes the held lines (after a dump header when withHeader). Success
    // or FileNotOpen.
    LogStatus Dump(bool withHeader);

    bool FileOpen() const { return fileOpen != 0; }

    static constexpr uint32_t DefaultChunkLimit = 10000;

  private:
    uint8_t fileOpen;
    std::unique_ptr<KL_VRXOS::TTextFile> stream;
    std::mutex lock;
    uint32_t chunkLimit;
    std::string currentChunk;
    std::string previousChunk;
};

}  // namespace KL_VRXLog
