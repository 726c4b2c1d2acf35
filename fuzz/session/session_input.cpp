#include "session/session_input.h"

#include <algorithm>

namespace KL_VRXFuzz {

using KL_VRXEmu::TReadOutcome;
using KL_VRXEmu::TWriteOutcome;

namespace {

enum TReadKind : uint8_t { AsQueued, Spelt, OneByteChanged, Late, Lost, Failed, Resized, Repeated };
enum TWriteKind : uint8_t { Delivered, WriteFailed, CountChanged, WriteLost };

constexpr uint8_t LongLength = 255;

}  // namespace

TWriteOutcome TFuzzInput::OnWrite(const std::vector<uint8_t>& /*report*/) {
    TWriteOutcome outcome;
    switch (Choice() % 4) {
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
    }
    return outcome;
}

TReadOutcome TFuzzInput::OnRead(const std::vector<uint8_t>* queuedReply, uint32_t bufferSize) {
    TReadOutcome outcome;
    const uint8_t kind = Choice() % 8;
    if (queuedReply != nullptr && kind != Spelt && kind != Late && kind != Lost)
        outcome.bytes = *queuedReply;
    switch (kind) {
        case Spelt: {
            size_t length = Choice();
            if (length == LongLength) {
                const uint8_t low = Choice();
                length = static_cast<size_t>(low | Choice() << 8);
            }
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

uint8_t TRecordingInput::Choice() {
    if (next >= plan.size())
        return 0;
    recorded.push_back(plan[next]);
    return plan[next++];
}

TWriteOutcome TRecordingInput::OnWrite(const std::vector<uint8_t>& /*report*/) {
    if (!AtEnd())
        recorded.push_back(Delivered);
    return TWriteOutcome{};
}

TReadOutcome TRecordingInput::OnRead(const std::vector<uint8_t>* queuedReply,
                                     uint32_t /*bufferSize*/) {
    TReadOutcome outcome;
    if (queuedReply != nullptr)
        outcome.bytes = *queuedReply;
    if (AtEnd())
        return outcome;
    const size_t length = outcome.bytes.size();
    recorded.push_back(spellReplies ? Spelt : AsQueued);
    if (!spellReplies)
        return outcome;
    recorded.push_back(static_cast<uint8_t>(std::min<size_t>(length, LongLength)));
    if (length >= LongLength) {
        recorded.push_back(static_cast<uint8_t>(length & 0xFF));
        recorded.push_back(static_cast<uint8_t>(length >> 8));
    }
    recorded.insert(recorded.end(), outcome.bytes.begin(), outcome.bytes.end());
    return outcome;
}

}  // namespace KL_VRXFuzz
