// A host of the exports: counts, creates the simulated unit's controller,
// reads from it and deletes it. Exits 0 when every step succeeds.
#include <KL_VRX/KL_VRX.h>

#include <cstdio>

int main() {
    uint32_t count = 0;
    if (GetVRXDeviceCount(&count) != 0 || count < 1) {
        std::printf("count failed: %s\n", GetLastVRXDLLError());
        return 1;
    }
    KL_VRXSDK::KL_IVRX* vrx = CreateVRX(0);
    if (vrx == nullptr) {
        std::printf("creation failed: %s\n", GetLastVRXDLLError());
        return 1;
    }
    uint32_t positions = 0;
    const uint32_t status = vrx->GetPositionCount(&positions);
    if (DeleteVRX(vrx) != 0 || status != 0 || positions != 4) {
        std::printf("the simulated unit answered %u with %u positions\n", status, positions);
        return 1;
    }
    return 0;
}
