// Time, threads, the last error and the "C:\" drive on the emulated bus.
#include <algorithm>
#include <cctype>

#include "emulator/bus_core.h"

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

// "C:\dir\file" becomes <drive root>/dir/file. A path on another drive
// cannot be opened; a path without a drive is taken as it is.
std::unique_ptr<TTextFile> TBusCore::OpenAppendTextFile(const std::string& windowsPath) {
    std::string root;
    {
        std::lock_guard<std::mutex> lock(mutex);
        root = driveRoot;
    }
    std::string rest = windowsPath;
    const bool hasDrive = rest.size() >= 2 && rest[1] == ':';
    if (hasDrive) {
        if (std::tolower(static_cast<unsigned char>(rest[0])) != 'c')
            return std::make_unique<TTextFile>(std::string());  // never opens
        rest.erase(0, 2);
    }
    std::replace(rest.begin(), rest.end(), '\\', '/');
    if (!hasDrive)
        return std::make_unique<TTextFile>(rest);
    while (!rest.empty() && rest.front() == '/')
        rest.erase(0, 1);
    while (root.size() > 1 && (root.back() == '/' || root.back() == '\\'))
        root.pop_back();
    return std::make_unique<TTextFile>(root + "/" + rest);
}

}  // namespace KL_VRXEmu::Detail
