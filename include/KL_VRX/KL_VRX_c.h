/* KL_VRX_c: the library's plain C interface, for hosts in any language that
 * calls C functions (C, Python ctypes, LabVIEW, MATLAB, C#, Delphi, Rust...).
 *
 * Link libKL_VRX_c.so (Linux) or KL_VRX_c.dll through KL_VRX_c.lib
 * (Windows); CMake: find_package(KL_VRX) and target KL_VRX::c.
 *
 * A host counts the units (kl_vrx_count), opens one by host index
 * (kl_vrx_open: 0 the simulated unit, then the family-1 units, then the
 * family-2 units), drives it through the kl_vrx_ operations and closes it
 * again (kl_vrx_close). Every operation is the C++ interface's operation of
 * the same name (KL_VRX.h) and returns the same status numbers; in addition
 * a null unit or a null out pointer is refused with KL_VRX_INVALID_POINTER.
 *
 * Plain C99: fixed-width integers, pointers to them, an opaque handle and
 * plain function pointers; booleans are int32_t (0 or 1, any non-zero
 * value counts as 1 where one is passed in). No function lets an exception
 * out, none crashes on a null pointer.
 *
 * Threads: the library starts no thread. Drive each unit from one thread at
 * a time; different units may be driven from different threads at once,
 * and kl_vrx_count, kl_vrx_open, kl_vrx_close (of another unit) and the
 * name functions may run on any thread at any time. A unit's callbacks run
 * on the thread inside the operation that moved the element.
 *
 * Returned texts are NUL-terminated and never freed by the host. */
#ifndef KL_VRX_KL_VRX_C_H
#define KL_VRX_KL_VRX_C_H

#include <stdint.h>

#if defined(KL_VRX_BUILDING) && !defined(_WIN32)
#define KL_VRX_C_API __attribute__((visibility("default")))
#else
#define KL_VRX_C_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The version of this header; kl_vrx_version() gives the library's. A host
 * built against major M needs a library of major M. */
#define KL_VRX_VERSION_MAJOR 1
#define KL_VRX_VERSION_MINOR 0
#define KL_VRX_VERSION_PATCH 0
#define KL_VRX_VERSION \
    (KL_VRX_VERSION_MAJOR * 10000 + KL_VRX_VERSION_MINOR * 100 + KL_VRX_VERSION_PATCH)

/* Statuses: the C++ interface's numbers. */
#define KL_VRX_OK 0u
#define KL_VRX_NOT_OPEN 2u               /* no unit open (nothing stored, text unchanged) */
#define KL_VRX_OPEN_FAILED 3u            /* counting or opening the unit failed */
#define KL_VRX_COMMAND_FAILED 5u         /* a device command failed, or counting failed */
#define KL_VRX_INDEX_OUT_OF_RANGE 10u    /* no unit of that index */
#define KL_VRX_POSITION_OUT_OF_RANGE 11u /* the unit reported a position outside the mapping */
#define KL_VRX_INVALID_PARAMETER 512u    /* a value refused, or not for this model family */
#define KL_VRX_INVALID_POINTER 513u      /* a null unit or out pointer */

/* Reasons: the protocol code behind a status 3 or 5 of a unit
 * (kl_vrx_unit_reason); KL_VRX_REASON_NONE behind any other status. */
#define KL_VRX_REASON_NONE 0u
#define KL_VRX_REASON_NO_UNIT_OPEN 1u
#define KL_VRX_REASON_LAUNCH_MODE 2u
#define KL_VRX_REASON_SAFE_MODE 3u
#define KL_VRX_REASON_TIMEOUT 4u
#define KL_VRX_REASON_BUFFER 5u
#define KL_VRX_REASON_BAD_COMMAND 6u
#define KL_VRX_REASON_NOT_ECHOED 7u
#define KL_VRX_REASON_TRANSITION_TIMEOUT 8u
#define KL_VRX_REASON_DEVICE_INFO 9u
#define KL_VRX_REASON_OPEN 10u
#define KL_VRX_REASON_SEND 11u
#define KL_VRX_REASON_READ 12u

/* An open unit (opaque): made by kl_vrx_open, ended by kl_vrx_close. */
typedef struct kl_vrx_unit kl_vrx_unit;

