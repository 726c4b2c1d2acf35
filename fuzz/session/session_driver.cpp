#include "session/session_driver.h"

#include <stdlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <type_traits>
#include <utility>

#include "KL_VRX/KL_VRX.h"

namespace KL_VRXFuzz {

using KL_VRXSDK::KL_IVRX2;
using KL_VRXSDK::KLSYS_IVRX;

namespace {

constexpr uint32_t NoPosition = 99999;
constexpr uint32_t Untouched = 0xA5A5A5A5u;
constexpr uint8_t NullPointer = 0xFF;
constexpr unsigned Slots = 3;
constexpr unsigned MaxUnits = 4;
constexpr unsigned MaxSteps = 64;
// The simulated unit, the units and the foreign interfaces that show a
// unit's identifiers.
constexpr uint32_t MaxCount = 1 + 2 * MaxUnits;

// The statuses each kind of entry documents; 512 also for a null out pointer.
constexpr std::initializer_list<uint32_t> ReadStatuses = {0, 2, 5, 11, 512};
constexpr std::initializer_list<uint32_t> SetStatuses = {0, 2, 5, 512};
constexpr std::initializer_list<uint32_t> AlwaysStatuses = {0, 512};
constexpr std::initializer_list<uint32_t> OkOnly = {0};

bool Documents(std::initializer_list<uint32_t> statuses, uint32_t status) {
    return std::find(statuses.begin(), statuses.end(), status) != statuses.end();
}

void Require(bool ok, const char* what, uint64_t seen = 0, uint64_t detail = 0) {
    if (ok)
        return;
    std::fprintf(stderr, "session check failed: %s (%llu, %llu)\n", what,
                 static_cast<unsigned long long>(seen), static_cast<unsigned long long>(detail));
    std::abort();
}

// A text terminated within 256 characters; when failed, also a non-empty
// line of printable ASCII that ends its last sentence.
void RequireText(const char* text, bool failed, const char* what) {
    Require(text != nullptr && std::memchr(text, '\0', 256) != nullptr, what);
    if (!failed)
        return;
    const size_t length = std::strlen(text);
    Require(length > 0 && (text[length - 1] == '.' || text[length - 1] == '!'), what, length);
    for (size_t i = 0; i < length; ++i)
        Require(text[i] >= 0x20 && text[i] < 0x7F, what, i, static_cast<uint8_t>(text[i]));
}

// Values of set operations: small ones mostly, and a few far out.
uint32_t ApiValue(uint8_t choice) {
    static constexpr uint32_t FarOut[] = {
        99999, 0xFFFFFFFFu, 0x80000000u, 0x7FFFFFFFu, 256, 257, 6, 15,
        16,    127,         255,         1000,        2,   3,   4, 5};
    return choice < 0xF0 ? choice % 6u : FarOut[choice & 0x0F];
}

// Host and unit indices: -1 to 6 mostly, and a few far out.
int32_t Index(uint8_t choice) {
    static constexpr int32_t FarOut[] = {INT32_MIN, INT32_MAX, -2,  -100, 7, 8, 9, 10,
                                         11,        100,       255, 256,  0, 1, 2, 3};
    return choice < 0xF0 ? static_cast<int32_t>(choice % 8u) - 1 : FarOut[choice & 0x0F];
}

// Report lengths of an attached unit: 65 (the default) for choice 0.
uint16_t ReportLength(uint8_t choice) {
    static constexpr uint16_t Lengths[] = {65, 64,  3,   2,    1,  0,  4, 8,
                                           33, 255, 256, 1024, 65, 65, 9, 66};
    return Lengths[choice % std::size(Lengths)];
}

// Counts the library's calls of one host callback.
struct TCallback final : KL_VRXSDK::KL_IVRXCallback {
    void OnChanged() override { ++calls; }
    unsigned calls = 0;
    bool registered = false;
};

// One controller the session holds, with what the host knows of it.
struct TSlot {
    KL_VRXSDK::KL_IVRX* vrx = nullptr;
    TCallback callback20;
    TCallback callback21;
    uint32_t hostValue = 1;
    bool logging = false;
    uint8_t dumpFlag = 0;
};

// "C:\\" of one session: a fresh directory, removed with the traffic log
// in it when the session ends, so a long run does not fill the disk.
class TDriveRoot {
  public:
    TDriveRoot() { Require(mkdtemp(path) != nullptr, "mkdtemp"); }
    ~TDriveRoot() { std::filesystem::remove_all(path); }
    char path[32] = "/tmp/kl_vrx_session.XXXXXX";
};

class TSession;

// One of the 33 entries: a read of a value (get, its statuses and range), a
// set of one (set, its statuses and the callback it calls), or its own run.
struct TEntry {
    const char* name;
    void (TSession::*run)(TSlot& slot, const TEntry& entry, uint8_t first, uint8_t second);
    uint32_t (KLSYS_IVRX::*get)(uint32_t*);
    uint32_t (KLSYS_IVRX::*set)(uint32_t);
    std::initializer_list<uint32_t> statuses;
    uint32_t min;
    uint32_t max;
    TCallback TSlot::*callback;
};

class TSession {
  public:
    explicit TSession(TFuzzInput& input) : input(input) {
        const uint8_t flags = input.Choice();
        bus.SetDriveRoot(std::string(root.path) + ((flags & 1) != 0 ? "/missing" : ""));
    }

