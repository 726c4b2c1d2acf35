// KL_VRX unit emulator: the library's system calls answered by a virtual HID
// bus with emulated units, for hosts without hardware and for tests.
//
// Link KL_VRX::emulator (which brings KL_VRX::static). While a TEmulatedBus
// exists, the statically linked library sees the bus instead of the
// operating system: hid.dll, SetupAPI enumeration, device handles, report
// I/O, the tick count, Sleep and the "C:\" drive. The shared library
// (KL_VRX.dll / libKL_VRX.so) is never switched.
//
// Thread safety: the bus and its units guard their state with one lock, so
// a test may change a unit from one thread while the library runs on
// another. References returned by Received() are only stable while no other
// thread writes to that unit.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace KL_VRXEmu {

namespace Detail {
class TBusCore;
struct TUnitFirmware;
}  // namespace Detail

// The time base of a bus.
enum class TClock {
    // GetTickCount is a counter that only Sleep and report latency advance;
    // Sleep(n) returns at once and adds exactly n ms.
    Virtual,
    // Wall-clock milliseconds and real sleeps (command-line use, benchmarks).
    Real
};

// How often each system call ran on the bus, failed calls included.
struct TCallCounts {
    unsigned loadLibrary = 0;
    unsigned getProcAddress = 0;
    unsigned freeLibrary = 0;
    unsigned classDevs = 0;
    unsigned createFile = 0;
    unsigned closeHandle = 0;
    unsigned writeFile = 0;
    unsigned readFile = 0;
    unsigned sleep = 0;
};

// What the library holds open on the bus now. All 0 when no controller
// lives and none is being made: anything else has leaked.
struct TOpenObjects {
    unsigned handles = 0;         // CreateFileA without its CloseHandle
    unsigned deviceInfoSets = 0;  // SetupDiGetClassDevsW without its destroy
    unsigned preparsedData = 0;   // HidD_GetPreparsedData without its free
    unsigned hidReferences = 0;   // LoadLibraryA("hid.dll") without its FreeLibrary
};

// What one ReadFile on a unit delivers, as a reply source decides it.
struct TReadOutcome {
    /// 0: ReadFile succeeds. Otherwise it fails and GetLastError gives this code.
    uint32_t error = 0;
    /// The bytes delivered to the start of the caller's buffer, cut at its
    /// size; their count is the count read, also when the read fails. Empty:
    /// a read that delivers nothing (the library polls again).
    std::vector<uint8_t> bytes;
    /// true: the reply the firmware had queued stays queued for a later read;
    /// false: it is used up by this read, whatever was delivered.
    bool keepQueuedReply = false;
};

// What one WriteFile on a unit does, as a reply source decides it.
struct TWriteOutcome {
    /// 0: WriteFile succeeds. Otherwise it fails and GetLastError gives this code.
    uint32_t error = 0;
    /// The count WriteFile reports written, cut at the report's length;
    /// nullopt: the whole report on success, 0 on failure.
    std::optional<uint32_t> bytesWritten;
    /// true: the firmware receives the report (records it in Received(),
    /// applies its command, queues its reply); false: it is lost on the way.
    bool delivered = true;
};

// A test's or fuzzer's own account of what a unit's link carries, report by
// report: installed with TEmulatedUnit::SetReplySource, it decides every
// WriteFile and ReadFile that reaches the unit. The bus still refuses what
// Windows refuses before a report moves (bad or dead handles, report lengths
// that do not fit), and the firmware still answers every report delivered to
// it; the source then sees that answer and may deliver it, change it, hold it
// back, invent another or fail the read. While a source is set, the unit's
// link switches (SetSilent, QueueEmptyReads, FailWrites, FailReads,
// SetWritesZeroBytes) are not consulted.
//
// Called on the thread doing the I/O with the bus's lock held: a source must
// not call members of the bus or of its units.
class KL_IReplySource {
  public:
    virtual ~KL_IReplySource() = default;
    /// A WriteFile of one whole output report (report ID byte first).
    virtual TWriteOutcome OnWrite(const std::vector<uint8_t>& report) = 0;
    /// A ReadFile into a buffer of bufferSize bytes (at least the unit's
    /// input report length). queuedReply is the oldest reply the firmware has
    /// queued, or null when none is.
    virtual TReadOutcome OnRead(const std::vector<uint8_t>* queuedReply, uint32_t bufferSize) = 0;
};

// The firmware of one emulated unit. Created by TEmulatedBus::AttachUnit;
// the reference stays valid until TEmulatedBus::Detach or the end of the bus,
// also across a launch-mode switch.
class TEmulatedUnit {
  public:
    TEmulatedUnit(const TEmulatedUnit&) = delete;
    TEmulatedUnit& operator=(const TEmulatedUnit&) = delete;
    ~TEmulatedUnit();

    /// Model family, 1 or 2.
    unsigned Family() const;
    /// Launch mode now: 2 after a successful launch-mode switch.
    unsigned LaunchMode() const;
    /// The device-interface path the unit enumerates under now (a new one after a switch).
    std::string Path() const;

    /// Value of register 18 to 24 now, pending transitions that are due applied
    /// (0 for any other code).
    uint8_t Register(uint8_t code) const;
    /// Sets register 18 to 24 at once (other codes are ignored); cancels a pending transition.
    void SetRegister(uint8_t code, uint8_t value);
    /// Last value written with a command that has no register (224, 2); 0 before any.
    uint8_t LastValue(uint8_t code) const;
    /// How long after a write register reg (18 to 24) takes the written value; default 0.
    void SetTransitionTime(uint8_t reg, uint32_t ms);
    /// true: register reg ignores writes (the write is still echoed).
    void SetStuck(uint8_t reg, bool stuck);
    /// Data of block 0 or 25, replied from byte 2 (other codes are ignored).
    void SetBlock(uint8_t code, std::vector<uint8_t> bytes);

