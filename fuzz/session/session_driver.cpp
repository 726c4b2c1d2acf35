#include "session/session_driver.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "KL_VRX/KL_VRX.h"
#include "KL_VRX/emulator.h"
#include "session/session_checks.h"

namespace KL_VRXFuzz {

using KL_VRXSDK::KL_IVRX;
using KL_VRXSDK::KL_IVRX2;
using KL_VRXSDK::KL_IVRXCallback;
using KL_VRXSDK::KLSYS_IVRX;

namespace {

constexpr uint32_t NoPosition = 99999;
constexpr uint32_t Untouched = 0xA5A5A5A5u;
// The simulated unit, the units and the foreign interfaces that show a
// unit's identifiers.
constexpr uint32_t MaxCount = 1 + 2 * MaxUnits;

// The statuses each kind of entry documents; 512 also for a null out pointer.
constexpr std::initializer_list<uint32_t> ReadStatuses = {0, 2, 5, 11, 512};
constexpr std::initializer_list<uint32_t> SetStatuses = {0, 2, 5, 512};
constexpr std::initializer_list<uint32_t> BlockStatuses = {0, 2, 5, 512};
constexpr std::initializer_list<uint32_t> AlwaysStatuses = {0, 512};

// Counts the calls the library makes to one host callback.
class TCallback final : public KL_IVRXCallback {
  public:
    void OnChanged() override { ++calls; }
    unsigned calls = 0;
};

// One controller the session holds, with what the host knows of it.
struct TSlot {
    KL_IVRX* vrx = nullptr;
    TCallback callback20;
    TCallback callback21;
    bool registered20 = false;
    bool registered21 = false;
    uint32_t hostValue = 1;
    bool logging = false;
    uint8_t dumpFlag = 0;
};

class TSession {
  public:
    TSession(KL_ISessionInput& input, const std::string& logDirectory,
             std::vector<uint32_t>* statuses)
        : input(input), link(input), statuses(statuses) {
        const uint8_t flags = input.Choice();
        bus.SetDriveRoot((flags & 1) != 0 ? logDirectory + "/missing" : logDirectory);
    }

    void Run() {
        for (unsigned step = 0; step < MaxSteps && !input.AtEnd(); ++step)
            Step(StepOf(input.Choice()));
        // Deleting parks every real unit still open: the same start-up and
        // parking a host's session ends with.
        for (TSlot& slot : slots)
            Delete(slot);
        RequireTerminated(GetLastVRXDLLError(), "GetLastVRXDLLError");
    }

  private:
    void Step(TStep step) {
        switch (step) {
            case TStep::Operation:
                Operation();
                break;
            case TStep::CountUnits:
                CountUnits();
                break;
            case TStep::Create:
                Create();
                break;
            case TStep::Delete:
                Delete(slots[input.Choice() % Slots]);
                break;
            case TStep::AttachUnit:
                AttachUnit();
                break;
            case TStep::DetachUnit:
                if (KL_VRXEmu::TEmulatedUnit* unit = PickUnit()) {
                    units.erase(std::find(units.begin(), units.end(), unit));
                    bus.Detach(*unit);
                }
                break;
            case TStep::TuneUnit:
                TuneUnit();
                break;
            case TStep::TuneBus:
                TuneBus();
                break;
        }
    }

    uint32_t Record(uint32_t status) {
        if (statuses != nullptr)
            statuses->push_back(status);
        return status;
    }

    // ---- Exports ---------------------------------------------------------------------------

    void CountUnits() {
        const bool null = input.Choice() == NullPointerChoice;
        uint32_t count = Untouched;
        const uint32_t status = Record(GetVRXDeviceCount(null ? nullptr : &count));
        RequireStatus(status, {0, 5, 513}, "GetVRXDeviceCount");
        Require(status != 513 || null, "GetVRXDeviceCount: 513 without a null pointer");
        Require(status == 0 ? count >= 1 && count <= MaxCount : count == Untouched,
                "GetVRXDeviceCount: count", status, count);
        if (status != 0)
            RequireCountText(GetLastVRXDLLError(), status);
    }

