#include "hid/hid_api.h"
#include "protocol/command_channel.h"

// Every controller destruction unbinds hid.dll, even while other controllers
// live: their next transport step binds it again. The binding goes first so
// that the device's close happens with nothing of hid.dll still held.
void TVRXCommandChannel::ReleaseDevice() {
    if (!device)
        return;
    UnloadHidApi();
    device.reset();
}
