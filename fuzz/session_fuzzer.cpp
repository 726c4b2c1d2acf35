// A host session against units that reply whatever the input says: any
// report length the OS delivers, any bytes, any echo, empty reads, lost and
// repeated replies, failing reads and writes, on top of any sequence of the
// 33 operations, controller creation by host index, the start-up and the
// parking. No input may crash the library, trip a sanitizer, hang (time is
// the emulator's virtual clock) or draw a status, text or value the library
// does not document (session/session_checks.h).
//
// Seeds: fuzz/session_corpus, real exchanges written by make_session_seeds.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "session/session_driver.h"

namespace {

// "C:\" of every session: the traffic log lands here and is removed after
// each input, so a long run does not fill the disk.
std::string logDirectory;

void RemoveLogDirectory() {
    unlink((logDirectory + "/VRXHIDLog.log").c_str());
    rmdir(logDirectory.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                          "/kl_vrx_session_fuzzer.XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("session_fuzzer: mkdtemp");
        std::abort();
    }
    logDirectory = pattern;
    std::atexit(RemoveLogDirectory);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    KL_VRXFuzz::TFuzzInput input(data, size);
    KL_VRXFuzz::RunSession(input, logDirectory);
    unlink((logDirectory + "/VRXHIDLog.log").c_str());
    return 0;
}