    void Create() {
        TSlot& slot = slots[input.Choice() % Slots];
        const int32_t hostIndex = Index(input.Choice());
        const bool internal = (input.Choice() & 1) != 0;
        Delete(slot);
        slot = TSlot{};
        slot.vrx = internal ? CreateVRXInternal(hostIndex) : CreateVRX(hostIndex);
        Record(slot.vrx != nullptr ? 0 : 1);
        if (slot.vrx == nullptr) {
            RequireCreationText(GetLastVRXDLLError());
            return;
        }
        Require(GetVRX2(slot.vrx) == static_cast<KL_IVRX2*>(Sys(slot)), "GetVRX2");
        Require(slot.vrx->GetLastErrorText()[0] == '\0', "CreateVRX: a new controller's text");
    }

    void Delete(TSlot& slot) {
        RequireStatus(Record(DeleteVRX(slot.vrx)), {0}, "DeleteVRX");
        slot.vrx = nullptr;
    }

    // ---- The 33 entries --------------------------------------------------------------------

    static KLSYS_IVRX* Sys(TSlot& slot) { return dynamic_cast<KLSYS_IVRX*>(slot.vrx); }

    uint32_t* OutPointer(uint32_t& value) {
        value = Untouched;
        return input.Choice() == NullPointerChoice ? nullptr : &value;
    }

    // A read of a position: a documented status, the value stored on
    // success (maxValue at most, or 99999 from the simulated unit) and on
    // 11 (99999), untouched otherwise.
    void ReadPosition(TSlot& slot, uint32_t (KLSYS_IVRX::*read)(uint32_t*), uint32_t maxValue,
                      const char* name) {
        uint32_t value = 0;
        uint32_t* out = OutPointer(value);
        const uint32_t status = Record((Sys(slot)->*read)(out));
        RequireStatus(status, ReadStatuses, name);
        Require(status != 512 || out == nullptr, name, status);
        if (status == 0)
            Require(value <= maxValue || value == NoPosition, name, status, value);
        else if (status == 11)
            Require(value == NoPosition, name, status, value);
        else
            Require(value == Untouched, name, status, value);
        RequireControllerText(slot.vrx->GetLastErrorText(), status, name);
    }

    // A set: a documented status, and the element's callback called once
    // after a success, never after a failure.
    void SetValue(TSlot& slot, uint32_t (KLSYS_IVRX::*set)(uint32_t), const char* name,
                  TCallback* callback = nullptr) {
        const uint32_t before = callback != nullptr ? callback->calls : 0;
        const uint32_t status = Record((Sys(slot)->*set)(ApiValue(input.Choice())));
        RequireStatus(status, SetStatuses, name);
        RequireControllerText(slot.vrx->GetLastErrorText(), status, name);
        if (callback != nullptr)
            Require(callback->calls == before + (status == 0 ? 1u : 0u), name, status,
                    callback->calls - before);
    }

