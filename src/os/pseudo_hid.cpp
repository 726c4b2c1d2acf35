#include "os/pseudo_hid.h"

#include "os/os.h"

namespace KL_VRXOS {

bool IsHidDllName(const char* fileName) {
    std::string name(fileName);
    for (char& c : name)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return name == "hid.dll" || name == "hid";
}

BOOLEAN WriteHidString(const std::string& text, void* buffer, uint32_t bufferLength) {
    if (buffer == nullptr) {
        SetThreadLastError(ErrorInvalidParameter);
        return 0;
    }
    if (bufferLength < 2 * (text.size() + 1)) {
        SetThreadLastError(ErrorInsufficientBuffer);
        return 0;
    }
    auto* out = static_cast<uint8_t*>(buffer);
    for (size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : '\0';
        out[2 * i] = static_cast<uint8_t>(c) < 0x80 ? static_cast<uint8_t>(c) : '?';
        out[2 * i + 1] = 0;
    }
    return 1;
}

}  // namespace KL_VRXOS
