// KL_VRX: the one header a host includes.
//
// A host counts the reachable units (GetVRXDeviceCount), creates a controller
// for one of them by host index (CreateVRX), drives it through the virtual
// operations of KL_VRXSDK::KL_IVRX, KL_IVRX2 and KLSYS_IVRX, and deletes it
// again (DeleteVRX). Host index 0 is always a simulated unit that answers from
// memory, so a host can run without hardware.
//
// Host indices: 0 is the simulated unit; 1 to N1 the family-1 units; N1 + 1
// to N1 + N2 the family-2 units, each family in the order the system lists
// its HID interfaces.
//
// Status codes (unsigned 32-bit, 0 = success) of the exports and operations:
//     2   no unit is open (nothing stored, the error text unchanged)
//     3   counting or opening the unit failed
//     5   a device command failed (or, at GetVRXDeviceCount, counting failed);
//         also any operation that reaches the unit or the traffic log when
//         an exception inside cut it short (see Exceptions below)
//    10   index out of range
//    11   the unit reported a position outside the operation's mapping
//         (99999 stored)
//   512   invalid parameter, or operation not available for the model family
//   513   GetVRXDeviceCount: the count pointer is null; DeleteVRX: the
//         pointer is not a controller made by this library
// A failing operation leaves its text in GetLastErrorText(); a failing export
// leaves its text in GetLastVRXDLLError().
//
// Threads. The library starts no thread: every call runs on the caller's
// thread and blocks it while the unit works (up to 25 s per step).
//   - Drive each controller from one thread at a time: its operations are
//     not serialised against each other. Its log switches (GetLogging,
//     SetLogging, GetLogDumpFlag, SetLogDumpFlag) are the exception: any
//     thread may use them while another drives the controller.
//   - Different controllers may be driven from different threads at once,
//     and GetVRXDeviceCount, CreateVRX, CreateVRXInternal, DeleteVRX and
//     GetVRX2 may be called from any thread at any time, also while other
//     controllers work. Never delete a controller while another thread is
//     inside one of its operations.
//   - Any number of controllers may be open on one unit, driven in turn
//     from one thread or at once from several: the controllers of a unit in
//     one process share its system handle and take turns, one exchange (a
//     command and the reading of its reply) at a time, so each gets its own
//     replies. Closing one leaves the others working. What another process
//     does with the unit is out of the library's reach: both kernels hand
//     its replies to every open handle, and a second process driving the
//     same unit meets the other's replies.
//   - Units work in parallel: no lock is held while a unit's report is
//     written or read, or while an operation waits or pauses, except the
//     unit's own turn, which only its other controllers wait for. Binding
//     hid.dll, listing the HID interfaces and opening a unit take one
//     process-wide lock for a few system calls; deleting a controller
//     (which unbinds hid.dll) waits for them.
//   - Product IDs are process-wide: creating a controller makes its family
//     the one that the next GetDeviceCount and Open of every controller
//     use. Creations on different threads do not mix families: a creation
//     waits while one of the other family is between its family set-up and
//     the end of its open, then goes before later ones of that family;
//     creations of one family run side by side. GetDeviceCount and Open on
//     an existing controller use whatever family was created last.
//   - A controller's text is its own, but the transport's part of it (after
//     "Unable to get device information. ", "Unable to open VRX. ",
//     "Problem sending data to VRX. " or "Problem reading data from VRX. ")
//     tells the latest transport step of any thread.
//   - GetLastVRXDLLError's text is one for the process, and each failing
//     export writes it whole under the library's lock. Its address never
//     changes and its 256th byte is always 0, so a read never runs past it.
//     Right after an export failed it holds that failure's text, unless an
//     export failed on another thread since (a read that overlaps such a
//     write may see parts of both texts). A host that counts or creates on
//     several threads and needs each failure's own text makes those calls
//     from one thread, or one at a time.
//
// Exceptions. None leaves the library. An operation that an exception
// inside cuts short (memory exhausted, a system library failing) returns 5
// with "Out of memory." or "Unexpected error: " and what happened, and the
// controller stays usable (though, as after a time-out, a reply the unit
// sent to an exchange cut short may still wait to be read);
// GetVRXDeviceCount returns 5 with "Out of memory
// while counting VRX devices." (or "Unexpected error while counting VRX
// devices: ..."); CreateVRX returns null with a text that begins "Out of
// memory" or "Unexpected error". Close, the destructor and DeleteVRX always
// succeed: a park that fails for any reason is left out, and the unit is
// closed all the same. An exception thrown by a host's OnChanged (which it
// must not throw) is caught as well where the compiler is shared: the set
// returns 5 with its text.
//
// The interfaces are an ABI. Hosts call the operations by their place in the
// virtual table, so the order of declaration below never changes, and the
// class tree is single, public, non-virtual inheritance: every interface
// pointer of a controller is the object's own address. Run-time type
// information of the tree is part of the interface too: a host obtains
// KLSYS_IVRX with dynamic_cast.
//
// Two layouts. KL_VRX.dll follows the Microsoft C++ ABI on Windows, whoever
// builds the host: one virtual-table entry for the destructor (the scalar
// deleting destructor) and Microsoft's type information. The Linux shared
// library, and the static library (KL_VRX::static) with GCC or MinGW, follow
// the Itanium C++ ABI: two entries for the destructor (complete object, then
// deleting) and GCC's type information.
//
// Virtual-table slots (pointer-sized entries, counted from 0):
//
//   entry                   Microsoft   Itanium
//   GetPositionCount             0          0
//   GetPosition21                1          1
//   SetPosition21                2          2
//   GetPosition20                3          3
//   SetPosition20                4          4
//   GetPosition22                5          5
//   SetPosition22                6          6
//   GetPosition23                7          7
//   SetPosition23                8          8
//   SetState224                  9          9
//   SetState18                  10         10
//   GetPosition24               11         11
//   SetPosition24               12         12
//   GetLastErrorText            13         13
//   ~KL_IVRX                    14         14, 15
//   GetModelFamily              15         16
//   GetPosition19Family2        16         17
//   GetHostValue                17         18
//   SetHostValue                18         19
//   GetFixedValue               19         20
//   SetPosition20Callback       20         21
//   SetPosition21Callback       21         22
//   GetDeviceInfo               22         23
//   GetDeviceNumber             23         24
//   GetLogging                  24         25
//   SetLogging                  25         26
//   GetLogDumpFlag              26         27
//   SetLogDumpFlag              27         28
//   GetDeviceCount              28         29
//   Open                        29         30
//   Close                       30         31
//   GetPosition19               31         32
//   SetPosition19               32         33
//
// KL_IVRXCallback has one entry, OnChanged, at slot 0 in both.
//
// GCC and MinGW clang hosts of KL_VRX.dll. On Windows this header declares
// the Microsoft layout for every compiler unless KL_VRX_STATIC is defined
// (KL_VRX::static defines it for its users): GCC then sees a private
// placeholder in slot 14 and protected, non-virtual destructors, so the
// slots above match the DLL's objects and `delete` on an interface does not
// compile. Such a host deletes with DeleteVRX, reaches KL_IVRX2 with GetVRX2
// and KLSYS_IVRX with static_cast from that result; it never applies
// dynamic_cast or typeid to the library's objects (GCC reads its own type
// information, which they do not carry), and the DLL treats the host's own
// implementations of the interfaces as foreign (DeleteVRX: 513, GetVRX2:
// null).
#ifndef KL_VRX_KL_VRX_H
#define KL_VRX_KL_VRX_H