    void Operation() {
        TSlot& slot = slots[input.Choice() % Slots];
        const auto entry =
            static_cast<TEntry>(input.Choice() % static_cast<unsigned>(TEntry::Count));
        if (slot.vrx == nullptr) {
            for (unsigned i = 0; i < EntryArguments(entry); ++i)
                input.Choice();
            return;
        }
        KLSYS_IVRX& sys = *Sys(slot);
        uint32_t value = 0;
        switch (entry) {
            case TEntry::GetPositionCount: {
                uint32_t* out = OutPointer(value);
                const uint32_t status = Record(sys.GetPositionCount(out));
                RequireStatus(status, {0, 2, 512}, "GetPositionCount");
                Require(status != 0 || value == 3 || value == 4, "GetPositionCount", value);
                break;
            }
            case TEntry::GetPosition21:
                ReadPosition(slot, &KLSYS_IVRX::GetPosition21, 4, "GetPosition21");
                break;
            case TEntry::SetPosition21:
                SetValue(slot, &KLSYS_IVRX::SetPosition21, "SetPosition21",
                         slot.registered21 ? &slot.callback21 : nullptr);
                break;
            case TEntry::GetPosition20:
                ReadPosition(slot, &KLSYS_IVRX::GetPosition20, 4, "GetPosition20");
                break;
            case TEntry::SetPosition20:
                SetValue(slot, &KLSYS_IVRX::SetPosition20, "SetPosition20",
                         slot.registered20 ? &slot.callback20 : nullptr);
                break;
            case TEntry::GetPosition22:
                ReadPosition(slot, &KLSYS_IVRX::GetPosition22, 1, "GetPosition22");
                break;
            case TEntry::SetPosition22:
                SetValue(slot, &KLSYS_IVRX::SetPosition22, "SetPosition22");
                break;
            case TEntry::GetPosition23:
                ReadPosition(slot, &KLSYS_IVRX::GetPosition23, 1, "GetPosition23");
                break;
            case TEntry::SetPosition23:
                SetValue(slot, &KLSYS_IVRX::SetPosition23, "SetPosition23");
                break;
            case TEntry::SetState224:
                SetValue(slot, &KLSYS_IVRX::SetState224, "SetState224");
                break;
            case TEntry::SetState18:
                SetValue(slot, &KLSYS_IVRX::SetState18, "SetState18");
                break;
            case TEntry::GetPosition24:
                ReadPosition(slot, &KLSYS_IVRX::GetPosition24, 1, "GetPosition24");
                break;
            case TEntry::SetPosition24:
                SetValue(slot, &KLSYS_IVRX::SetPosition24, "SetPosition24");
                break;
            case TEntry::GetLastErrorText:
                RequireTerminated(sys.GetLastErrorText(), "GetLastErrorText");
                break;
            case TEntry::Destructor:
                delete slot.vrx;
                slot.vrx = nullptr;
                break;
            case TEntry::GetModelFamily: {
                uint32_t* out = OutPointer(value);
                const uint32_t status = Record(sys.GetModelFamily(out));
                RequireStatus(status, AlwaysStatuses, "GetModelFamily");
                Require(status != 0 || value == 1 || value == 2, "GetModelFamily", value);
                break;
            }
            case TEntry::GetPosition19Family2:
                ReadPosition(slot, &KLSYS_IVRX::GetPosition19Family2, 1, "GetPosition19Family2");
                break;
            case TEntry::GetHostValue: {
                uint32_t* out = OutPointer(value);
                const uint32_t status = Record(sys.GetHostValue(out));
                RequireStatus(status, AlwaysStatuses, "GetHostValue");
                Require(status != 0 || value == slot.hostValue, "GetHostValue", value);
                break;
            }
            case TEntry::SetHostValue:
                slot.hostValue = ApiValue(input.Choice());
                RequireStatus(Record(sys.SetHostValue(slot.hostValue)), {0}, "SetHostValue");
                break;
            case TEntry::GetFixedValue: {
                uint32_t* out = OutPointer(value);
                const uint32_t status = Record(sys.GetFixedValue(out));
                RequireStatus(status, AlwaysStatuses, "GetFixedValue");
                Require(status != 0 || value == 30, "GetFixedValue", value);
                break;
            }
            case TEntry::SetPosition20Callback:
                slot.registered20 = (input.Choice() & 1) == 0;
                RequireStatus(Record(sys.SetPosition20Callback(slot.registered20 ? &slot.callback20
                                                                                 : nullptr)),
                              {0}, "SetPosition20Callback");
                break;
            case TEntry::SetPosition21Callback:
                slot.registered21 = (input.Choice() & 1) == 0;
                RequireStatus(Record(sys.SetPosition21Callback(slot.registered21 ? &slot.callback21
                                                                                 : nullptr)),
                              {0}, "SetPosition21Callback");
                break;
            case TEntry::GetDeviceInfo:
                DeviceInfo(slot);
                break;
            case TEntry::GetDeviceNumber: {
                uint32_t* out = OutPointer(value);
                const uint32_t status = Record(sys.GetDeviceNumber(out));
                RequireStatus(status, BlockStatuses, "GetDeviceNumber");
                // Four packed-decimal bytes whose nibbles go unchecked: at most
                // 165 per byte pair of digits.
                Require(status == 0 ? value <= 166666665u : value == Untouched, "GetDeviceNumber",
                        status, value);
                RequireControllerText(sys.GetLastErrorText(), status, "GetDeviceNumber");
                break;
            }
            case TEntry::GetLogging: {
                bool on = !slot.logging;
                const bool null = input.Choice() == NullPointerChoice;
                const uint32_t status = Record(sys.GetLogging(null ? nullptr : &on));
                RequireStatus(status, AlwaysStatuses, "GetLogging");
                Require(status != 0 || on == slot.logging, "GetLogging", on);
                break;
            }
            case TEntry::SetLogging:
                slot.logging = (input.Choice() & 1) != 0;
                RequireStatus(Record(sys.SetLogging(slot.logging)), {0}, "SetLogging");
                break;
            case TEntry::GetLogDumpFlag: {
                uint8_t flag = static_cast<uint8_t>(~slot.dumpFlag);
                const bool null = input.Choice() == NullPointerChoice;
                const uint32_t status = Record(sys.GetLogDumpFlag(null ? nullptr : &flag));
                RequireStatus(status, AlwaysStatuses, "GetLogDumpFlag");
                Require(status != 0 || flag == slot.dumpFlag, "GetLogDumpFlag", flag);
                break;
            }
            case TEntry::SetLogDumpFlag:
                slot.dumpFlag = input.Choice();
                RequireStatus(Record(sys.SetLogDumpFlag(slot.dumpFlag)), {0}, "SetLogDumpFlag");
                break;
            case TEntry::GetDeviceCount: {
                int32_t count = static_cast<int32_t>(Untouched);
                const bool null = input.Choice() == NullPointerChoice;
                const uint32_t status = Record(sys.GetDeviceCount(null ? nullptr : &count));
                RequireStatus(status, {0, 3, 512}, "GetDeviceCount");
                Require(status != 0 || (count >= 1 && count <= static_cast<int32_t>(MaxCount)),
                        "GetDeviceCount", status, static_cast<uint32_t>(count));
                Require(status != 3 || count == -1, "GetDeviceCount: -1 after a failure", count);
                RequireControllerText(sys.GetLastErrorText(), status, "GetDeviceCount");
                break;
            }
            case TEntry::Open: {
                const int32_t index = Index(input.Choice());
                const uint8_t startAction = input.Choice();
                const uint32_t status = Record(sys.Open(index, startAction));
                RequireStatus(status, {0, 3, 10}, "Open");
                RequireControllerText(sys.GetLastErrorText(), status, "Open");
                break;
            }
            case TEntry::Close:
                RequireStatus(Record(sys.Close((input.Choice() & 1) != 0)), {0}, "Close");
                break;
            case TEntry::GetPosition19:
                ReadPosition(slot, &KLSYS_IVRX::GetPosition19, 1, "GetPosition19");
                break;
            case TEntry::SetPosition19:
                SetValue(slot, &KLSYS_IVRX::SetPosition19, "SetPosition19");
                break;
            case TEntry::Count:
                break;
        }
    }