    /// Input and output report lengths as HidP_GetCaps gives them, report ID
    /// byte included (default 65 and 65).
    void SetReportLengths(uint16_t input, uint16_t output);
    /// true: HidD_GetPreparsedData fails with error 31 on this unit.
    void SetGetCapsFails(bool fails);
    /// true: the unit stays under its second product ID after a launch-mode switch.
    void SetIgnoresLaunchModeSwitch(bool ignores);
    /// true: every read returns 0 bytes; replies stay queued.
    void SetSilent(bool silent);
    /// The next n reads return 0 bytes, then replies flow again.
    void QueueEmptyReads(unsigned n);
    /// Byte 1 of every reply is this code (0xFF: rejected); nullopt: the normal echo.
    void SetReplyCode(std::optional<uint8_t> code);
    /// WriteFile fails with error (reporting bytesWritten written) until cleared with 0;
    /// the unit receives nothing.
    void FailWrites(uint32_t error, uint32_t bytesWritten = 0);
    /// ReadFile fails with error (0 bytes read) until cleared with 0; replies stay queued.
    void FailReads(uint32_t error);
    /// true: WriteFile succeeds but reports 0 bytes written; the unit receives nothing.
    void SetWritesZeroBytes(bool zero);
    /// Hands every WriteFile and ReadFile on the unit to source (see
    /// KL_IReplySource); null gives them back to the firmware and the link
    /// switches. Not owned: keep the source alive while it is set.
    void SetReplySource(KL_IReplySource* source);

    /// Every output report the unit received, in full (padding included), in order.
    const std::vector<std::vector<uint8_t>>& Received() const;
    /// Forgets the received reports.
    void ClearReceived();

  private:
    friend class Detail::TBusCore;
    TEmulatedUnit(Detail::TBusCore& core, unsigned family, unsigned launchMode);

    Detail::TBusCore& core;
    std::unique_ptr<Detail::TUnitFirmware> firmware;
};

// The emulated HID bus. While one exists it is the library's operating
// system; its destructor restores the real one. Constructing and destroying
// a bus each put the library's process-wide state back to its load-time
// values. At most one bus may live at a time.
class TEmulatedBus {
  public:
    /// Makes the emulator the library's OS. Throws std::logic_error while
    /// another bus exists.
    explicit TEmulatedBus(TClock clock = TClock::Virtual);
    /// Resets the library's state (releasing its binding through the bus),
    /// then restores the real OS.
    ~TEmulatedBus();
    TEmulatedBus(const TEmulatedBus&) = delete;
    TEmulatedBus& operator=(const TEmulatedBus&) = delete;

    /// Adds a unit of family 1 or 2 (std::invalid_argument otherwise). Launch
    /// mode 2 enumerates under the family's first product ID, any other mode
    /// under the second. Interfaces enumerate in attach order.
    TEmulatedUnit& AttachUnit(unsigned family, unsigned launchMode = 2);
    /// Unplugs the unit: it leaves the enumeration, I/O on open handles to it
    /// fails with 1167, opening its path with 2. The reference dies here.
    void Detach(TEmulatedUnit& unit);
    /// Adds a HID interface that is not a unit: enumerated, never answers;
    /// opening it for reading or writing fails with 5.
    void AttachForeign(uint16_t vendorId, uint16_t productId);
    /// The device-interface paths the enumeration returns now, in order,
    /// Windows-shaped and lower-case.
    std::vector<std::string> InterfacePaths() const;

    /// false: LoadLibraryA("hid.dll") fails with 126.
    void SetHidLibraryLoads(bool loads);
    /// false: GetProcAddress for that hid.dll name yields null with 127.
    void SetEntryPointPresent(const std::string& name, bool present);
    /// Nonzero: SetupDiGetClassDevsW fails with error from call afterCalls + 1
    /// on, counted from this call. 0 clears.
    void SetClassDevsError(uint32_t error, unsigned afterCalls = 0);
    /// Nonzero: the SetupDiEnumDeviceInterfaces call that would end the list
    /// with 259 fails with error instead. 0 clears.
    void SetEnumerationError(uint32_t error);
    /// Nonzero: the detail call with a buffer for member interfaceIndex fails
    /// with error. 0 clears.
    void SetDetailError(size_t interfaceIndex, uint32_t error);

    /// The tick count GetTickCount returns now.
    uint32_t Tick() const;
    /// Sets the tick count (SetTick(0xFFFFFFF0) tests the wrap); the clock runs on from there.
    void SetTick(uint32_t tick);
    /// Every completed report write and read advances the clock by ms (default 0).
    void SetReportLatency(uint32_t ms);
    /// "C:\" maps to directory (with or without a trailing slash); default:
    /// the current directory. A missing directory makes files fail to open.
    void SetDriveRoot(const std::string& directory);

    /// How often each system call ran since the bus was made.
    TCallCounts Calls() const;
    /// What the library holds open on the bus now.
    TOpenObjects OpenObjects() const;

  private:
    std::unique_ptr<Detail::TBusCore> core;
};

}  // namespace KL_VRXEmu
