// The input of one fuzzed host session, read front to back.
//
// The session asks it two kinds of question: a choice (one byte: the next
// step, an argument, a setting), and what the unit's link does to one report
// (a write or a read). Past the input's end every choice is 0 and every
// report goes through as the unit's firmware made it, so every session ends,
// and ends by parking its units normally.
//
// How a link question is encoded (each value one byte unless said; "error"
// is one byte choosing from ErrorCodes):
//
//   read:  kind % 8
//          0  the reply the firmware queued (none queued: nothing)
//          1  n (two bytes, little-endian), then n bytes
//          2  the queued reply with byte (i % its size) set to v: i, v
//          3  nothing now; the queued reply stays queued (it comes late)
//          4  nothing, and the queued reply is lost
//          5  the read fails: error, then how many bytes of the queued reply
//             it still delivered
//          6  the queued reply cut or padded with zeros to n bytes: n
//          7  the queued reply, which also stays queued (it comes again)
//   write: kind % 4
//          0  the report reaches the unit
//          1  the write fails: error, then the count reported written; the
//             unit receives nothing
//          2  the report reaches the unit; the count reported written is n: n
//          3  the write succeeds but the report is lost on the way
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

#include "KL_VRX/emulator.h"

namespace KL_VRXFuzz {

// Windows errors a failing link reports: device gone, device failure,
// operation aborted, bad handle, bad parameter, access denied, and two codes
// with the highest bit set.
inline constexpr uint32_t ErrorCodes[] = {1167, 31, 995, 6, 87, 5, 0xFFFFFFFFu, 0x80070057u};

enum TReadKind : uint8_t { AsQueued, Spelt, OneByteChanged, Late, Lost, Failed, Resized, Repeated };
enum TWriteKind : uint8_t { Delivered, WriteFailed, CountChanged, WriteLost };

// The fuzzer's input, which every unit's link answers to.
class TFuzzInput final : public KL_VRXEmu::KL_IReplySource {
  public:
    TFuzzInput(const uint8_t* data, size_t size) : data(data), size(size) {}

    // True once the steps are used up (the session then parks and ends).
    bool AtEnd() const { return position >= size; }
    // The next choice: 0 past the end.
    uint8_t Choice() { return position < size ? data[position++] : 0; }
    KL_VRXEmu::TWriteOutcome OnWrite(const std::vector<uint8_t>& report) override;
    KL_VRXEmu::TReadOutcome OnRead(const std::vector<uint8_t>* queuedReply,
                                   uint32_t bufferSize) override;

  private:
    uint32_t Error() { return ErrorCodes[Choice() % std::size(ErrorCodes)]; }

    const uint8_t* data;
    size_t size;
    size_t position = 0;
};

}  // namespace KL_VRXFuzz