    void DeviceInfo(TSlot& slot) {
        uint32_t info[3] = {Untouched, Untouched, Untouched};
        const bool null = input.Choice() == NullPointerChoice;
        const uint32_t status =
            Record(Sys(slot)->GetDeviceInfo(null ? nullptr : &info[0], &info[1], &info[2]));
        RequireStatus(status, BlockStatuses, "GetDeviceInfo");
        for (uint32_t byte : info)
            Require(status == 0 ? byte <= 0xFF : byte == Untouched, "GetDeviceInfo", status, byte);
        RequireControllerText(slot.vrx->GetLastErrorText(), status, "GetDeviceInfo");
    }

    // ---- The bus and its units -------------------------------------------------------------

    KL_VRXEmu::TEmulatedUnit* PickUnit() {
        const uint8_t choice = input.Choice();
        return units.empty() ? nullptr : units[choice % units.size()];
    }

    void AttachUnit() {
        const unsigned family = (input.Choice() & 1) != 0 ? 2 : 1;
        const unsigned launchMode = input.Choice() % 4 == 0 ? 1 : 2;
        const uint16_t inputLength = ReportLength(input.Choice());
        const uint16_t outputLength = ReportLength(input.Choice());
        if (units.size() >= MaxUnits)
            return;
        KL_VRXEmu::TEmulatedUnit& unit = bus.AttachUnit(family, launchMode);
        unit.SetReportLengths(inputLength, outputLength);
        unit.SetReplySource(&link);
        units.push_back(&unit);
    }