    void Run() {
        // Choices 0 to 7 and 15 (mod 16) call an entry; 8 to 14 take the other steps.
        using S = TSession;
        static constexpr void (TSession::*Steps[16])() = {
            &S::Operation,  &S::Operation, &S::Operation,  &S::Operation,
            &S::Operation,  &S::Operation, &S::Operation,  &S::Operation,
            &S::CountUnits, &S::Create,    &S::DeleteSlot, &S::AttachUnit,
            &S::DetachUnit, &S::TuneUnit,  &S::TuneBus,    &S::Operation};
        for (unsigned step = 0; step < MaxSteps && !input.AtEnd(); ++step)
            (this->*Steps[input.Choice() % 16u])();
        // Deleting parks every real unit still open: the same start-up and
        // parking a host's session ends with.
        for (TSlot& slot : slots)
            Delete(slot);
        RequireText(GetLastVRXDLLError(), false, "GetLastVRXDLLError");
    }

    static const TEntry Entries[33];

  private:
    // ---- Exports ---------------------------------------------------------------------------

    void CountUnits() {
        const bool null = input.Choice() == NullPointer;
        uint32_t count = Untouched;
        const uint32_t status = GetVRXDeviceCount(null ? nullptr : &count);
        Require(Documents({0, 5, 513}, status), "GetVRXDeviceCount", status);
        Require(status == 0 ? count >= 1 && count <= MaxCount : count == Untouched,
                "GetVRXDeviceCount: count", status, count);
        RequireText(GetLastVRXDLLError(), status != 0, "GetVRXDeviceCount");
    }

    void Create() {
        TSlot& slot = slots[input.Choice() % Slots];
        const int32_t hostIndex = Index(input.Choice());
        const bool internal = (input.Choice() & 1) != 0;
        Delete(slot);
        slot = TSlot{};
        slot.vrx = internal ? CreateVRXInternal(hostIndex) : CreateVRX(hostIndex);
        if (slot.vrx == nullptr)
            return RequireText(GetLastVRXDLLError(), true, "CreateVRX");
        Require(GetVRX2(slot.vrx) == Sys(slot), "GetVRX2");
    }

    void DeleteSlot() { Delete(slots[input.Choice() % Slots]); }

    void Delete(TSlot& slot) {
        Require(DeleteVRX(std::exchange(slot.vrx, nullptr)) == 0, "DeleteVRX");
    }

    // ---- The 33 entries --------------------------------------------------------------------

    static KLSYS_IVRX* Sys(TSlot& slot) { return dynamic_cast<KLSYS_IVRX*>(slot.vrx); }

    // The status documented, and the controller's text after it.
    uint32_t Check(TSlot& slot, uint32_t status, const TEntry& entry) {
        Require(Documents(entry.statuses, status), entry.name, status);
        const bool failed = Documents({3, 5, 10, 11, 512}, status);
        RequireText(slot.vrx->GetLastErrorText(), failed, entry.name);
        return status;
    }

    void Operation() {
        TSlot& slot = slots[input.Choice() % Slots];
        const TEntry& entry = Entries[input.Choice() % std::size(Entries)];
        const uint8_t first = input.Choice();
        const uint8_t second = input.Choice();
        if (slot.vrx != nullptr)
            (this->*entry.run)(slot, entry, first, second);
    }

