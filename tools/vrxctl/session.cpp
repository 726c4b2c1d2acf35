#include "session.h"

#include <cstdio>
#include <iostream>

#include "decimal.h"
#include "doctor.h"
#include "elements.h"
#include "log_decoder.h"
#include "output.h"

using KL_VRXSDK::KL_IVRX;
using KL_VRXSDK::KLSYS_IVRX;

namespace {

// Parking reads register 18 (3 s at most), writes command 33 (3 s) and waits
// up to 25 s for the unit to report it.
constexpr unsigned ParkSecondsAtMost = 31;

}  // namespace

int UsageError(const std::string& message) {
    std::cerr
        << "vrxctl: " << message << "\n"
        << "usage: vrxctl [OPTIONS] SUBCOMMAND [ARGS] [OPTIONS]\n"
        << "  subcommands: list | show INDEX | get INDEX ELEMENT | set INDEX ELEMENT VALUE |\n"
        << "               park INDEX | watch INDEX [ELEMENT...] | log FILE | doctor | shell\n"
        << "  options: --emulate SPEC --log --log-dump --json --interval MS --version\n"
        << "  (vrxctl --help explains each)\n";
    return ExitUsage;
}

TSession::TSession(TSessionOptions options) : options(std::move(options)) {}

TSession::~TSession() {
    while (!controllers.empty())
        Delete(controllers.begin()->first);
}

int TSession::Run(const std::vector<std::string>& words) {
    if (words.empty())
        return UsageError("no subcommand");
    const std::string& command = words[0];
    if (command == "list" && words.size() == 1)
        return List();
    if (command == "list")
        return UsageError("list takes no argument");
    if (command == "doctor") {
        if (words.size() != 1)
            return UsageError("doctor takes no argument");
        return ReportDoctor(ProbeSystem(), options.json, std::cout);
    }
    if (command == "log") {
        if (words.size() != 2)
            return UsageError("log takes one file, a traffic log (VRXHIDLog.log)");
        return DecodeLog(words[1]);
    }
    if (command != "show" && command != "get" && command != "set" && command != "park" &&
        command != "watch")
        return UsageError("unknown subcommand \"" + command + "\"");
    const auto index = words.size() >= 2 ? ParseSigned(words[1]) : std::nullopt;
    if (!index)
        return UsageError(command + " needs a host index (0 is the simulated unit)");
    if (command == "watch")
        return Watch(*index, std::vector<std::string>(words.begin() + 2, words.end()));
    if (command == "show" || command == "park") {
        if (words.size() != 2)
            return UsageError(command + " takes one host index");
        return command == "show" ? Show(*index) : Park(*index);
    }
    if (command == "get") {
        if (words.size() != 3)
            return UsageError("get takes a host index and an element");
        return Get(*index, words[2]);
    }
    const auto value = words.size() == 4 ? ParseUnsigned(words[3]) : std::nullopt;
    if (!value)
        return UsageError("set takes a host index, an element and a value (0, 1, 2, ...)");
    return Set(*index, words[2], *value);
}

int TSession::DecodeLog(const std::string& path) const {
    const VrxctlLog::TDecodeOptions decode{options.json, options.logFailures};
    return VrxctlLog::DecodeLogFile(path, decode, std::cout, std::cerr) ? ExitOk : ExitUsage;
}

void TSession::Print(const TRecord& record) const {
    std::cout << (options.json ? record.Json() + "\n" : record.Text());
    std::cout.flush();
}

int TSession::Failed(const std::string& what, uint32_t status, KL_IVRX* vrx) {
    const char* text = vrx != nullptr ? vrx->GetLastErrorText() : GetLastVRXDLLError();
    std::cerr << "vrxctl: " << what << " failed: status " << status << ": "
              << (text != nullptr ? text : "") << "\n";
    return ExitOperationFailed;
}

bool TSession::CountUnits(uint32_t& n1, uint32_t& n2, int& exitCode) {
    uint32_t total = 0;
    const uint32_t status = GetVRXDeviceCount(&total);
    if (status != 0) {
        Failed("counting the units", status, nullptr);
        exitCode = ExitCountFailed;
        return false;
    }
    // The simulated unit's controller belongs to family 2, so its own count
    // tells family 2's units apart from family 1's.
    KLSYS_IVRX* simulated = Controller(0, exitCode);
    if (simulated == nullptr)
        return false;
    int32_t family2 = 0;
    const uint32_t countStatus = simulated->GetDeviceCount(&family2);
    if (countStatus != 0) {
        exitCode = Failed("counting the family-2 units", countStatus, simulated);
        return false;
    }
    n2 = family2 > 0 ? static_cast<uint32_t>(family2 - 1) : 0;
    n1 = total > n2 + 1 ? total - 1 - n2 : 0;
    return true;
}

int TSession::List() {
    uint32_t n1 = 0, n2 = 0;
    int exitCode = ExitOk;
    if (!CountUnits(n1, n2, exitCode))
        return exitCode;
    std::vector<TRecord> rows;
    rows.push_back(TRecord()
                       .Number("hostIndex", 0)
                       .Number("family", 2)
                       .Number("index", 0)
                       .Text("unit", "simulated"));
    for (uint32_t i = 1; i <= n1 + n2; ++i) {
        const bool first = i <= n1;
        rows.push_back(TRecord()
                           .Number("hostIndex", i)
                           .Number("family", first ? 1 : 2)
                           .Number("index", first ? i : i - n1)
                           .Text("unit", "attached"));
    }
    Print(TRecord().Number("units", 1 + n1 + n2).Rows("hostIndices", rows));
    return ExitOk;
}

