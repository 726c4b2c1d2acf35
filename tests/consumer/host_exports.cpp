// A host of the exports: counts, creates the simulated unit's controller,
// reads from it and deletes it. Exits 0 when every step succeeds.
#include <KL_VRX/KL_VRX.h>

#include <cstdio>

int main() {
    uint32_t count = 0;
    uint32_t positions = 0;
    const uint32_t counted = GetVRXDeviceCount(&count);
    KL_VRXSDK::KL_IVRX* vrx = CreateVRX(0);
    const uint32_t status = vrx != nullptr ? vrx->GetPositionCount(&positions) : 1;
    if (counted != 0 || count < 1 || vrx == nullptr || DeleteVRX(vrx) != 0 || status != 0 ||
        positions != 4) {
        std::printf("%u units counted, %u positions read (status %u): %s\n", count, positions,
                    status, GetLastVRXDLLError());
        return 1;
    }
    return 0;
}