    // A read: on success a value in range (or 99999 from a position of the
    // simulated unit), 99999 on 11, untouched on any other failure.
    void Get(TSlot& slot, const TEntry& entry, uint8_t pointer, uint8_t /*unused*/) {
        uint32_t value = Untouched;
        const bool null = pointer == NullPointer;
        const uint32_t status =
            Check(slot, (Sys(slot)->*entry.get)(null ? nullptr : &value), entry);
        Require(status != 512 || null, entry.name, status);
        const bool position = Documents(entry.statuses, 11);
        if (status == 0)
            Require((value >= entry.min && value <= entry.max) || (position && value == NoPosition),
                    entry.name, status, value);
        else
            Require(value == (status == 11 ? NoPosition : Untouched), entry.name, status, value);
    }

    // A set: the element's callback, when registered, called once after a
    // success and never after a failure.
    void Set(TSlot& slot, const TEntry& entry, uint8_t value, uint8_t /*unused*/) {
        TCallback* callback = entry.callback != nullptr ? &(slot.*entry.callback) : nullptr;
        const unsigned before = callback != nullptr ? callback->calls : 0;
        const uint32_t status = Check(slot, (Sys(slot)->*entry.set)(ApiValue(value)), entry);
        if (callback != nullptr)
            Require(callback->calls == before + (status == 0 && callback->registered ? 1u : 0u),
                    entry.name, status, callback->calls - before);
    }

    void LastErrorText(TSlot& slot, const TEntry& entry, uint8_t, uint8_t) {
        RequireText(Sys(slot)->GetLastErrorText(), false, entry.name);
    }

    void Destroy(TSlot& slot, const TEntry&, uint8_t, uint8_t) {
        delete std::exchange(slot.vrx, nullptr);
    }

    void SetCallback(TSlot& slot, const TEntry& entry, uint8_t null, uint8_t) {
        TCallback& callback = slot.*entry.callback;
        callback.registered = (null & 1) == 0;
        const auto set = entry.callback == &TSlot::callback20 ? &KLSYS_IVRX::SetPosition20Callback
                                                              : &KLSYS_IVRX::SetPosition21Callback;
        Check(slot, (Sys(slot)->*set)(callback.registered ? &callback : nullptr), entry);
    }

    void DeviceInfo(TSlot& slot, const TEntry& entry, uint8_t pointer, uint8_t) {
        uint32_t info[3] = {Untouched, Untouched, Untouched};
        const bool null = pointer == NullPointer;
        const uint32_t status = Check(
            slot, Sys(slot)->GetDeviceInfo(null ? nullptr : &info[0], &info[1], &info[2]), entry);
        for (uint32_t byte : info)
            Require(status == 0 ? byte <= 0xFF : byte == Untouched, entry.name, status, byte);
    }

    // A value the host stored: read back as it was set.
    template <typename T, uint32_t (KL_IVRX2::*get)(T*), T TSlot::*stored>
    void GetStored(TSlot& slot, const TEntry& entry, uint8_t pointer, uint8_t) {
        T value = slot.*stored == T{} ? T{1} : T{};
        const uint32_t status =
            Check(slot, (Sys(slot)->*get)(pointer == NullPointer ? nullptr : &value), entry);
        Require(status != 0 || value == slot.*stored, entry.name, status, value);
    }

    template <typename T, uint32_t (KL_IVRX2::*set)(T), T TSlot::*stored>
    void SetStored(TSlot& slot, const TEntry& entry, uint8_t choice, uint8_t) {
        slot.*stored = static_cast<T>(std::is_same_v<T, uint32_t> ? ApiValue(choice) : choice);
        Check(slot, (Sys(slot)->*set)(slot.*stored), entry);
    }

    void GetDeviceCount(TSlot& slot, const TEntry& entry, uint8_t pointer, uint8_t) {
        auto count = static_cast<int32_t>(Untouched);
        const uint32_t status = Check(
            slot, Sys(slot)->GetDeviceCount(pointer == NullPointer ? nullptr : &count), entry);
        Require(status != 0 || (count >= 1 && count <= static_cast<int32_t>(MaxCount)), entry.name,
                status, static_cast<uint32_t>(count));
        Require(status != 3 || count == -1, "GetDeviceCount: -1 after a failure");
    }

    void Open(TSlot& slot, const TEntry& entry, uint8_t index, uint8_t startAction) {
        Check(slot, Sys(slot)->Open(Index(index), startAction), entry);
    }

    void Close(TSlot& slot, const TEntry& entry, uint8_t park, uint8_t) {
        Check(slot, Sys(slot)->Close((park & 1) != 0), entry);
    }

