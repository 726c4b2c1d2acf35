// Time, threads, the last error and the "C:\" drive on the emulated bus.
#include "emulator/bus_core.h"
#include "os/drive_path.h"

namespace KL_VRXEmu::Detail {

using namespace KL_VRXOS;

uint32_t TBusCore::GetLastError() {
    return ThreadLastError();
}

uint32_t TBusCore::GetTickCount() {
    std::lock_guard<std::mutex> lock(mutex);
    return TickLocked();
}

void TBusCore::Sleep(uint32_t ms) {
    {
        std::lock_guard<std::mutex> lock(mutex);
        ++calls.sleep;
        AdvanceLocked(ms);
    }
    RealSleep(ms);
}

// Thread ids and the wall-clock date are not part of the bus: the real ones
// serve (log records carry them, nothing waits on them).
uint32_t TBusCore::GetCurrentThreadId() {
    return DefaultOs().GetCurrentThreadId();
}

std::tm TBusCore::LocalTime() {
    return DefaultOs().LocalTime();
}

// "C:\dir\file" becomes <drive root>/dir/file.
std::unique_ptr<TTextFile> TBusCore::OpenAppendTextFile(const std::string& windowsPath) {
    std::string root;
    {
        std::lock_guard<std::mutex> lock(mutex);
        root = driveRoot;
    }
    return OpenTextFileOnDrive(windowsPath, root);
}

}  // namespace KL_VRXEmu::Detail
