// TVRXHardwareController: the one concrete class behind every object a host
// receives. It drives a real unit through its command channel, or answers
// from the simulated unit's values when index 0 is open.
//
// The class keeps its name outside the library's namespaces: hosts see its
// type information. Everything it uses lives in them.
//
// State, given by openIndex: -1 closed (unit operations return NotOpen), 0
// the simulated unit (no device traffic), N >= 1 real unit N of the family.
//
// No exception leaves an operation: whatever the layers below throw (out of
// memory, a failing system library) ends the operation with Aborted (5) and
// its text ("Out of memory.", "Unexpected error: ..."). Close and the
// destructor close the unit whatever happens while parking it.
#pragma once

#include <cstdint>
#include <memory>

#include "KL_VRX/KL_VRX.h"
#include "controller/controller_status.h"
#include "protocol/command_channel.h"

class TVRXHardwareController : public KL_VRXSDK::KLSYS_IVRX {
  public:
    using KL_IVRXCallback = KL_VRXSDK::KL_IVRXCallback;

    // Closed, family 0, no callbacks, hostValue 1, empty text; creates the
    // channel, which binds the HID library (a failure shows at the first
    // operation that needs it).
    TVRXHardwareController();
    // Parks and closes a real unit that is open, then releases the HID
    // binding and the channel. Never reports anything, never throws.
    ~TVRXHardwareController() override;

    TVRXHardwareController(const TVRXHardwareController&) = delete;
    TVRXHardwareController& operator=(const TVRXHardwareController&) = delete;

    // KL_IVRX (position_operations.cpp, lifecycle.cpp)
    uint32_t GetPositionCount(uint32_t* count) noexcept override;
    uint32_t GetPosition21(uint32_t* position) noexcept override;
    uint32_t SetPosition21(uint32_t position) noexcept override;
    uint32_t GetPosition20(uint32_t* position) noexcept override;
    uint32_t SetPosition20(uint32_t position) noexcept override;
    uint32_t GetPosition22(uint32_t* position) noexcept override;
    uint32_t SetPosition22(uint32_t position) noexcept override;
    uint32_t GetPosition23(uint32_t* position) noexcept override;
    uint32_t SetPosition23(uint32_t position) noexcept override;
    uint32_t SetState224(uint32_t state) noexcept override;
    uint32_t SetState18(uint32_t state) noexcept override;
    uint32_t GetPosition24(uint32_t* position) noexcept override;
    uint32_t SetPosition24(uint32_t position) noexcept override;
    const char* GetLastErrorText() noexcept override;

    // KL_IVRX2 (extended_operations.cpp, position_operations.cpp)
    uint32_t GetModelFamily(uint32_t* family) noexcept override;
    uint32_t GetPosition19Family2(uint32_t* position) noexcept override;
    uint32_t GetHostValue(uint32_t* value) noexcept override;
    uint32_t SetHostValue(uint32_t value) noexcept override;
    uint32_t GetFixedValue(uint32_t* value) noexcept override;
    uint32_t SetPosition20Callback(KL_IVRXCallback* callback) noexcept override;
    uint32_t SetPosition21Callback(KL_IVRXCallback* callback) noexcept override;
    uint32_t GetDeviceInfo(uint32_t* info0, uint32_t* info1, uint32_t* info2) noexcept override;
    uint32_t GetDeviceNumber(uint32_t* number) noexcept override;
    uint32_t GetLogging(bool* on) noexcept override;
    uint32_t SetLogging(bool on) noexcept override;
    uint32_t GetLogDumpFlag(uint8_t* flag) noexcept override;
    uint32_t SetLogDumpFlag(uint8_t flag) noexcept override;

    // KLSYS_IVRX (lifecycle.cpp, position_operations.cpp)
    uint32_t GetDeviceCount(int32_t* count) noexcept override;
    uint32_t Open(int32_t index, uint8_t startAction) noexcept override;
    uint32_t Close(bool park) noexcept override;
    uint32_t GetPosition19(uint32_t* position) noexcept override;
    uint32_t SetPosition19(uint32_t position) noexcept override;

    // Stores the family; for 1 or 2 also closes the channel's unit and makes
    // that family the current one of the process (any other value: family 0,
    // the current family kept).
    void SetModelFamily(uint32_t newFamily) noexcept;

    // Inside a catch handler: makes the exception being handled the failure
    // of the operation it cut short (its text in lastErrorText) and returns
    // Aborted. For the operations' own guard, and for a caller that reaches
    // them across another boundary.
    uint32_t FailedWithException() noexcept;

    // The protocol code behind the latest failure: the channel's error for
    // OpenFailed and CommandFailed, Success after any other failure (and
    // before any). Changes with lastErrorText.
    KL_VRXProtocol::ProtocolError LastFailureReason() const noexcept { return lastReason; }

  private:
    using VRXStatus = KL_VRXController::VRXStatus;

    // Runs an operation's body, turning whatever it throws into Aborted.
    template <typename TBody>
    uint32_t Guarded(TBody body) noexcept {
        try {
            return static_cast<uint32_t>(body());
        } catch (...) {
            return FailedWithException();
        }
    }

    // One element, or one state setting, as the read and set procedures see
    // it; the tables are in position_operations.cpp.
    struct TElement;
    struct TStateSetting;

    VRXStatus ReadElement(const TElement& element, uint32_t* position);
    VRXStatus SetElement(const TElement& element, uint32_t position);
    VRXStatus SetStateSetting(const TStateSetting& setting, uint32_t state);
    // Fills lastErrorText for a status: the channel's text for OpenFailed and
    // CommandFailed, the controller's own text otherwise. Returns status, for
    // `return SetErrorText(...)`.
    VRXStatus SetErrorText(VRXStatus status);
    // The family's count plus the simulated unit, -1 and OpenFailed on failure.
    VRXStatus CountDevices(int32_t& count);
    // Open without its guard.
    VRXStatus OpenIndex(int32_t index, uint8_t startAction);
    // Park (when asked and the unit is connected) and close a real unit.
    // Parking is a courtesy to the unit: nothing that goes wrong on the way,
    // an exception included, keeps the unit from being closed.
    void CloseRealUnit(bool park) noexcept;

    // Fields, in this order.
    uint32_t family;
    uint32_t sim21;  // simulated unit: device values of registers and commands
    uint32_t sim19;
    uint32_t sim20;
    uint32_t sim22;
    uint32_t sim23;
    uint32_t sim24;
    uint32_t sim224;
    uint32_t sim18;
    std::unique_ptr<KL_VRXProtocol::TVRXCommandChannel> channel;
    int32_t openIndex;
    uint32_t positionCount;
    char lastErrorText[256];
    KL_VRXProtocol::ProtocolError lastReason;
    KL_IVRXCallback* position20Callback;  // not owned
    KL_IVRXCallback* position21Callback;  // not owned
    uint32_t hostValue;
};