    // ---- The bus and its units -------------------------------------------------------------

    KL_VRXEmu::TEmulatedUnit* PickUnit() {
        const uint8_t choice = input.Choice();
        return units.empty() ? nullptr : units[choice % units.size()];
    }

    void DetachUnit() {
        if (KL_VRXEmu::TEmulatedUnit* unit = PickUnit()) {
            units.erase(std::find(units.begin(), units.end(), unit));
            bus.Detach(*unit);
        }
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
        unit.SetReplySource(&input);
        units.push_back(&unit);
    }

    // The settings of a unit and of the bus, each from its two arguments.
    using TUnit = KL_VRXEmu::TEmulatedUnit;
    static constexpr uint32_t TransitionTimes[] = {0, 5, 400, 700, 3000, 6020, 25001, 1};
    static constexpr const char* EntryPoints[] = {
        "HidD_GetHidGuid",      "HidD_GetPreparsedData",      "HidD_FreePreparsedData",
        "HidP_GetCaps",         "HidD_GetSerialNumberString", "HidD_GetManufacturerString",
        "HidD_GetProductString"};
    static constexpr uint16_t ProductIds[] = {0x0E32, 0x0E31, 0x0E58, 0x0E57};
    static uint8_t Register(uint8_t choice) { return static_cast<uint8_t>(18 + choice % 7); }
    static uint32_t ErrorOrNone(uint8_t choice) {
        return choice == 0 ? 0 : ErrorCodes[choice % std::size(ErrorCodes)];
    }

    void TuneUnit() {
        static constexpr void (*Settings[8])(TUnit&, uint8_t, uint8_t) = {
            [](TUnit& u, uint8_t f, uint8_t s) { u.SetRegister(Register(f), s); },
            [](TUnit& u, uint8_t f, uint8_t s) {
                u.SetTransitionTime(Register(f), TransitionTimes[s % std::size(TransitionTimes)]);
            },
            [](TUnit& u, uint8_t f, uint8_t s) { u.SetStuck(Register(f), (s & 1) != 0); },
            [](TUnit& u, uint8_t f, uint8_t s) {
                u.SetBlock((f & 1) != 0 ? 25 : 0, std::vector<uint8_t>(s % 6, f));
            },
            [](TUnit& u, uint8_t f, uint8_t s) {
                u.SetReportLengths(ReportLength(f), ReportLength(s));
            },
            [](TUnit& u, uint8_t f, uint8_t) { u.SetGetCapsFails((f & 1) != 0); },
            [](TUnit& u, uint8_t f, uint8_t) { u.SetIgnoresLaunchModeSwitch((f & 1) != 0); },
            [](TUnit& u, uint8_t f, uint8_t s) {
                u.SetReplyCode((f & 1) != 0 ? std::optional<uint8_t>(s) : std::nullopt);
            }};
        TUnit* unit = PickUnit();
        const uint8_t setting = input.Choice() % 8;
        const uint8_t first = input.Choice();
        const uint8_t second = input.Choice();
        if (unit != nullptr)
            Settings[setting](*unit, first, second);
    }

    void TuneBus() {
        static constexpr void (*Settings[8])(TSession&, uint8_t, uint8_t) = {
            [](TSession& t, uint8_t f, uint8_t) { t.bus.SetHidLibraryLoads((f & 1) == 0); },
            [](TSession& t, uint8_t f, uint8_t s) {
                t.bus.SetEntryPointPresent(EntryPoints[f % std::size(EntryPoints)], (s & 1) == 0);
            },
            [](TSession& t, uint8_t f, uint8_t s) {
                t.bus.SetClassDevsError(ErrorOrNone(f), s % 4);
            },
            [](TSession& t, uint8_t f, uint8_t) { t.bus.SetEnumerationError(ErrorOrNone(f)); },
            [](TSession& t, uint8_t f, uint8_t s) { t.bus.SetDetailError(s % 4, ErrorOrNone(f)); },
            [](TSession& t, uint8_t f, uint8_t) { t.bus.SetTick(0xFFFFFFFFu - f * 16u); },
            [](TSession& t, uint8_t f, uint8_t) { t.bus.SetReportLatency(f % 4); },
            // A foreign interface that shows a unit's identifiers.
            [](TSession& t, uint8_t f, uint8_t s) {
                if (t.foreign++ < MaxUnits)
                    t.bus.AttachForeign((f & 1) != 0 ? 0x3C5A : 0x046D,
                                        ProductIds[s % std::size(ProductIds)]);
            }};
        const uint8_t setting = input.Choice() % 8;
        const uint8_t first = input.Choice();
        const uint8_t second = input.Choice();
        Settings[setting](*this, first, second);
    }

