// vrxctl doctor on Windows: hid.dll as the library binds it (from the
// system directory only), and every HID interface of a VRX unit opened for
// reading and writing as the library opens it.
#include <windows.h>
// After windows.h:
#include <setupapi.h>

#include <cwchar>
#include <string>

#include "doctor.h"

namespace {

std::string Narrow(const wchar_t* text) {
    std::string out;
    for (; *text != 0; ++text)
        out.push_back(*text < 0x80 ? static_cast<char>(*text) : '?');
    return out;
}

// The 4 hex digits after marker ("vid_", "pid_") in an interface path.
uint16_t IdAfter(const std::string& path, const char* marker) {
    std::string lower = path;
    for (char& c : lower)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    const size_t at = lower.find(marker);
    if (at == std::string::npos)
        return 0;
    return static_cast<uint16_t>(std::strtoul(lower.substr(at + 4, 4).c_str(), nullptr, 16));
}

void Probe(TDoctorNode& node, const wchar_t* path) {
    HANDLE handle =
        CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, 0, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        node.access = TNodeAccess::Ok;
        return;
    }
    const DWORD error = GetLastError();
    node.detail = "Windows error " + std::to_string(error);
    if (error == ERROR_ACCESS_DENIED)
        node.access = TNodeAccess::Denied;
    else if (error == ERROR_SHARING_VIOLATION)
        node.access = TNodeAccess::Busy;
    else if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
             error == ERROR_DEVICE_NOT_CONNECTED)
        node.access = TNodeAccess::Gone;
    else
        node.access = TNodeAccess::Failed;
}

}  // namespace

TDoctorFindings ProbeSystem() {
    TDoctorFindings findings;
    findings.deniedFix =
        "another account or service may hold the unit, or a policy denies HID access: close "
        "other programs that use it, or run as a user allowed to open it";
    HMODULE hid = LoadLibraryExW(L"hid.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (hid == nullptr) {
        findings.facts.emplace_back("hidDll",
                                    "not loaded from the system directory (Windows error " +
                                        std::to_string(GetLastError()) + ")");
        return findings;
    }
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(hid, module, MAX_PATH);
    findings.facts.emplace_back("hidDll", Narrow(module));
    using TGetGuid = void(WINAPI*)(GUID*);
    const auto getGuid =
        reinterpret_cast<TGetGuid>(reinterpret_cast<void*>(GetProcAddress(hid, "HidD_GetHidGuid")));
    GUID guid{};
    if (getGuid != nullptr)
        getGuid(&guid);
    HDEVINFO set =
        SetupDiGetClassDevsW(&guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    unsigned others = 0;
    if (set != INVALID_HANDLE_VALUE) {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof data;
        for (DWORD i = 0; SetupDiEnumDeviceInterfaces(set, nullptr, &guid, i, &data); ++i) {
            union {
                SP_DEVICE_INTERFACE_DETAIL_DATA_W detail;
                char bytes[sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) + 2 * MAX_PATH];
            } buffer{};
            buffer.detail.cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
            if (!SetupDiGetDeviceInterfaceDetailW(set, &data, &buffer.detail, sizeof buffer,
                                                  nullptr, nullptr))
                continue;
            TDoctorNode node;
            node.name = Narrow(buffer.detail.DevicePath);
            node.vendorId = IdAfter(node.name, "vid_");
            node.productId = IdAfter(node.name, "pid_");
            unsigned family = 0, launchMode = 0;
            if (!ClassifyUnit(node.vendorId, node.productId, family, launchMode)) {
                ++others;
                continue;
            }
            Probe(node, buffer.detail.DevicePath);
            findings.nodes.push_back(node);
        }
        SetupDiDestroyDeviceInfoList(set);
    }
    findings.facts.emplace_back("otherHidInterfaces", std::to_string(others));
    FreeLibrary(hid);
    return findings;
}