KLSYS_IVRX* TSession::Controller(int32_t hostIndex, int& exitCode) {
    auto found = controllers.find(hostIndex);
    if (found != controllers.end())
        return dynamic_cast<KLSYS_IVRX*>(found->second);
    if (options.openNote) {
        const std::string note = options.openNote(hostIndex);
        if (!note.empty())
            std::cerr << "vrxctl: " << note << "\n";
    }
    KL_IVRX* vrx = CreateVRX(hostIndex);
    if (vrx == nullptr) {
        const std::string text = GetLastVRXDLLError();
        std::cerr << "vrxctl: opening host index " << hostIndex << " failed: " << text << "\n";
        // Windows error 5, ERROR_ACCESS_DENIED (EACCES or EPERM on Linux).
        if (text.find("API error: 5.") != std::string::npos)
            std::cerr << DoctorHint() << "\n";
        exitCode = ExitOpenFailed;
        return nullptr;
    }
    controllers[hostIndex] = vrx;
    auto* system = dynamic_cast<KLSYS_IVRX*>(vrx);
    if (options.log)
        system->SetLogging(true);
    if (options.logDump)
        system->SetLogDumpFlag(1);
    return system;
}

void TSession::NoteParking(int32_t hostIndex) const {
    if (hostIndex > 0)
        std::cerr << "vrxctl: parking host index " << hostIndex
                  << ": waiting for the unit to report it (at most " << ParkSecondsAtMost
                  << " s)\n";
}

void TSession::Delete(int32_t hostIndex) {
    auto found = controllers.find(hostIndex);
    if (found == controllers.end())
        return;
    NoteParking(hostIndex);
    DeleteVRX(found->second);
    controllers.erase(found);
}

int TSession::Show(int32_t hostIndex) {
    int exitCode = ExitOk;
    KLSYS_IVRX* vrx = Controller(hostIndex, exitCode);
    if (vrx == nullptr)
        return exitCode;
    TRecord record;
    record.Number("hostIndex", hostIndex);
    uint32_t family = 0;
    vrx->GetModelFamily(&family);
    record.Number("modelFamily", family);
    uint32_t value = 0;
    uint32_t status = vrx->GetPositionCount(&value);
    if (status != 0)
        return Failed("reading the position count", status, vrx);
    record.Number("positionCount", value);
    for (const TElement* element = Elements(); element->name != nullptr; ++element) {
        if (!ReadsOnFamily(*element, family))
            continue;
        value = 0;
        status = (vrx->*element->get)(&value);
        if (status != 0 && status != 11) {
            exitCode = Failed(std::string("reading ") + element->name, status, vrx);
            continue;
        }
        // 11: the unit reported a value outside the mapping; 99999 is shown.
        if (status == 11)
            exitCode = Failed(std::string("reading ") + element->name, status, vrx);
        record.Number(element->name, value);
    }
    uint32_t info[3] = {0, 0, 0};
    status = vrx->GetDeviceInfo(&info[0], &info[1], &info[2]);
    if (status != 0)
        exitCode = Failed("reading the device information", status, vrx);
    else
        record.Numbers("deviceInfo", {info[0], info[1], info[2]});
    status = vrx->GetDeviceNumber(&value);
    if (status != 0)
        exitCode = Failed("reading the device number", status, vrx);
    else
        record.Number("deviceNumber", value);
    Print(record);
    return exitCode;
}

int TSession::Get(int32_t hostIndex, const std::string& name) {
    const TElement* element = FindElement(name);
    if (element == nullptr)
        return UsageError("unknown element \"" + name + "\"");
    if (element->get == nullptr)
        return UsageError(name + " can only be set");
    int exitCode = ExitOk;
    KLSYS_IVRX* vrx = Controller(hostIndex, exitCode);
    if (vrx == nullptr)
        return exitCode;
    uint32_t value = 0;
    const uint32_t status = (vrx->*element->get)(&value);
    if (status != 0)
        return Failed("reading " + name, status, vrx);
    if (options.json)
        Print(
            TRecord().Number("hostIndex", hostIndex).Text("element", name).Number("value", value));
    else
        std::cout << value << "\n";
    return ExitOk;
}

int TSession::Set(int32_t hostIndex, const std::string& name, uint32_t value) {
    const TElement* element = FindElement(name);
    if (element == nullptr)
        return UsageError("unknown element \"" + name + "\"");
    if (element->set == nullptr)
        return UsageError(name + " can only be read");
    int exitCode = ExitOk;
    KLSYS_IVRX* vrx = Controller(hostIndex, exitCode);
    if (vrx == nullptr)
        return exitCode;
    const uint32_t status = (vrx->*element->set)(value);
    if (status != 0)
        return Failed("setting " + name, status, vrx);
    Print(TRecord().Number("hostIndex", hostIndex).Text("element", name).Number("value", value));
    return ExitOk;
}

int TSession::Park(int32_t hostIndex) {
    int exitCode = ExitOk;
    KLSYS_IVRX* vrx = Controller(hostIndex, exitCode);
    if (vrx == nullptr)
        return exitCode;
    NoteParking(hostIndex);
    vrx->Close(true);
    // The controller has nothing open any more; the next use opens afresh.
    DeleteVRX(vrx);
    controllers.erase(hostIndex);
    Print(TRecord().Number("hostIndex", hostIndex).Flag("parked", true));
    return ExitOk;
}