#include <stdint.h>

#if defined(_WIN32)
#define KL_VRX_CALL __stdcall
#define KL_VRX_API
#elif defined(KL_VRX_BUILDING)
#define KL_VRX_CALL
#define KL_VRX_API __attribute__((visibility("default")))
#else
#define KL_VRX_CALL
#define KL_VRX_API
#endif

// GCC or MinGW clang compiling for KL_VRX.dll: the Microsoft layout (above).
#if defined(_WIN32) && !defined(_MSC_VER) && !defined(KL_VRX_STATIC) && !defined(KL_VRX_BUILDING)
#define KL_VRX_DLL_LAYOUT_FOR_GCC 1
#endif

namespace KL_VRXSDK {

// Implemented by the host to hear that a position set has completed.
//
// The controller keeps the host's pointer without owning it: the host keeps
// the object alive while it is registered and never hands it to the library
// for deletion (hence the protected, non-virtual destructor, which also keeps
// OnChanged the only entry of this interface's virtual table).
class KL_IVRXCallback {
  public:
    // Called on the caller's thread, inside SetPosition20 or SetPosition21,
    // after the set has succeeded and before it returns 0. Must not throw:
    // where host and library share a compiler (the Linux and static
    // libraries) the set catches it and returns 5, but KL_VRX.dll cannot
    // catch what an MSVC-built callback throws.
    virtual void OnChanged() = 0;

