#include "session/session_input.h"

#include <algorithm>
#include <iterator>

namespace KL_VRXFuzz {

using KL_VRXEmu::TReadOutcome;
using KL_VRXEmu::TWriteOutcome;

namespace {

enum TReadKind : uint8_t {
    AsQueued,
    Spelt,
    OneByteChanged,
    Late,
    Lost,
    Failed,
    Resized,
    Repeated,
    ReadKinds
};

enum TWriteKind : uint8_t { Delivered, WriteFailed, CountChanged, WriteLost, WriteKinds };

constexpr uint8_t LongLength = 255;

std::vector<uint8_t> QueuedOrNothing(const std::vector<uint8_t>* queuedReply) {
    return queuedReply != nullptr ? *queuedReply : std::vector<uint8_t>();
}

}  // namespace

// ---- Reading an input -------------------------------------------------------------------------

uint16_t TFuzzInput::Word() {
    const uint8_t low = Choice();
    return static_cast<uint16_t>(low | Choice() << 8);
}

uint32_t TFuzzInput::Error() {
    return ErrorCodes[Choice() % std::size(ErrorCodes)];
}

TWriteOutcome TFuzzInput::Write(const std::vector<uint8_t>& /*report*/) {
    TWriteOutcome outcome;
    switch (Choice() % WriteKinds) {
        case WriteFailed:
            outcome.error = Error();
            outcome.bytesWritten = Choice();
            outcome.delivered = false;
            break;
        case CountChanged:
            outcome.bytesWritten = Choice();
            break;
        case WriteLost:
            outcome.delivered = false;
            break;
        default:
            break;
    }
    return outcome;
}

TReadOutcome TFuzzInput::Read(const std::vector<uint8_t>* queuedReply, uint32_t bufferSize) {
    TReadOutcome outcome;
    switch (Choice() % ReadKinds) {
        case AsQueued:
            outcome.bytes = QueuedOrNothing(queuedReply);
            break;
        case Spelt: {
            size_t length = Choice();
            if (length == LongLength)
                length = Word();
            // What does not fit the buffer is never delivered: no need to read it.
            outcome.bytes.resize(std::min<size_t>(length, bufferSize));
            for (uint8_t& byte : outcome.bytes)
                byte = Choice();
            break;
        }
        case OneByteChanged: {
            outcome.bytes = QueuedOrNothing(queuedReply);
            const uint8_t index = Choice();
            const uint8_t value = Choice();
            if (!outcome.bytes.empty())
                outcome.bytes[index % outcome.bytes.size()] = value;
            break;
        }
        case Late:
            outcome.keepQueuedReply = true;
            break;
        case Lost:
            break;
        case Failed:
            outcome.error = Error();
            outcome.bytes = QueuedOrNothing(queuedReply);
            outcome.bytes.resize(std::min<size_t>(outcome.bytes.size(), Choice()));
            break;
        case Resized:
            outcome.bytes = QueuedOrNothing(queuedReply);
            outcome.bytes.resize(Choice(), 0);
            break;
        case Repeated:
            outcome.bytes = QueuedOrNothing(queuedReply);
            outcome.keepQueuedReply = true;
            break;
    }
    return outcome;
}

// ---- Recording one --------------------------------------------------------------------------

uint8_t TRecordingInput::Choice() {
    if (next >= plan.size())
        return 0;
    recorded.push_back(plan[next]);
    return plan[next++];
}

TWriteOutcome TRecordingInput::Write(const std::vector<uint8_t>& /*report*/) {
    if (!AtEnd())
        recorded.push_back(Delivered);
    return TWriteOutcome{};
}

TReadOutcome TRecordingInput::Read(const std::vector<uint8_t>* queuedReply,
                                   uint32_t /*bufferSize*/) {
    TReadOutcome outcome;
    outcome.bytes = QueuedOrNothing(queuedReply);
    if (AtEnd())
        return outcome;
    if (replies == TReplies::Firmware) {
        recorded.push_back(AsQueued);
        return outcome;
    }
    const size_t length = outcome.bytes.size();
    recorded.push_back(Spelt);
    if (length < LongLength) {
        recorded.push_back(static_cast<uint8_t>(length));
    } else {
        recorded.push_back(LongLength);
        recorded.push_back(static_cast<uint8_t>(length & 0xFF));
        recorded.push_back(static_cast<uint8_t>(length >> 8));
    }
    recorded.insert(recorded.end(), outcome.bytes.begin(), outcome.bytes.end());
    return outcome;
}

}  // namespace KL_VRXFuzz