/* A callback: called with the user_data it was registered with. */
typedef void (*kl_vrx_callback)(void* user_data);

/* KL_VRX_VERSION of the library that runs (not of the header it was built
 * with). Any thread. */
KL_VRX_C_API uint32_t kl_vrx_version(void);

/* The constant's name of a status ("KL_VRX_COMMAND_FAILED"), or
 * "KL_VRX_UNKNOWN_STATUS". A static text; any thread. */
KL_VRX_C_API const char* kl_vrx_status_name(uint32_t status);

/* The name of a reason without _REASON_ ("KL_VRX_TIMEOUT" for 4), or
 * "KL_VRX_UNKNOWN_REASON". A static text; any thread. */
KL_VRX_C_API const char* kl_vrx_reason_name(uint32_t reason);

/* Counts the units as GetVRXDeviceCount does: the simulated unit plus the
 * attached units of both families, into *count. KL_VRX_OK, or a status with
 * the text in kl_vrx_last_error(). */
KL_VRX_C_API uint32_t kl_vrx_count(uint32_t* count);

/* Opens the unit of host_index as CreateVRX does (counting, family, open)
 * and stores its handle in *unit (NULL on failure). KL_VRX_OK, or the
 * open's status (3, 10, 5 ...) with the text in kl_vrx_last_error();
 * KL_VRX_INVALID_POINTER when unit is NULL. */
KL_VRX_C_API uint32_t kl_vrx_open(int32_t host_index, kl_vrx_unit** unit);

/* Parks and closes the unit and frees its handle, as DeleteVRX does; the
 * handle is invalid afterwards. NULL does nothing. Never while another
 * thread is inside one of the unit's operations. */
KL_VRX_C_API void kl_vrx_close(kl_vrx_unit* unit);

/* The text of this thread's latest failed kl_vrx_count, kl_vrx_open or
 * kl_vrx_emulate ("" before any). Per thread: another thread's failures
 * never show here. Valid on this thread until its next such call. */
KL_VRX_C_API const char* kl_vrx_last_error(void);

/* The unit's latest failure text (GetLastErrorText), valid until the unit's
 * next operation or its close; for a NULL unit a fixed text. */
KL_VRX_C_API const char* kl_vrx_unit_error(kl_vrx_unit* unit);

/* The reason (KL_VRX_REASON_...) behind the unit's latest failure: the
 * protocol code behind a status 3 or 5, KL_VRX_REASON_NONE after any other
 * failure, or before any, or for a NULL unit. */
KL_VRX_C_API uint32_t kl_vrx_unit_reason(kl_vrx_unit* unit);

/* The 33 operations, each the C++ operation of the same name: unit first;
 * KL_VRX_INVALID_POINTER for a NULL unit or out pointer, and a failure's
 * text in kl_vrx_unit_error(unit). */
KL_VRX_C_API uint32_t kl_vrx_get_position_count(kl_vrx_unit* unit, uint32_t* count);
KL_VRX_C_API uint32_t kl_vrx_get_position21(kl_vrx_unit* unit, uint32_t* position);
KL_VRX_C_API uint32_t kl_vrx_set_position21(kl_vrx_unit* unit, uint32_t position);
KL_VRX_C_API uint32_t kl_vrx_get_position20(kl_vrx_unit* unit, uint32_t* position);
KL_VRX_C_API uint32_t kl_vrx_set_position20(kl_vrx_unit* unit, uint32_t position);
KL_VRX_C_API uint32_t kl_vrx_get_position22(kl_vrx_unit* unit, uint32_t* position);
KL_VRX_C_API uint32_t kl_vrx_set_position22(kl_vrx_unit* unit, uint32_t position);
KL_VRX_C_API uint32_t kl_vrx_get_position23(kl_vrx_unit* unit, uint32_t* position);
KL_VRX_C_API uint32_t kl_vrx_set_position23(kl_vrx_unit* unit, uint32_t position);
KL_VRX_C_API uint32_t kl_vrx_set_state224(kl_vrx_unit* unit, uint32_t state);
KL_VRX_C_API uint32_t kl_vrx_set_state18(kl_vrx_unit* unit, uint32_t state);
KL_VRX_C_API uint32_t kl_vrx_get_position24(kl_vrx_unit* unit, uint32_t* position);
KL_VRX_C_API uint32_t kl_vrx_set_position24(kl_vrx_unit* unit, uint32_t position);
KL_VRX_C_API uint32_t kl_vrx_get_model_family(kl_vrx_unit* unit, uint32_t* family);
KL_VRX_C_API uint32_t kl_vrx_get_position19_family2(kl_vrx_unit* unit, uint32_t* position);
KL_VRX_C_API uint32_t kl_vrx_get_host_value(kl_vrx_unit* unit, uint32_t* value);
KL_VRX_C_API uint32_t kl_vrx_set_host_value(kl_vrx_unit* unit, uint32_t value);
KL_VRX_C_API uint32_t kl_vrx_get_fixed_value(kl_vrx_unit* unit, uint32_t* value);
/* Registers fn, called with user_data whenever a set moved the element
 * (replacing the previous callback); a NULL fn clears it. fn runs on the
 * thread of that set and must return; user_data must stay valid while
 * registered. */
