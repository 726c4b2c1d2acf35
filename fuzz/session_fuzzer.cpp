// A host session against units that reply whatever the input says: any
// report length the OS delivers, any bytes, any echo, empty reads, lost and
// repeated replies, failing reads and writes, on top of any sequence of the
// 33 operations, controller creation by host index, the start-up and the
// parking. No input may crash the library, trip a sanitizer, hang (time is
// the emulator's virtual clock) or draw what the library's contract rules
// out (session/session_driver.h).
//
// Seeds: fuzz/session_corpus, real exchanges and inputs that once found a fault.
#include <cstdint>

#include "session/session_driver.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    KL_VRXFuzz::TFuzzInput input(data, size);
    KL_VRXFuzz::RunSession(input);
    return 0;
}