    void TuneUnit() {
        KL_VRXEmu::TEmulatedUnit* unit = PickUnit();
        const uint8_t setting = input.Choice() % 8;
        const uint8_t first = input.Choice();
        const uint8_t second = input.Choice();
        if (unit == nullptr)
            return;
        const auto reg = static_cast<uint8_t>(18 + first % 7);
        static constexpr uint32_t TransitionTimes[] = {0, 5, 400, 700, 3000, 6020, 25001, 1};
        switch (setting) {
            case 0:
                unit->SetRegister(reg, second);
                break;
            case 1:
                unit->SetTransitionTime(reg, TransitionTimes[second % std::size(TransitionTimes)]);
                break;
            case 2:
                unit->SetStuck(reg, (second & 1) != 0);
                break;
            case 3:
                unit->SetBlock((first & 1) != 0 ? 25 : 0,
                               std::vector<uint8_t>(second % 6, static_cast<uint8_t>(first)));
                break;
            case 4:
                unit->SetReportLengths(ReportLength(first), ReportLength(second));
                break;
            case 5:
                unit->SetGetCapsFails((first & 1) != 0);
                break;
            case 6:
                unit->SetIgnoresLaunchModeSwitch((first & 1) != 0);
                break;
            case 7:
                unit->SetReplyCode((first & 1) != 0 ? std::optional<uint8_t>(second)
                                                    : std::nullopt);
                break;
        }
    }

    static uint32_t ErrorOrNone(uint8_t choice) {
        return choice == 0 ? 0 : ErrorCodes[choice % std::size(ErrorCodes)];
    }

    void TuneBus() {
        const uint8_t setting = input.Choice() % 8;
        const uint8_t first = input.Choice();
        const uint8_t second = input.Choice();
        static constexpr const char* EntryPoints[] = {
            "HidD_GetHidGuid",      "HidD_GetPreparsedData",      "HidD_FreePreparsedData",
            "HidP_GetCaps",         "HidD_GetSerialNumberString", "HidD_GetManufacturerString",
            "HidD_GetProductString"};
        static constexpr uint16_t ProductIds[] = {0x0E32, 0x0E31, 0x0E58, 0x0E57};
        switch (setting) {
            case 0:
                bus.SetHidLibraryLoads((first & 1) == 0);
                break;
            case 1:
                bus.SetEntryPointPresent(EntryPoints[first % std::size(EntryPoints)],
                                         (second & 1) == 0);
                break;
            case 2:
                bus.SetClassDevsError(ErrorOrNone(first), second % 4);
                break;
            case 3:
                bus.SetEnumerationError(ErrorOrNone(first));
                break;
            case 4:
                bus.SetDetailError(second % 4, ErrorOrNone(first));
                break;
            case 5:
                bus.SetTick(0xFFFFFFFFu - first * 16u);
                break;
            case 6:
                bus.SetReportLatency(first % 4);
                break;
            case 7:
                if (foreign++ < MaxUnits)
                    bus.AttachForeign((first & 1) != 0 ? 0x3C5A : 0x046D,
                                      ProductIds[second % std::size(ProductIds)]);
                break;
        }
    }

    KL_ISessionInput& input;
    KL_VRXEmu::TEmulatedBus bus;
    TInputLink link;
    std::vector<uint32_t>* statuses;
    std::array<TSlot, Slots> slots;
    std::vector<KL_VRXEmu::TEmulatedUnit*> units;
    unsigned foreign = 0;
};

}  // namespace

unsigned EntryArguments(TEntry entry) {
    switch (entry) {
        case TEntry::GetLastErrorText:
        case TEntry::Destructor:
        case TEntry::Count:
            return 0;
        case TEntry::Open:
            return 2;
        default:
            return 1;
    }
}

uint32_t ApiValue(uint8_t choice) {
    static constexpr uint32_t FarOut[] = {
        99999, 0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu, 256, 257, 6, 15,
        16,    127,         255,         1000,        2,   3,   4, 5};
    return choice < 0xF0 ? choice % 6u : FarOut[choice & 0x0F];
}

int32_t Index(uint8_t choice) {
    static constexpr int32_t FarOut[] = {INT32_MIN, INT32_MAX, -2,  -100, 7, 8, 9, 10,
                                         11,        100,       255, 256,  0, 1, 2, 3};
    return choice < 0xF0 ? static_cast<int32_t>(choice % 8u) - 1 : FarOut[choice & 0x0F];
}

uint16_t ReportLength(uint8_t choice) {
    static constexpr uint16_t Lengths[] = {65, 64,  3,   2,    1,  0,  4, 8,
                                           33, 255, 256, 1024, 65, 65, 9, 66};
    return Lengths[choice % std::size(Lengths)];
}

void RunSession(KL_ISessionInput& input, const std::string& logDirectory,
                std::vector<uint32_t>* statuses) {
    TSession(input, logDirectory, statuses).Run();
}

}  // namespace KL_VRXFuzz