KL_VRX_C_API uint32_t kl_vrx_set_position20_callback(kl_vrx_unit* unit, kl_vrx_callback fn,
                                                     void* user_data);
KL_VRX_C_API uint32_t kl_vrx_set_position21_callback(kl_vrx_unit* unit, kl_vrx_callback fn,
                                                     void* user_data);
KL_VRX_C_API uint32_t kl_vrx_get_device_info(kl_vrx_unit* unit, uint32_t* info0, uint32_t* info1,
                                             uint32_t* info2);
KL_VRX_C_API uint32_t kl_vrx_get_device_number(kl_vrx_unit* unit, uint32_t* number);
/* The log switches may be used from any thread while another drives the unit. */
KL_VRX_C_API uint32_t kl_vrx_get_logging(kl_vrx_unit* unit, int32_t* on);
KL_VRX_C_API uint32_t kl_vrx_set_logging(kl_vrx_unit* unit, int32_t on);
KL_VRX_C_API uint32_t kl_vrx_get_log_dump_flag(kl_vrx_unit* unit, uint8_t* flag);
KL_VRX_C_API uint32_t kl_vrx_set_log_dump_flag(kl_vrx_unit* unit, uint8_t flag);
KL_VRX_C_API uint32_t kl_vrx_get_device_count(kl_vrx_unit* unit, int32_t* count);
/* The operation Open: (re)opens index within the unit's family. */
KL_VRX_C_API uint32_t kl_vrx_open_unit(kl_vrx_unit* unit, int32_t index, uint8_t start_action);
/* The operation Close: closes the unit (parking it when park is non-zero);
 * the handle stays valid for kl_vrx_open_unit and kl_vrx_close. */
KL_VRX_C_API uint32_t kl_vrx_close_unit(kl_vrx_unit* unit, int32_t park);
KL_VRX_C_API uint32_t kl_vrx_get_position19(kl_vrx_unit* unit, uint32_t* position);
KL_VRX_C_API uint32_t kl_vrx_set_position19(kl_vrx_unit* unit, uint32_t position);

/* Emulated units, for hosts and tests without hardware: from now on the
 * library's units are the emulated ones spec describes, as
 * `vrxctl --emulate SPEC` does: a comma-separated list of families (1 or 2),
 * each with an optional launch mode (":mode1"), e.g. "1,1,2:mode1"; "none"
 * is a bus without units. real_clock 0: virtual time (waits cost nothing);
 * non-zero: wall-clock time. Replaces a previous emulation; NULL spec gives
 * the operating system's units back.
 * KL_VRX_OK; KL_VRX_INVALID_PARAMETER for a bad spec, or while any unit is
 * open (close every unit first), nothing changed and the reason in
 * kl_vrx_last_error(). Any thread, but not while another thread counts or
 * opens (such a call waits for them). */
KL_VRX_C_API uint32_t kl_vrx_emulate(const char* spec, int32_t real_clock);

#ifdef __cplusplus
}  // extern "C"
#endif

#endif /* KL_VRX_KL_VRX_C_H */
