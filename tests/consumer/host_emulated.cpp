// A host's test against an emulated unit: moves an element and reads it
// back. Exits 0 when every step succeeds.
#include <KL_VRX/KL_VRX.h>
#include <KL_VRX/emulator.h>

#include <cstdio>

int main() {
    KL_VRXEmu::TEmulatedBus bus;
    KL_VRXEmu::TEmulatedUnit& unit = bus.AttachUnit(1);
    KL_VRXSDK::KL_IVRX* vrx = CreateVRX(1);
    uint32_t position = 0;
    const bool moved =
        vrx != nullptr && vrx->SetPosition21(2) == 0 && vrx->GetPosition21(&position) == 0;
    if (vrx == nullptr || DeleteVRX(vrx) != 0 || !moved || position != 2 ||
        unit.Register(21) != 3) {
        std::printf("position 21 read %u, register 21 holds %u: %s\n", position,
                    static_cast<unsigned>(unit.Register(21)), GetLastVRXDLLError());
        return 1;
    }
    return 0;
}