    TFuzzInput& input;
    TDriveRoot root;
    KL_VRXEmu::TEmulatedBus bus;
    std::array<TSlot, Slots> slots;
    std::vector<KL_VRXEmu::TEmulatedUnit*> units;
    unsigned foreign = 0;
};

// Rows: a read with its statuses and range, a set with its statuses and
// callback, or an entry with a run of its own.
#define KL_GET(name, min, max, ...) \
    { #name, &TSession::Get, &KLSYS_IVRX::name, nullptr, __VA_ARGS__, min, max, nullptr }
#define KL_SET(name, statuses, callback) \
    { #name, &TSession::Set, nullptr, &KLSYS_IVRX::name, statuses, 0, 0, callback }
#define KL_RUN(name, run, callback, ...) \
    { name, run, nullptr, nullptr, __VA_ARGS__, 0, 0, callback }
// A value the host stores, and reads back: two rows.
#define KL_STORED(T, field, get, set)                                               \
    KL_RUN(#get, (&TSession::GetStored<T, &KL_IVRX2::get, &TSlot::field>), nullptr, \
           AlwaysStatuses),                                                         \
        KL_RUN(#set, (&TSession::SetStored<T, &KL_IVRX2::set, &TSlot::field>), nullptr, OkOnly)

const TEntry TSession::Entries[33] = {
    KL_GET(GetPositionCount, 3, 4, {0, 2, 512}),
    KL_GET(GetPosition21, 0, 4, ReadStatuses),
    KL_SET(SetPosition21, SetStatuses, &TSlot::callback21),
    KL_GET(GetPosition20, 0, 4, ReadStatuses),
    KL_SET(SetPosition20, SetStatuses, &TSlot::callback20),
    KL_GET(GetPosition22, 0, 1, ReadStatuses),
    KL_SET(SetPosition22, SetStatuses, nullptr),
    KL_GET(GetPosition23, 0, 1, ReadStatuses),
    KL_SET(SetPosition23, SetStatuses, nullptr),
    KL_SET(SetState224, SetStatuses, nullptr),
    KL_SET(SetState18, SetStatuses, nullptr),
    KL_GET(GetPosition24, 0, 1, ReadStatuses),
    KL_SET(SetPosition24, SetStatuses, nullptr),
    KL_RUN("GetLastErrorText", &TSession::LastErrorText, nullptr, {}),
    KL_RUN("delete", &TSession::Destroy, nullptr, {}),
    KL_GET(GetModelFamily, 1, 2, AlwaysStatuses),
    KL_GET(GetPosition19Family2, 0, 1, ReadStatuses),
    KL_STORED(uint32_t, hostValue, GetHostValue, SetHostValue),
    KL_GET(GetFixedValue, 30, 30, AlwaysStatuses),
    KL_RUN("SetPosition20Callback", &TSession::SetCallback, &TSlot::callback20, OkOnly),
    KL_RUN("SetPosition21Callback", &TSession::SetCallback, &TSlot::callback21, OkOnly),
    KL_RUN("GetDeviceInfo", &TSession::DeviceInfo, nullptr, SetStatuses),
    // Four packed-decimal bytes whose nibbles go unchecked: at most 165 per
    // byte pair of digits.
    KL_GET(GetDeviceNumber, 0, 166666665u, SetStatuses),
    KL_STORED(bool, logging, GetLogging, SetLogging),
    KL_STORED(uint8_t, dumpFlag, GetLogDumpFlag, SetLogDumpFlag),
    KL_RUN("GetDeviceCount", &TSession::GetDeviceCount, nullptr, {0, 3, 512}),
    KL_RUN("Open", &TSession::Open, nullptr, {0, 3, 10}),
    KL_RUN("Close", &TSession::Close, nullptr, OkOnly),
    KL_GET(GetPosition19, 0, 1, ReadStatuses),
    KL_SET(SetPosition19, SetStatuses, nullptr),
};

#undef KL_GET
#undef KL_SET
#undef KL_RUN
#undef KL_STORED

}  // namespace

void RunSession(TFuzzInput& input) {
    TSession(input).Run();
}

}  // namespace KL_VRXFuzz
