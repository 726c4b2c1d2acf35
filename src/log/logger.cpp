#include "log/logger.h"

#include <ctime>

#include "os/os.h"

namespace KL_VRXLog {

namespace {

// Room past the chunk limit for the record that crosses it.
constexpr size_t RecordRoom = 1024;

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
        // Each chunk holds up to the limit and the record that crosses it;
        // made that large now, records never grow them (reports up to a few
        // hundred bytes: longer ones grow them once).
        currentChunk.reserve(chunkLimit + RecordRoom);
        previousChunk.reserve(chunkLimit + RecordRoom);
    }
}

// No lock here: whoever destroys a logger owns it, so no other thread may
// still be adding to it; the stream's destructor writes its buffer out.
TLogger::~TLogger() = default;

// The tick count is shown signed ("%d"), so after 24.8 days of uptime it
// reads negative; the thread id is a plain decimal, as _itoa writes it.
TLogLine TLogger::StartLineLocked() {
    auto& os = KL_VRXOS::Os();
    const auto tick = static_cast<int32_t>(os.GetTickCount());
    const auto threadId = static_cast<int32_t>(os.GetCurrentThreadId());
    TLogLine line(currentChunk);
    line << threadId << " : Time: " << tick << "  ";
    return line;
}

void TLogger::EndLineLocked() {
    currentChunk += '\n';
    // Bounds the memory between rare dumps: only the latest full chunk and
    // the lines after it survive until the next dump. The two chunks trade
    // places, so their storage is reused rather than made anew.
    if (currentChunk.size() > chunkLimit) {
        previousChunk.swap(currentChunk);
        currentChunk.clear();
    }
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
