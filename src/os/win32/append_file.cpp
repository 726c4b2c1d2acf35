#include "os/append_file.h"

#include <mutex>

// Included after everything else, so no Windows macro reaches the other
// headers.
#include "os/win32/windows_api.h"

namespace KL_VRXOS {

namespace {

HANDLE AsHandle(intptr_t native) {
    return reinterpret_cast<HANDLE>(native);
}

// Windows puts each append of a FILE_APPEND_DATA handle at the end in one
// step, but Wine finds the end and then writes, so two handles on one file
// (two units logging to the same log) overwrite each other's lines there.
// Appends of this process take turns; the lock covers only the file write.
std::mutex& AppendTurn() {
    static std::mutex turn;
    return turn;
}

}  // namespace

// Appending (every write lands at the end, whoever else writes), created when
// missing, never truncated; other programs may read and write it meanwhile.
// A null security descriptor keeps the handle out of child processes.
TAppendFile::TAppendFile(const std::string& nativePath) {
    const HANDLE file =
        ::CreateFileA(nativePath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        native = reinterpret_cast<intptr_t>(file);
}

TAppendFile::~TAppendFile() {
    if (IsOpen())
        ::CloseHandle(AsHandle(native));
}

bool TAppendFile::IsOpen() const {
    return AsHandle(native) != INVALID_HANDLE_VALUE;
}

bool TAppendFile::Append(const char* data, size_t size) {
    if (!IsOpen())
        return false;
    const std::lock_guard<std::mutex> guard(AppendTurn());
    while (size > 0) {
        const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!::WriteFile(AsHandle(native), data, chunk, &written, nullptr) || written == 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

}  // namespace KL_VRXOS
