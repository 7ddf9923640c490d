#pragma once
// CArchive: the class library's binary archive. Integers and doubles little-endian; strings with a
// 1, 3 or 7 byte length prefix in Windows-1252, or in the Unicode form (0xFF 0xFFFE marker, then
// UTF-16LE) when Windows-1252 cannot hold them; element counts as 16 bits, or 0xFFFF and 32 bits,
// or 0xFFFF, 0xFFFFFFFF and 64 bits. Every integer goes through at its exact width: LONGLONG and
// ULONGLONG as 8 bytes, LONG and DWORD as 4.
// Every load is bounds-checked: a short or malformed file throws CArchiveException, and nothing is
// allocated beyond what the rest of the file could hold.

#include <bit>
#include <cstring>
#include <type_traits>
#include <vector>

#include "platform/base/cstring.h"
#include "platform/base/exceptions.h"
#include "platform/base/file.h"

// The 64-bit integer type that LONGLONG and ULONGLONG are not (long long where they are long): it
// goes through as 8 bytes too, never narrowed to a 32-bit overload.
template <class T>
concept OtherWord64 = std::is_integral_v<T> && sizeof(T) == 8 && !std::is_same_v<T, LONGLONG> &&
                      !std::is_same_v<T, ULONGLONG>;

class CArchive {
public:
    enum Mode : UINT { store = 0, load = 1 };

    CArchive(CFile* file, UINT mode, int bufferSize = 4096);
    ~CArchive();  // a storing archive that was not closed is flushed; errors are dropped
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsStoring() const { return m_mode == store; }
    bool IsLoading() const { return m_mode == load; }
    CFile* GetFile() const { return m_file; }
    void Flush();
    void Close();
    void Abort();

    // Raw bytes. Read returns how many were there; ReadExact throws when fewer remain.
    UINT Read(void* buffer, UINT count);
    void ReadExact(void* buffer, size_t count);
    void Write(const void* buffer, size_t count);

    // Bytes left to load; and a check that at least n are left (throws otherwise).
    ULONGLONG Remaining() const;
    void EnsureAvailable(ULONGLONG n) const;

    DWORD_PTR ReadCount();
    void WriteCount(DWORD_PTR count);
    // A count of elements of the given size, refused when the rest of the file cannot hold them.
    size_t ReadCountOf(size_t elementSize);

    CArchive& operator<<(BYTE v) { return Put(v); }
    CArchive& operator<<(char v) { return Put(v); }
    CArchive& operator<<(signed char v) { return Put(v); }
    CArchive& operator<<(WORD v) { return Put(v); }
    CArchive& operator<<(short v) { return Put(v); }
    CArchive& operator<<(int v) { return Put(static_cast<LONG>(v)); }
    CArchive& operator<<(UINT v) { return Put(static_cast<DWORD>(v)); }
    CArchive& operator<<(LONGLONG v) { return Put(v); }
    CArchive& operator<<(ULONGLONG v) { return Put(v); }
    template <class T>
    requires OtherWord64<T> CArchive& operator<<(T v) { return Put(v); }
    CArchive& operator<<(float v) { return Put(v); }
    CArchive& operator<<(double v) { return Put(v); }
    CArchive& operator<<(const CString& s);
    CArchive& operator<<(const char* s) { return *this << CString(s); }

    CArchive& operator>>(BYTE& v) { return Get(v); }
    CArchive& operator>>(char& v) { return Get(v); }
    CArchive& operator>>(signed char& v) { return Get(v); }
    CArchive& operator>>(WORD& v) { return Get(v); }
    CArchive& operator>>(short& v) { return Get(v); }
    CArchive& operator>>(int& v) { return GetAs<LONG>(v); }
    CArchive& operator>>(UINT& v) { return GetAs<DWORD>(v); }
    CArchive& operator>>(LONGLONG& v) { return Get(v); }
    CArchive& operator>>(ULONGLONG& v) { return Get(v); }
    template <class T>
    requires OtherWord64<T> CArchive& operator>>(T& v) { return Get(v); }
    CArchive& operator>>(float& v) { return Get(v); }
    CArchive& operator>>(double& v) { return Get(v); }
    CArchive& operator>>(CString& s);

    // An array of doubles as the class library stores one: a count, then the values.
    void WriteDoubles(const std::vector<double>& values);
    std::vector<double> ReadDoubles();

private:
    template <class T>
    CArchive& Put(T v) {
        static_assert(std::is_arithmetic_v<T>);
        BYTE b[sizeof(T)];
        std::memcpy(b, &v, sizeof(T));  // the platform is little-endian, as the files are
        Write(b, sizeof(T));
        return *this;
    }
    template <class T>
    CArchive& Get(T& v) {
        static_assert(std::is_arithmetic_v<T>);
        BYTE b[sizeof(T)];
        ReadExact(b, sizeof(T));
        std::memcpy(&v, b, sizeof(T));
        return *this;
    }
    template <class Wire, class T>
    CArchive& GetAs(T& v) {
        Wire w{};
        Get(w);
        v = static_cast<T>(w);
        return *this;
    }
    void RequireLoading() const;
    void RequireStoring() const;
    void FillBuffer();
    void WriteLength(ULONGLONG length);
    ULONGLONG ReadLengthAfterMarker(WORD first16);

    CFile* m_file;
    UINT m_mode;
    std::vector<BYTE> m_buffer;
    size_t m_pos = 0;  // next byte to take (load) or free slot (store)
    size_t m_end = 0;  // end of valid bytes (load)
    bool m_closed = false;
};

static_assert(std::endian::native == std::endian::little, "archives are little-endian");
