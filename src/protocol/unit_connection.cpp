#include "os/win_types.h"
#include "protocol/command_channel.h"

bool TVRXCommandChannel::IsUnitOpen() const {
    return device && device->handle != KL_VRXOS::InvalidHandleValue;
}

void TVRXCommandChannel::CloseUnit() {
    if (!device)
        return;
    device->CloseDevice();
    device->inputReportLength = 0;
    device->outputReportLength = 0;
}

bool TVRXCommandChannel::IsLogging() const {
    return device && device->logger != nullptr;
}

void TVRXCommandChannel::SwitchLog(bool on) {
    if (device)
        device->SwitchLog(on);
}

uint8_t TVRXCommandChannel::LogDumpFlag() const {
    return device ? device->logDumpFlag : 1;
}

void TVRXCommandChannel::SetLogDumpFlag(uint8_t flag) {
    if (device)
        device->logDumpFlag = flag;
}
