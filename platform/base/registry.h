#pragma once
// The registry, kept in one settings file per user. Key paths are written as the program writes
// them ("SOFTWARE\Company\Product"); machine-wide keys land in the user's file too, under their
// root.

#include <vector>

#include "platform/base/cstring.h"
#include "platform/base/errors.h"

struct HKEY__;
using HKEY = HKEY__*;
#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000000)))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000001)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000002)))

// A key opened on one of the roots. Values are strings or 32-bit numbers.
class CRegKey {
public:
    CRegKey() = default;
    ~CRegKey() = default;

    LONG Open(HKEY root, const char* subKey);    // ERROR_FILE_NOT_FOUND when the key is absent
    LONG Create(HKEY root, const char* subKey);  // opens, making the key when absent
    LONG Close();
    bool IsOpen() const { return m_open; }

    LONG QueryStringValue(const char* name, CString& value) const;
    LONG SetStringValue(const char* name, const char* value);
    LONG QueryDWORDValue(const char* name, DWORD& value) const;
    LONG SetDWORDValue(const char* name, DWORD value);
    LONG DeleteValue(const char* name);
    // Names of the values directly under this key, in stored order.
    std::vector<CString> EnumValueNames() const;

private:
    CString KeyFor(const char* name) const;
    bool m_open = false;
    CString m_path;  // "ROOT/sub/key"
};

namespace platform {

// The file behind the registry. By default a file in the user's configuration folder; tests point
// it into a temporary folder. Setting it drops any cached state.
void SetRegistryFile(const CString& path);
CString RegistryFile();
// Writes pending changes to the file.
void SyncRegistry();

}  // namespace platform
