// The COM port map from any sys tree, registry values and environment: the list is in ascending COM
// numbers from 1 to 255, each override is where it says with the path it gives, and a device that
// an override points at is listed once.
//
// The input is lines. "S<name>" makes a tty named <name> under class/tty; a '|' in the line ends
// the name, and what follows holds 'd' for a device link and "t<text>" for its type file.
// "R<name>=<path>" is a value of the registry's COM port map; "E<suffix>=<path>" the variable
// VARNEL_COM<suffix>.

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/registry.h"
#include "platform/comm/port_list.h"

extern char** environ;

// Names the line of a failed check, for the person reading the finding.
#define CHECK(ok) ((ok) ? void() : Fail(__LINE__))

namespace {

namespace fs = std::filesystem;

[[noreturn]] void Fail(int line) {
    std::fprintf(stderr, "check failed at line %d\n", line);
    std::abort();
}

// A folder of this process's own, removed again at exit.
struct ScratchFolder {
    fs::path path;
    ~ScratchFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

fs::path Scratch() {
    static const ScratchFolder dir = [] {
        std::error_code ec;
        const fs::path base =
            fs::exists("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        fs::path p = base / ("varnel-fuzz-ports-" + std::to_string(getpid()));
        fs::create_directories(p);
        return ScratchFolder{p};
    }();
    return dir.path;
}

// The COM number the map reads from a name's digits, or 0.
int ComNumberOf(const std::string& digits) {
    if (digits.empty() || digits.size() > 3) return 0;
    int n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    return n >= 1 && n <= platform::kMaxComNumber ? n : 0;
}

std::string Resolved(const std::string& path) {
    std::error_code ec;
    const fs::path p = fs::weakly_canonical(path, ec);
    return ec ? path : p.string();
}

void Unset(std::vector<std::string>& names) {
    for (const std::string& name : names)
        unsetenv(name.c_str());
    names.clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool started = [] {
        std::vector<std::string> stray;
        for (char** env = environ; env && *env; ++env) {
            const std::string entry(*env);
            if (entry.rfind(platform::kComOverrideEnvPrefix, 0) == 0)
                stray.push_back(entry.substr(0, entry.find('=')));
        }
        Unset(stray);
        return true;
    }();
    (void)started;

    const fs::path root = Scratch();
    const fs::path sys = root / "sys";
    std::error_code ec;
    fs::remove_all(sys, ec);
    // A new registry file each time: nothing of an earlier input's values can remain.
    static unsigned runs = 0;
    const fs::path registry = root / ("registry-" + std::to_string(runs++) + ".ini");
    fs::create_directories(sys / "class" / "tty");
    platform::SetRegistryFile(CString(registry.string()));

    std::vector<std::string> setNames;
    // For each COM number the override paths given, by the environment and by the registry.
    std::map<int, std::set<std::string>> envPaths, regPaths;
    CRegKey key;
    bool keyMade = false;

    std::string_view text(reinterpret_cast<const char*>(data), size);
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string line(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        line.erase(std::remove(line.begin(), line.end(), '\0'), line.end());
        if (line.empty()) continue;
        const char kind = line[0];
        const std::string rest = line.substr(1);
        const size_t eq = rest.find('=');
        if (kind == 'S') {
            const size_t bar = rest.find('|');
            std::string name = rest.substr(0, bar);
            name.erase(std::remove(name.begin(), name.end(), '/'), name.end());
            if (name.empty() || name == "." || name == ".." || name.size() > 64) continue;
            const fs::path dir = sys / "class" / "tty" / name;
            fs::create_directories(dir, ec);
            if (bar == std::string::npos) continue;
            const std::string flags = rest.substr(bar + 1);
            if (flags.find('d') != std::string::npos) fs::create_directories(dir / "device", ec);
            const size_t t = flags.find('t');
            if (t != std::string::npos) std::ofstream(dir / "type") << flags.substr(t + 1);
        } else if (kind == 'R' && eq != std::string::npos) {
            if (!keyMade) {
                keyMade = key.Create(HKEY_LOCAL_MACHINE, platform::kComPortMapKey) == ERROR_SUCCESS;
                if (!keyMade) continue;
            }
            const std::string name = rest.substr(0, eq), path = rest.substr(eq + 1);
            if (name.empty()) continue;
            key.SetStringValue(name.c_str(), path.c_str());
        } else if (kind == 'E' && eq != std::string::npos) {
            const std::string name = platform::kComOverrideEnvPrefix + rest.substr(0, eq);
            const std::string path = rest.substr(eq + 1);
            if (setenv(name.c_str(), path.c_str(), 1) != 0) continue;
            setNames.push_back(name);
            if (const int n = ComNumberOf(rest.substr(0, eq))) envPaths[n].insert(path);
        }
    }
    // The values as the registry holds them in the end: the store may fold names that differ
    // only in separators, and the last write of a name wins.
    if (keyMade) {
        for (const CString& valueName : key.EnumValueNames()) {
            const std::string name = valueName.str();
            CString stored;
            if (name.size() >= 4 && (name[0] | 0x20) == 'c' && (name[1] | 0x20) == 'o' &&
                (name[2] | 0x20) == 'm' &&
                key.QueryStringValue(name.c_str(), stored) == ERROR_SUCCESS)
                if (const int n = ComNumberOf(name.substr(3))) regPaths[n].insert(stored.str());
        }
    }
    if (keyMade) key.Close();

    const std::vector<platform::SerialPortEntry> ports =
        platform::EnumerateSerialPorts(CString(sys.string()));
    int last = 0;
    std::map<int, const platform::SerialPortEntry*> byCom;
    std::set<std::string> overriddenTargets;
    for (const platform::SerialPortEntry& p : ports) {
        CHECK(p.comNumber > last && p.comNumber <= platform::kMaxComNumber);
        last = p.comNumber;
        byCom[p.comNumber] = &p;
        CHECK(!p.devicePath.IsEmpty());
        CHECK(p.valueName.Left(8) == "\\Device\\");
        CHECK(p.PortName() == CString::Formatted("COM%d", p.comNumber));
        if (p.overridden) overriddenTargets.insert(Resolved(p.devicePath.str()));
    }
    for (const platform::SerialPortEntry& p : ports)
        if (!p.overridden) CHECK(!overriddenTargets.count(Resolved(p.devicePath.str())));

    // Where one source gives one path for a number, the list holds it (the environment wins).
    for (int n = 1; n <= platform::kMaxComNumber; ++n) {
        const auto e = envPaths.find(n);
        const auto r = regPaths.find(n);
        const std::set<std::string>* given = e != envPaths.end()   ? &e->second
                                             : r != regPaths.end() ? &r->second
                                                                   : nullptr;
        if (!given || given->size() != 1) continue;
        const std::string& path = *given->begin();
        const auto it = byCom.find(n);
        if (path.empty()) {
            CHECK(it == byCom.end());
        } else {
            CHECK(it != byCom.end() && it->second->overridden &&
                  it->second->devicePath == CString(path));
            platform::SerialPortEntry found;
            CHECK(platform::FindComPort(n, found, CString(sys.string())) &&
                  found.devicePath == CString(path));
        }
    }
    Unset(setNames);
    fs::remove(registry, ec);
    return 0;
}
