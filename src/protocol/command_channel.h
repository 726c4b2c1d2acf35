// TVRXCommandChannel: the unit's command protocol over one THIDDevice.
//
// Every operation sets the channel's last error to Success when it starts,
// stores its result there and returns it; GetErrorText turns it into text.
// All of them block the calling thread; time is the OS layer's 32-bit tick
// count.
#pragma once

#include <cstdint>
#include <memory>

#include "hid/hid_device.h"
#include "hid/report_buffer.h"
#include "protocol/protocol_error.h"

namespace KL_VRXProtocol {

class TVRXCommandChannel {
  public:
    // Creates the device (which binds the HID library); launch mode 2.
    TVRXCommandChannel();
    ~TVRXCommandChannel();

    TVRXCommandChannel(const TVRXCommandChannel&) = delete;
    TVRXCommandChannel& operator=(const TVRXCommandChannel&) = delete;

    // ---- Transactions (transactions.cpp) ------------------------------------

    ProtocolError WriteCommand(uint8_t code, uint8_t value, uint32_t timeout);
    ProtocolError ReadRegister(uint8_t code, uint8_t& value, uint32_t timeout);
    ProtocolError ReadBlock(uint8_t code, uint8_t* data, uint32_t count);
    ProtocolError WriteAndWait(uint8_t code, uint8_t pollCode, uint8_t value,
                               uint32_t transitionTimeout, uint32_t ioTimeout);

    // ---- Launch modes, counting and opening (launch_mode.cpp) ---------------

    ProtocolError SwitchUnitsToLaunchMode();
    ProtocolError ApplyLaunchMode();
    // The current family's units under its first product ID, after
    // SwitchUnitsToLaunchMode: what a controller counts. DeviceInfoFailed
    // when the lookup fails.
    ProtocolError CountFamilyUnits(uint32_t& count);
    ProtocolError OpenUnit(uint32_t index, uint8_t startAction);

    // Counts the units under one product ID, the way the unit count of the
    // exports needs it: bind, fresh enumeration, count. Returns the lookup's
    // status (ApiLoadFailed when binding failed, the count then 0).
    static KL_VRXHid::TransportStatus LookupUnits(uint16_t vendorId, uint16_t productId,
                                                  uint32_t& count);

    // ---- The unit connection (command_channel.cpp) --------------------------

    // The text of the last error (GetProtocolErrorText) into a caller's
    // buffer of at least ProtocolTextSize characters.
    void GetErrorText(char* buffer) const;
    // The last error itself (what GetErrorText describes).
    ProtocolError LastError() const { return lastError; }

    bool IsUnitOpen() const;      // the device exists and holds a valid handle
    void CloseUnit() noexcept;    // close the handle (if any), both report lengths 0
    bool IsLogging() const;       // the device exists and has a logger
    void SwitchLog(bool on);      // no-op without a device
    uint8_t LogDumpFlag() const;  // 1 without a device
    void SetLogDumpFlag(uint8_t flag);
    // Releases the process-wide HID binding, then destroys the device, which
    // closes a handle still open; what the owner's destruction does. Waits
    // for any thread inside hid.dll or discovery; never fails.
    void ReleaseDevice() noexcept;

  private:
    // Binds the HID library and requires an open handle (DeviceNotOpen as the
    // latest transport status when there is none, also once the owner has
    // released the device). NotOpened on either failure; nothing is sent.
    ProtocolError CheckUnit();
    // OpenUnitByIndex on the device; DeviceNotOpen (stored) once it is released.
    KL_VRXHid::TransportStatus OpenOnDevice(uint16_t vendorId, uint16_t productId, uint32_t index);
    // One message and its reply (command_channel.cpp). replyCapacity: the
    // size of buffer in, bytes received out.
    ProtocolError Transact(uint8_t* buffer, uint32_t messageLength, uint32_t& replyCapacity,
                           bool& echo, uint32_t timeout);
    // One 2-byte message, no reply (command_channel.cpp).
    ProtocolError SendOnly(const uint8_t* message);
    // A message of 2 (register, block or poll) or 3 bytes (write) and its
    // echoed reply, which reply then points to: the input report length in
    // bytes, in the channel's reply buffer (transactions.cpp).
    ProtocolError Exchange(uint8_t code, const uint8_t* value, uint32_t timeout,
                           const uint8_t*& reply, uint32_t dataBytes = 1);

    std::unique_ptr<KL_VRXHid::THIDDevice> device;  // destroyed by the channel's owner
    uint32_t launchMode;
    ProtocolError lastError;
    // Each transaction's message and reply: as long as the open unit's input
    // report, made once, never per transaction.
    KL_VRXHid::TReportBuffer replyBuffer;
};

}  // namespace KL_VRXProtocol
