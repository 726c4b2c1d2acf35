// TVRXCommandChannel: the unit's command protocol over one THIDDevice.
//
// Every operation sets lastError to 0 when it starts, stores its result there
// and returns it. All of them block the calling thread; time is the OS
// layer's 32-bit tick count.
#pragma once

#include <cstdint>
#include <memory>

#include "hid/hid_device.h"
#include "protocol/protocol_error.h"

class TVRXCommandChannel {
  public:
    // Creates the device (which binds the HID library); launchMode 2.
    TVRXCommandChannel();

    TVRXCommandChannel(const TVRXCommandChannel&) = delete;
    TVRXCommandChannel& operator=(const TVRXCommandChannel&) = delete;

    // Transactions.
    ProtocolError WriteCommand(uint8_t code, uint8_t value, uint32_t timeout);
    ProtocolError ReadRegister(uint8_t code, uint8_t& value, uint32_t timeout);
    ProtocolError ReadBlock(uint8_t code, uint8_t* data, uint32_t count);
    ProtocolError WriteAndWait(uint8_t code, uint8_t pollCode, uint8_t value,
                               uint32_t transitionTimeout, uint32_t ioTimeout);

    // Launch modes and opening.
    ProtocolError OpenUnit(uint32_t index, uint8_t startAction);
    ProtocolError SwitchUnitsToLaunchMode();
    ProtocolError ApplyLaunchMode();

    // The text of lastError (transport text appended for 9 to 12) into a
    // caller's buffer of at least 256 characters, terminated at 255 at the latest.
    void GetErrorText(char* buffer) const;

    // Internal steps, public for the launch-mode procedures and tests.
    ProtocolError Transact(uint8_t* buffer, uint32_t messageLength, uint32_t& replyCapacity,
                           bool& echo, uint32_t timeout);
    ProtocolError SendOnly(const uint8_t* message);

    // Counts the units under one product ID of the current vendor, the way
    // the unit count of the exports needs it: bind, fresh enumeration, count.
    // Returns the lookup's status (6 when binding failed, count then 0).
    static TransportStatus LookupUnits(uint16_t vendorId, uint16_t productId, uint32_t& count);

    // The unit connection as the controller handles it, so that it never
    // reaches into the transport itself (unit_connection.cpp).
    bool IsUnitOpen() const;      // the device exists and holds a valid handle
    void CloseUnit();             // close the handle (if any), both report lengths 0
    bool IsLogging() const;       // the device exists and has a logger
    void SwitchLog(bool on);      // no-op without a device
    uint8_t LogDumpFlag() const;  // 1 without a device
    void SetLogDumpFlag(uint8_t flag);
    // Releases the process-wide HID binding, then destroys the device, which
    // closes a handle still open; what the owner's destruction does (binding.cpp).
    void ReleaseDevice();

    std::unique_ptr<THIDDevice> device;  // destroyed by the channel's owner
    uint32_t launchMode;
    ProtocolError lastError;
};