  protected:
    ~KL_IVRXCallback() {}
};

// The controller of one unit: the simulated unit or a real one.
//
// Every operation returns a status (codes at the top of this file). Out
// arguments are written on success, and where an operation says so on a
// failure (99999 with 11); a null out pointer is refused with 512. "API values" are the host's
// position numbers; 99999 means "no position".
class KL_IVRX {
  public:
    // Number of settable positions of the register-21 element: 4 on the
    // simulated unit and on family-2 units, 3 on family-1 units. 0 or 2.
    virtual uint32_t GetPositionCount(uint32_t* count) = 0;

    // Position of the register-21 element: 0 to 3 (family 1; 3 is read only)
    // or 0 to 4 (family 2; 4 is read only). 0, 2, 5 or 11.
    virtual uint32_t GetPosition21(uint32_t* position) = 0;
    // Moves the register-21 element (0 to 2 in family 1, 0 to 3 in family 2),
    // waits until the unit reports it, then calls the position-21 callback.
    // 0, 2, 5 or 512.
    virtual uint32_t SetPosition21(uint32_t position) = 0;

    // Position of the register-20 element: 0 to 2 (family 1) or 0 to 4
    // (family 2); 2 is read only in both. 0, 2, 5 or 11.
    virtual uint32_t GetPosition20(uint32_t* position) = 0;
    // Moves the register-20 element (0 or 1 in family 1; 0, 1, 3 or 4 in
    // family 2), waits up to about 6 s, then calls the position-20 callback.
    // 0, 2, 5 or 512.
    virtual uint32_t SetPosition20(uint32_t position) = 0;

    // Position of the register-22 element, 0 or 1. 0, 2, 5 or 11.
    virtual uint32_t GetPosition22(uint32_t* position) = 0;
    // Moves the register-22 element to 0 or 1. 0, 2, 5 or 512.
    virtual uint32_t SetPosition22(uint32_t position) = 0;

    // Position of the register-23 element, 0 or 1 (family 2: always 0).
    // 0, 2, 5 or 11.
    virtual uint32_t GetPosition23(uint32_t* position) = 0;
    // Moves the register-23 element to 0 or 1; family 1 only (family 2: 512).
    // 0, 2, 5 or 512.
    virtual uint32_t SetPosition23(uint32_t position) = 0;

    // Sends state 0 or 1 with command 224; does not wait for the unit.
    // 0, 2, 5 or 512.
    virtual uint32_t SetState224(uint32_t state) = 0;
    // Sets state 0 (started) or 1 (parked) of register 18 and waits until
    // the unit reports it. 0, 2, 5 or 512.
    virtual uint32_t SetState18(uint32_t state) = 0;

    // Position of the register-24 element, 0 or 1 (family 2: always 0).
    // 0, 2, 5 or 11.
    virtual uint32_t GetPosition24(uint32_t* position) = 0;
    // Moves the register-24 element to 0 or 1; family 1 only (family 2: 512).
    // 0, 2, 5 or 512.
    virtual uint32_t SetPosition24(uint32_t position) = 0;

    // The text of this controller's latest failure (empty until one fails;
    // at most 255 characters). The buffer belongs to the controller and is
    // valid while it lives; the next failing operation overwrites it.
    virtual const char* GetLastErrorText() = 0;

    // Parks and closes an open real unit and releases the controller's
    // resources. Destroying through this destructor (or DeleteVRX) frees the
    // object inside the library; never free it by other means.
#if defined(KL_VRX_DLL_LAYOUT_FOR_GCC)
  private:
    // Slot 14: the DLL's scalar deleting destructor, which GCC cannot
    // declare. Never called through this header.
    virtual void* ScalarDeletingDestructor(unsigned int) {
        return this;
    }

  protected:
    ~KL_IVRX() {}
#else
    virtual ~KL_IVRX() {}
#endif
};

// Further operations of every controller; obtained with GetVRX2.
class KL_IVRX2 : public KL_IVRX {
  public:
    // The controller's model family: 1 or 2 (0 if none was set). Always 0.
    virtual uint32_t GetModelFamily(uint32_t* family) = 0;
    // Position of the register-19 element in family 2's mapping, 0 or 1
    // (family 1: 99999). 0, 2, 5 or 11.
    virtual uint32_t GetPosition19Family2(uint32_t* position) = 0;

    // A number kept for the host (1 for a new controller); no effect on the
    // unit. Always 0.
    virtual uint32_t GetHostValue(uint32_t* value) = 0;
    virtual uint32_t SetHostValue(uint32_t value) = 0;
    // Always stores 30. Always 0.
    virtual uint32_t GetFixedValue(uint32_t* value) = 0;

