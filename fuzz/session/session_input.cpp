#include "session/session_input.h"

#include <algorithm>

namespace KL_VRXFuzz {

using KL_VRXEmu::TReadOutcome;
using KL_VRXEmu::TWriteOutcome;

TWriteOutcome TFuzzInput::OnWrite(const std::vector<uint8_t>& /*report*/) {
    // A braced list is read left to right.
    switch (Choice() % 4) {
        case WriteFailed:
            return {Error(), Choice(), false};
        case CountChanged:
            return {0, Choice(), true};
        case WriteLost:
            return {0, std::nullopt, false};
        default:
            return {};
    }
}

TReadOutcome TFuzzInput::OnRead(const std::vector<uint8_t>* queuedReply, uint32_t bufferSize) {
    TReadOutcome outcome;
    const uint8_t kind = Choice() % 8;
    if (queuedReply != nullptr && kind != Spelt && kind != Late && kind != Lost)
        outcome.bytes = *queuedReply;
    switch (kind) {
        case Spelt: {
            const uint8_t low = Choice();
            const auto length = static_cast<size_t>(low | Choice() << 8);
            // What does not fit the buffer is never delivered: no need to read it.
            outcome.bytes.resize(std::min<size_t>(length, bufferSize));
            for (uint8_t& byte : outcome.bytes)
                byte = Choice();
            break;
        }
        case OneByteChanged: {
            const uint8_t index = Choice();
            const uint8_t value = Choice();
            if (!outcome.bytes.empty())
                outcome.bytes[index % outcome.bytes.size()] = value;
            break;
        }
        case Late:
        case Repeated:
            outcome.keepQueuedReply = true;
            break;
        case Failed:
            outcome.error = Error();
            outcome.bytes.resize(std::min<size_t>(outcome.bytes.size(), Choice()));
            break;
        case Resized:
            outcome.bytes.resize(Choice(), 0);
            break;
    }
    return outcome;
}

}  // namespace KL_VRXFuzz
