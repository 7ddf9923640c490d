#include "platform/comm/port_list.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "platform/base/registry.h"

extern char** environ;

namespace platform {
namespace {

namespace fs = std::filesystem;

struct Range {
    const char* prefix;
    int firstCom;
    SerialPortKind kind;
};

constexpr int kPerRange = 32;
constexpr Range kRanges[] = {
    {"ttyS", 1, SerialPortKind::Plain},
    {"ttyUSB", 33, SerialPortKind::Vcp},
    {"ttyACM", 65, SerialPortKind::Vcp},
    {"rfcomm", 97, SerialPortKind::Bluetooth},
};
constexpr int kFirstOtherCom = 129;

// The number after `prefix` in `name`, or -1 when the rest is not a plain decimal number.
int NumberAfter(const std::string& name, const char* prefix) {
    const std::string p(prefix);
    if (name.size() <= p.size() || name.compare(0, p.size(), p) != 0) return -1;
    int n = 0;
    for (size_t i = p.size(); i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9' || n > 100000) return -1;
        n = n * 10 + (name[i] - '0');
    }
    return n;
}

// Parses "COM<n>" (any case) or the digits alone; 0 when it is not a number from 1 to 255.
int ParseComNumber(const std::string& text) {
    if (text.empty() || text.size() > 3) return 0;
    int n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    return n >= 1 && n <= kMaxComNumber ? n : 0;
}

SerialPortKind KindOfDeviceName(const std::string& name) {
    for (const Range& r : kRanges)
        if (NumberAfter(name, r.prefix) >= 0) return r.kind;
    return SerialPortKind::Plain;
}

CString ValueName(SerialPortKind kind, const std::string& device) {
    const char* marker = kind == SerialPortKind::Vcp         ? "VCP"
                         : kind == SerialPortKind::Bluetooth ? "btport"
                                                             : "Serial";
    return CString::Formatted("\\Device\\%s_%s", marker, device.c_str());
}

bool IsDevicePresent(const fs::path& ttyDir) {
    std::error_code ec;
    return fs::exists(ttyDir / "device", ec);
}

// A UART that the kernel probed and found has a non-zero port type.
bool HasUartType(const fs::path& ttyDir) {
    std::ifstream in(ttyDir / "type");
    int type = 0;
    return static_cast<bool>(in >> type) && type != 0;
}

std::string Resolved(const std::string& path) {
    std::error_code ec;
    const fs::path p = fs::weakly_canonical(path, ec);
    return ec ? path : p.string();
}

// The device's short name for its value name: "ttyUSB0", or "pts7" for /dev/pts/7.
std::string DeviceName(const std::string& resolvedPath) {
    const std::string dev = "/dev/";
    std::string name = resolvedPath.compare(0, dev.size(), dev) == 0
                           ? resolvedPath.substr(dev.size())
                           : fs::path(resolvedPath).filename().string();
    name.erase(std::remove(name.begin(), name.end(), '/'), name.end());
    return name;
}

// The ports found under /sys/class/tty, by COM number.
std::map<int, SerialPortEntry> FromSysfs(const CString& sysRoot) {
    std::map<int, SerialPortEntry> ports;
    std::vector<std::string> others;
    std::error_code ec;
    const fs::path classDir = fs::path(sysRoot.str()) / "class" / "tty";
    for (const fs::directory_entry& e : fs::directory_iterator(classDir, ec)) {
        const std::string name = e.path().filename().string();
        bool ranged = false;
        for (const Range& r : kRanges) {
            const int n = NumberAfter(name, r.prefix);
            if (n < 0) continue;
            ranged = true;
            if (n >= kPerRange) break;
            if (r.kind == SerialPortKind::Plain &&
                !(IsDevicePresent(e.path()) && HasUartType(e.path())))
                break;
            SerialPortEntry port;
            port.comNumber = r.firstCom + n;
            port.devicePath = CString("/dev/" + name);
            port.kind = r.kind;
            port.valueName = ValueName(r.kind, name);
            ports[port.comNumber] = port;
            break;
        }
        if (!ranged && IsDevicePresent(e.path())) others.push_back(name);
    }
    std::sort(others.begin(), others.end());
    int com = kFirstOtherCom;
    for (const std::string& name : others) {
        if (com > kMaxComNumber) break;
        SerialPortEntry port;
        port.comNumber = com++;
        port.devicePath = CString("/dev/" + name);
        port.valueName = ValueName(SerialPortKind::Plain, name);
        ports[port.comNumber] = port;
    }
    return ports;
}

// COM number to device path, from the registry first and then the environment, which wins.
std::map<int, std::string> Overrides() {
    std::map<int, std::string> paths;
    CRegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kComPortMapKey) == ERROR_SUCCESS) {
        for (const CString& valueName : key.EnumValueNames()) {
            if (valueName.GetLength() < 4 || valueName.Left(3).CompareNoCase("COM") != 0) continue;
            const int n = ParseComNumber(valueName.Mid(3).str());
            CString path;
            if (n && key.QueryStringValue(valueName, path) == ERROR_SUCCESS) paths[n] = path.str();
        }
    }
    const std::string prefix = kComOverrideEnvPrefix;
    for (char** env = environ; env && *env; ++env) {
        const std::string entry(*env);
        const size_t eq = entry.find('=');
        if (eq == std::string::npos || entry.compare(0, prefix.size(), prefix) != 0) continue;
        const int n = ParseComNumber(entry.substr(prefix.size(), eq - prefix.size()));
        if (n) paths[n] = entry.substr(eq + 1);
    }
    return paths;
}

}  // namespace

std::vector<SerialPortEntry> EnumerateSerialPorts(const CString& sysRoot) {
    std::map<int, SerialPortEntry> ports = FromSysfs(sysRoot);
    const std::map<int, std::string> overrides = Overrides();
    for (const auto& [com, path] : overrides) {
        ports.erase(com);
        if (path.empty()) continue;
        const std::string target = Resolved(path);
        // The device leaves its own place: one device, one COM number.
        for (auto it = ports.begin(); it != ports.end();) {
            if (!it->second.overridden && Resolved(it->second.devicePath.str()) == target)
                it = ports.erase(it);
            else
                ++it;
        }
        SerialPortEntry port;
        port.comNumber = com;
        port.devicePath = CString(path);
        const std::string name = DeviceName(target);
        port.kind = KindOfDeviceName(name);
        port.valueName = ValueName(port.kind, name);
        port.overridden = true;
        ports[com] = port;
    }
    std::vector<SerialPortEntry> list;
    list.reserve(ports.size());
    for (auto& [com, port] : ports)
        list.push_back(std::move(port));
    return list;
}

bool FindComPort(int comNumber, SerialPortEntry& entry, const CString& sysRoot) {
    for (SerialPortEntry& port : EnumerateSerialPorts(sysRoot)) {
        if (port.comNumber == comNumber) {
            entry = std::move(port);
            return true;
        }
    }
    return false;
}

CString ComPortDevice(int comNumber, const CString& sysRoot) {
    SerialPortEntry entry;
    return FindComPort(comNumber, entry, sysRoot) ? entry.devicePath : CString();
}

}  // namespace platform
