// What every host program checks on a controller through the public header
// alone, whichever compiler built the host and whichever layout it sees:
// all 33 entries on the simulated unit, and the callbacks.
//
// C++11 without the standard library, so that a freestanding host builds it
// too. The including program defines KL_VRXHost::Fail.
#ifndef KL_VRX_TESTS_HOST_CHECKS_H
#define KL_VRX_TESTS_HOST_CHECKS_H

#include "KL_VRX/KL_VRX.h"

namespace KL_VRXHost {

// Reports one failed check (what failed, in which step or at which line,
// with up to two numbers) and counts it. Defined by each host program.
void Fail(const char* what, const char* where, uint32_t first, uint32_t second);

#define HOST_CHECK(condition) \
    ((condition) ? (void)0 : KL_VRXHost::Fail(#condition, __FILE__, __LINE__, 0))

inline bool SameText(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

using KL_VRXSDK::KLSYS_IVRX;

// One call on a controller, with what it must return and leave behind.
struct TStep {
    const char* what;
    uint32_t (*run)(KLSYS_IVRX& vrx, uint32_t& value);
    uint32_t status;
    uint32_t value;    // left in value (NotStored: nothing; AnyValue: unchecked)
    const char* text;  // GetLastErrorText afterwards, or null
};

const uint32_t NotStored = 12345;
const uint32_t AnyValue = 0xFFFFFFFFu;

// A step's name and its call: statements that end by returning the status.
#define HOST_STEP(what, ...)                                 \
    what, [](KLSYS_IVRX& vrx, uint32_t& value) -> uint32_t { \
        (void)value;                                         \
        __VA_ARGS__;                                         \
    }

// A controller of host index 0 (the simulated unit of family 2), fresh from
// creation. Every entry but the destructor and the two callback
// registrations, each with a result that tells it from its neighbours.
inline void DriveSimulatedUnit(KLSYS_IVRX& vrx) {
    // clang-format off
    const TStep steps[] = {
        {HOST_STEP("GetPositionCount", return vrx.GetPositionCount(&value)), 0, 4, ""},
        {HOST_STEP("GetPosition21", return vrx.GetPosition21(&value)), 0, 1, 0},
        {HOST_STEP("GetPosition20", return vrx.GetPosition20(&value)), 0, 1, 0},
        {HOST_STEP("GetPosition22", return vrx.GetPosition22(&value)), 0, 0, 0},
        {HOST_STEP("GetPosition23", return vrx.GetPosition23(&value)), 0, 0, 0},
        {HOST_STEP("GetPosition24", return vrx.GetPosition24(&value)), 0, 0, 0},
        {HOST_STEP("GetModelFamily", return vrx.GetModelFamily(&value)), 0, 2, 0},
        {HOST_STEP("GetPosition19Family2", return vrx.GetPosition19Family2(&value)), 0, 0, 0},
        {HOST_STEP("GetPosition19", return vrx.GetPosition19(&value)), 0, 1, 0},
        {HOST_STEP("GetHostValue", return vrx.GetHostValue(&value)), 0, 1, 0},
        {HOST_STEP("GetFixedValue", return vrx.GetFixedValue(&value)), 0, 30, 0},
        {HOST_STEP("GetDeviceNumber", return vrx.GetDeviceNumber(&value)), 0, 0, 0},
        {HOST_STEP("GetDeviceInfo", uint32_t i[3] = {7, 8, 9};
                   const uint32_t s = vrx.GetDeviceInfo(&i[0], &i[1], &i[2]);
                   value = i[0] * 100 + i[1] * 10 + i[2]; return s), 0, 0, 0},
        {HOST_STEP("GetLogging", bool on = true;
                   const uint32_t s = vrx.GetLogging(&on); value = on; return s), 0, 0, 0},
        {HOST_STEP("GetLogDumpFlag", uint8_t flag = 9;
                   const uint32_t s = vrx.GetLogDumpFlag(&flag); value = flag; return s), 0, 0, 0},
        {HOST_STEP("GetDeviceCount", int32_t count = 0;
                   const uint32_t s = vrx.GetDeviceCount(&count); value = count >= 1; return s),
         0, 1, 0},
        {HOST_STEP("SetPosition21 3", return vrx.SetPosition21(3)), 0, NotStored, ""},
        {HOST_STEP("GetPosition21 after", return vrx.GetPosition21(&value)), 0, 3, 0},
        {HOST_STEP("SetPosition20 4", return vrx.SetPosition20(4)), 0, NotStored, 0},
        {HOST_STEP("GetPosition20 after", return vrx.GetPosition20(&value)), 0, 4, 0},
        {HOST_STEP("SetPosition22 1", return vrx.SetPosition22(1)), 0, NotStored, 0},
        {HOST_STEP("GetPosition22 after", return vrx.GetPosition22(&value)), 0, 1, ""},
        {HOST_STEP("SetPosition23 0", return vrx.SetPosition23(0)), 512, NotStored,
         "Invalid parameter."},
        {HOST_STEP("SetPosition24 1", return vrx.SetPosition24(1)), 512, NotStored, 0},
        {HOST_STEP("SetPosition19 0", return vrx.SetPosition19(0)), 512, NotStored, 0},
        {HOST_STEP("SetState224 2", return vrx.SetState224(2)), 512, NotStored, 0},
        {HOST_STEP("SetState224 1", return vrx.SetState224(1)), 0, NotStored, 0},
        {HOST_STEP("SetState18 2", return vrx.SetState18(2)), 512, NotStored, 0},
        {HOST_STEP("SetState18 1", return vrx.SetState18(1)), 0, NotStored, 0},
        {HOST_STEP("GetPosition21 null", return vrx.GetPosition21(0)), 512, NotStored,
         "Invalid parameter."},
        {HOST_STEP("GetLogging null", return vrx.GetLogging(0)), 512, NotStored, 0},
        {HOST_STEP("SetHostValue 7", return vrx.SetHostValue(7)), 0, NotStored, 0},
        {HOST_STEP("GetHostValue after", return vrx.GetHostValue(&value)), 0, 7, 0},
        {HOST_STEP("SetLogDumpFlag 5", return vrx.SetLogDumpFlag(5)), 0, NotStored, 0},
        {HOST_STEP("GetLogDumpFlag after", uint8_t flag = 0;
                   const uint32_t s = vrx.GetLogDumpFlag(&flag); value = flag; return s), 0, 5, 0},
        {HOST_STEP("SetLogging true", return vrx.SetLogging(true)), 0, NotStored, 0},
        {HOST_STEP("GetLogging after", bool on = false;
                   const uint32_t s = vrx.GetLogging(&on); value = on; return s), 0, 1, 0},
        {HOST_STEP("SetLogging false", return vrx.SetLogging(false)), 0, NotStored, 0},
        {HOST_STEP("Open 99", return vrx.Open(99, 0)), 10, NotStored, "Index out of range."},
        {HOST_STEP("Open 0", return vrx.Open(0, 0)), 0, NotStored, 0},
        {HOST_STEP("GetPosition21 reopened", return vrx.GetPosition21(&value)), 0, 1, 0},
        {HOST_STEP("Close", return vrx.Close(true)), 0, NotStored, 0},
        {HOST_STEP("GetPositionCount closed", return vrx.GetPositionCount(&value)), 2, NotStored,
         "Index out of range."},
        {HOST_STEP("Open 0 again", return vrx.Open(0, 0)), 0, NotStored, 0},
    };
    // clang-format on
    for (unsigned i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
        const TStep& step = steps[i];
        uint32_t value = NotStored;
        const uint32_t status = step.run(vrx, value);
        if (status != step.status)
            Fail("status", step.what, status, step.status);
        if (step.value != AnyValue && value != step.value)
            Fail("value", step.what, value, step.value);
        if (step.text != 0 && !SameText(vrx.GetLastErrorText(), step.text))
            Fail(vrx.GetLastErrorText(), step.what, 0, 0);
    }
}

// Counts its calls.
class TCountingCallback : public KL_VRXSDK::KL_IVRXCallback {
  public:
    TCountingCallback() : calls(0) {}
    virtual void OnChanged() { ++calls; }
    int calls;
};

// The host's callbacks reach it through the library's layer: after a set
// of their own element only, and not once removed. (Which sets call them
// is the controller suite's.)
inline void CheckCallbacks(KLSYS_IVRX& vrx) {
    TCountingCallback on20, on21;
    HOST_CHECK(vrx.SetPosition20Callback(&on20) == 0 && vrx.SetPosition21Callback(&on21) == 0);
    HOST_CHECK(vrx.SetPosition21(2) == 0 && on21.calls == 1 && on20.calls == 0);
    HOST_CHECK(vrx.SetPosition20(3) == 0 && on20.calls == 1 && on21.calls == 1);
    HOST_CHECK(vrx.SetPosition21Callback(0) == 0 && vrx.SetPosition21(1) == 0 && on21.calls == 1);
    HOST_CHECK(vrx.SetPosition20Callback(0) == 0 && vrx.SetPosition20(1) == 0 && on20.calls == 1);
}

// Objects the library did not make, which it never deletes: the host's own
// implementation of KL_IVRX alone (never re-typed either), and of the
// system interface. Every entry returns R.
template <class TInterface, uint32_t R>
class THostObject : public TInterface {
  public:
    virtual uint32_t GetPositionCount(uint32_t*) { return R; }
    virtual uint32_t GetPosition21(uint32_t*) { return R; }
    virtual uint32_t SetPosition21(uint32_t) { return R; }
    virtual uint32_t GetPosition20(uint32_t*) { return R; }
    virtual uint32_t SetPosition20(uint32_t) { return R; }
    virtual uint32_t GetPosition22(uint32_t*) { return R; }
    virtual uint32_t SetPosition22(uint32_t) { return R; }
    virtual uint32_t GetPosition23(uint32_t*) { return R; }
    virtual uint32_t SetPosition23(uint32_t) { return R; }
    virtual uint32_t SetState224(uint32_t) { return R; }
    virtual uint32_t SetState18(uint32_t) { return R; }
    virtual uint32_t GetPosition24(uint32_t*) { return R; }
    virtual uint32_t SetPosition24(uint32_t) { return R; }
    virtual const char* GetLastErrorText() { return ""; }
};

class THostVRX : public THostObject<KL_VRXSDK::KL_IVRX, 0> {};

class THostSystem : public THostObject<KLSYS_IVRX, 1> {
  public:
    virtual uint32_t GetModelFamily(uint32_t*) { return 1; }
    virtual uint32_t GetPosition19Family2(uint32_t*) { return 1; }
    virtual uint32_t GetHostValue(uint32_t*) { return 1; }
    virtual uint32_t SetHostValue(uint32_t) { return 1; }
    virtual uint32_t GetFixedValue(uint32_t*) { return 1; }
    virtual uint32_t SetPosition20Callback(KL_VRXSDK::KL_IVRXCallback*) { return 1; }
    virtual uint32_t SetPosition21Callback(KL_VRXSDK::KL_IVRXCallback*) { return 1; }
    virtual uint32_t GetDeviceInfo(uint32_t*, uint32_t*, uint32_t*) { return 1; }
    virtual uint32_t GetDeviceNumber(uint32_t*) { return 1; }
    virtual uint32_t GetLogging(bool*) { return 1; }
    virtual uint32_t SetLogging(bool) { return 1; }
    virtual uint32_t GetLogDumpFlag(uint8_t*) { return 1; }
    virtual uint32_t SetLogDumpFlag(uint8_t) { return 1; }
    virtual uint32_t GetDeviceCount(int32_t*) { return 1; }
    virtual uint32_t Open(int32_t, uint8_t) { return 1; }
    virtual uint32_t Close(bool) { return 1; }
    virtual uint32_t GetPosition19(uint32_t*) { return 1; }
    virtual uint32_t SetPosition19(uint32_t) { return 1; }
};

// The six exports, however the host reached them.
struct TExports {
    uint32_t(KL_VRX_CALL* getCount)(uint32_t*);
    const char*(KL_VRX_CALL* lastError)();
    KL_VRXSDK::KL_IVRX*(KL_VRX_CALL* create)(int32_t);
    KL_VRXSDK::KL_IVRX*(KL_VRX_CALL* createInternal)(int32_t);
    uint32_t(KL_VRX_CALL* destroy)(KL_VRXSDK::KL_IVRX*);
    KL_VRXSDK::KL_IVRX2*(KL_VRX_CALL* getVrx2)(KL_VRXSDK::KL_IVRX*);
};

// GetModelFamily called by its number in the published table, as a host
// that has only the table does.
inline uint32_t ModelFamilyBySlot(KL_VRXSDK::KL_IVRX* vrx, int slot) {
    typedef uint32_t (*TGet)(KL_VRXSDK::KL_IVRX*, uint32_t*);
    TGet get = reinterpret_cast<TGet>((*reinterpret_cast<void***>(vrx))[slot]);
    uint32_t family = 0;
    return get(vrx, &family) == 0 ? family : 99;
}

// Null pointers and objects of the host's own: own is never re-typed, system
// is as GetVRX2 may see it; neither is deleted.
inline void CheckForeignObjects(const TExports& dll, THostVRX& own, THostSystem& system,
                                KL_VRXSDK::KL_IVRX2* systemAsVrx2) {
    const char* refused = "Couldn't delete VRX object: Invalid pointer!";
    HOST_CHECK(dll.create(-1) == 0);
    HOST_CHECK(SameText(dll.lastError(), "Index out of range."));
    HOST_CHECK(dll.destroy(0) == 0 && dll.getVrx2(0) == 0 && dll.getVrx2(&own) == 0);
    HOST_CHECK(dll.getVrx2(&system) == systemAsVrx2);
    HOST_CHECK(SameText(dll.lastError(), "Index out of range."));  // untouched by null and own
    HOST_CHECK(dll.destroy(&own) == 513);
    HOST_CHECK(SameText(dll.lastError(), refused));
    HOST_CHECK(dll.create(-1) == 0 && dll.destroy(&system) == 513);
    HOST_CHECK(SameText(dll.lastError(), refused));
}

}  // namespace KL_VRXHost

#endif  // KL_VRX_TESTS_HOST_CHECKS_H
