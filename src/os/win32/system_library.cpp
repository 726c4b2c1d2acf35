#include "os/win32/system_library.h"

#include <cstring>
#include <string>

// Included after everything else, so no Windows macro reaches the other
// headers.
#include "os/win32/windows_api.h"

namespace KL_VRXOS {

namespace {

bool HasDirectoryPart(const char* fileName) {
    return std::strpbrk(fileName, "\\/:") != nullptr;
}

// "<system directory>\fileName", or empty when the system will not say
// where its directory is.
std::string InSystemDirectory(const char* fileName) {
    char directory[MAX_PATH + 1] = {};
    const UINT length = ::GetSystemDirectoryA(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::string();
    std::string path(directory, length);
    if (path.back() != '\\')
        path += '\\';
    return path + fileName;
}

}  // namespace

TSystemDirectorySearch SupportedSystemDirectorySearch() {
    static const TSystemDirectorySearch supported = [] {
        const ::HMODULE kernel32 = ::GetModuleHandleA("kernel32.dll");
        return kernel32 != nullptr && ::GetProcAddress(kernel32, "AddDllDirectory") != nullptr
                   ? TSystemDirectorySearch::SearchFlag
                   : TSystemDirectorySearch::ExplicitPath;
    }();
    return supported;
}

HMODULE LoadSystemLibrary(const char* fileName, TSystemDirectorySearch search) {
    if (fileName == nullptr) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (HasDirectoryPart(fileName)) {
        ::SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    if (search == TSystemDirectorySearch::SearchFlag)
        return ::LoadLibraryExA(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    const std::string path = InSystemDirectory(fileName);
    if (path.empty()) {
        ::SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace KL_VRXOS
