/* A C99 host of KL_VRX: counts the units, opens host index 1, reads
 * position 21, moves it and reads it back, and closes the unit.
 *
 *     c_host           the units attached to this machine
 *     c_host 1,2       emulated units instead (as vrxctl --emulate 1,2)
 *
 * Build: cc -std=c99 host.c -lKL_VRX_c (or CMake: find_package(KL_VRX),
 * target_link_libraries(host PRIVATE KL_VRX::c)). */
#include <stdio.h>

#include "KL_VRX/KL_VRX_c.h"

/* Prints what failed and why; returns 1 for main. */
static int Failed(const char* what, uint32_t status, const char* text) {
    printf("%s failed: %s (%u): %s\n", what, kl_vrx_status_name(status), (unsigned)status, text);
    return 1;
}

int main(int argc, char** argv) {
    uint32_t status;
    uint32_t count = 0;
    uint32_t position = 0;
    kl_vrx_unit* unit = NULL;

    if (kl_vrx_version() / 10000 != KL_VRX_VERSION_MAJOR) {
        printf("library version %u does not fit this host\n", (unsigned)kl_vrx_version());
        return 1;
    }
    if (argc > 1 && (status = kl_vrx_emulate(argv[1], 0)) != KL_VRX_OK)
        return Failed("kl_vrx_emulate", status, kl_vrx_last_error());
    if ((status = kl_vrx_count(&count)) != KL_VRX_OK)
        return Failed("kl_vrx_count", status, kl_vrx_last_error());
    printf("%u units (the simulated unit included)\n", (unsigned)count);

    if ((status = kl_vrx_open(1, &unit)) != KL_VRX_OK)
        return Failed("kl_vrx_open", status, kl_vrx_last_error());
    if ((status = kl_vrx_get_position21(unit, &position)) == KL_VRX_OK) {
        printf("position 21: %u\n", (unsigned)position);
        status = kl_vrx_set_position21(unit, position == 1 ? 2 : 1);
    }
    if (status == KL_VRX_OK && (status = kl_vrx_get_position21(unit, &position)) == KL_VRX_OK)
        printf("position 21 after the move: %u\n", (unsigned)position);
    if (status != KL_VRX_OK) {
        Failed("position 21", status, kl_vrx_unit_error(unit));
        kl_vrx_close(unit);
        return 1;
    }
    kl_vrx_close(unit);
    printf("done\n");
    return 0;
}
