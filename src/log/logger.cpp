#include "log/logger.h"

#include <cstdio>
#include <ctime>

#include "os/os.h"

namespace KL_VRXLog {

namespace {

// The local time now as "YYYY-MM-DD HH-MM-SS": hyphens in the time too, so
// the stamp can also serve in a file name.
std::string LogTimestamp() {
    const std::tm now = KL_VRXOS::Os().LocalTime();
    char text[50] = {};
    std::strftime(text, sizeof text, "%Y-%m-%d %H-%M-%S", &now);
    return text;
}

}  // namespace

TLogger::TLogger(const std::string& path) : fileOpen(0), chunkLimit(DefaultChunkLimit) {
    const std::string header = "\n\n\n Logger Class Created: " + LogTimestamp() + "\n\n";
    stream = KL_VRXOS::Os().OpenAppendTextFile(path);
    if (stream && stream->Good()) {
        fileOpen = 1;
        stream->Write(header);
    }
}

// No lock here: whoever destroys a logger owns it, so no other thread may
// still be adding to it; the stream's destructor writes its buffer out.
TLogger::~TLogger() = default;

LogStatus TLogger::AddRecord(std::string message) {
    std::lock_guard<std::mutex> guard(lock);
    if (!fileOpen)
        return LogStatus::FileNotOpen;
    // The tick count is shown signed ("%d"), so after 24.8 days of uptime it
    // reads negative; the thread id is a plain decimal, as _itoa writes it.
    auto& os = KL_VRXOS::Os();
    const int tick = static_cast<int>(os.GetTickCount());
    const int threadId = static_cast<int>(os.GetCurrentThreadId());
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "%d : Time: %d  ", threadId, tick);
    currentChunk += prefix;
    currentChunk += message;
    currentChunk += '\n';
    // Bounds the memory between rare dumps: only the latest full chunk and
    // the lines after it survive until the next dump.
    if (currentChunk.size() > chunkLimit) {
        previousChunk.swap(currentChunk);
        currentChunk.clear();
    }
    return LogStatus::Success;
}

LogStatus TLogger::Dump(bool withHeader) {
    const std::string header =
        withHeader ? "\n\n\n Dumped at: " + LogTimestamp() + "\n\n" : std::string();
    // Under the same lock as AddRecord, so a dump never writes or empties the
    // chunks while another thread appends to them.
    std::lock_guard<std::mutex> guard(lock);
    if (!fileOpen)
        return LogStatus::FileNotOpen;
    stream->Write(header);
    stream->Write(previousChunk);
    stream->Write(currentChunk);
    previousChunk.clear();
    currentChunk.clear();
    return LogStatus::Success;
}

}  // namespace KL_VRXLog