    // Registers the object whose OnChanged follows a successful
    // SetPosition20 or SetPosition21; null removes it. Not owned: keep it
    // alive while registered. Always 0.
    virtual uint32_t SetPosition20Callback(KL_IVRXCallback* callback) = 0;
    virtual uint32_t SetPosition21Callback(KL_IVRXCallback* callback) = 0;

    // The three bytes of the unit's device information, each in its own
    // output (0, 0, 0 on the simulated unit). 0, 2 or 5.
    virtual uint32_t GetDeviceInfo(uint32_t* info0, uint32_t* info1, uint32_t* info2) = 0;
    // The unit's eight-digit device number (0 on the simulated unit).
    // 0, 2 or 5.
    virtual uint32_t GetDeviceNumber(uint32_t* number) = 0;

    // Whether the traffic log "C:\VRXHIDLog.log" is on. Always 0.
    virtual uint32_t GetLogging(bool* on) = 0;
    // Switches the traffic log on or off. 0, or 5 when memory runs out while
    // it is switched on (it then stays off).
    virtual uint32_t SetLogging(bool on) = 0;
    // Nonzero: log records are held in memory and written at open, close
    // and after a failed transfer. Always 0.
    virtual uint32_t GetLogDumpFlag(uint8_t* flag) = 0;
    virtual uint32_t SetLogDumpFlag(uint8_t flag) = 0;

#if defined(KL_VRX_DLL_LAYOUT_FOR_GCC)
  protected:
    ~KL_IVRX2() {}
#endif
};

// System operations: counting, opening and closing units of the family.
// No export returns this interface; a host obtains it with dynamic_cast.
class KLSYS_IVRX : public KL_IVRX2 {
  public:
    // Units of this controller's family plus the simulated unit; switches
    // units of the family that run in the other launch mode first (5 s
    // each). 0, or 3 with -1 stored.
    virtual uint32_t GetDeviceCount(int32_t* count) = 0;
    // Parks and closes the open unit, then opens unit index of the family
    // (0: the simulated unit). startAction 0 runs the full start-up, 1 parks
    // a started unit, any other value sends no start-up command.
    // 0, 3 or 10.
    virtual uint32_t Open(int32_t index, uint8_t startAction) = 0;
    // Closes the open unit, parking a real unit first when park is true.
    // Always 0.
    virtual uint32_t Close(bool park) = 0;
    // Position of the register-19 element in family 1's mapping, 0 or 1
    // (family 2: always 1). 0, 2, 5 or 11.
    virtual uint32_t GetPosition19(uint32_t* position) = 0;
    // Moves the register-19 element to 0 or 1; family 1 only (family 2:
    // 512). 0, 2, 5 or 512.
    virtual uint32_t SetPosition19(uint32_t position) = 0;

#if defined(KL_VRX_DLL_LAYOUT_FOR_GCC)
  protected:
    ~KLSYS_IVRX() {}
#endif
};

}  // namespace KL_VRXSDK

extern "C" {

// Counts the reachable units plus the simulated unit. 0 on success (count
// stored), 5 on failure (count untouched, text in GetLastVRXDLLError), 513
// for a null count (nothing counted, text in GetLastVRXDLLError).
KL_VRX_API uint32_t KL_VRX_CALL GetVRXDeviceCount(uint32_t* count);

// The text of the latest failure of an export; empty until one fails. The
// buffer lives as long as the library is loaded; never write or free it.
KL_VRX_API const char* KL_VRX_CALL GetLastVRXDLLError();

// Creates a controller for the unit at hostIndex and opens it with the full
// start-up. Returns the controller, owned by the host until DeleteVRX, or
// null with the reason in GetLastVRXDLLError (e.g. "Index out of range.").
KL_VRX_API KL_VRXSDK::KL_IVRX* KL_VRX_CALL CreateVRX(int32_t hostIndex);
// The same as CreateVRX.
KL_VRX_API KL_VRXSDK::KL_IVRX* KL_VRX_CALL CreateVRXInternal(int32_t hostIndex);
// Parks and closes the controller's unit and destroys the controller. Null
// is accepted (0). 513 when vrx is not a controller of this library.
KL_VRX_API uint32_t KL_VRX_CALL DeleteVRX(KL_VRXSDK::KL_IVRX* vrx);
// The object as KL_IVRX2, by a run-time checked cast: any object that is a
// KL_IVRX2, a controller of this library (same address) or a host's own
// implementation alike; null for null or an object that is no KL_IVRX2.
// Writes no error text.
KL_VRX_API KL_VRXSDK::KL_IVRX2* KL_VRX_CALL GetVRX2(KL_VRXSDK::KL_IVRX* vrx);

}  // extern "C"

#endif  // KL_VRX_KL_VRX_H
