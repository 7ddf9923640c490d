#pragma once
// CString: the program's string, UTF-8 in memory. Lengths and positions count bytes, which equal
// characters for the ASCII texts the program slices; archives convert to Windows-1252 at the edge.

#include <compare>
#include <cstdio>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/base/types.h"

class QString;

class CString {
public:
    CString() = default;
    CString(const char* s) : m_s(s ? s : "") {}
    CString(const char* s, int length)
        : m_s(s ? std::string(s, static_cast<size_t>(length)) : std::string()) {}
    CString(std::string s) : m_s(std::move(s)) {}
    CString(std::string_view s) : m_s(s) {}
    CString(char ch, int repeat = 1) : m_s(static_cast<size_t>(repeat > 0 ? repeat : 0), ch) {}
    CString(const QString& s);

    // Access.
    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    char GetAt(int i) const { return m_s.at(static_cast<size_t>(i)); }
    void SetAt(int i, char ch) { m_s.at(static_cast<size_t>(i)) = ch; }
    char operator[](int i) const { return GetAt(i); }
    char operator[](size_t i) const { return m_s.at(i); }
    const char* GetString() const { return m_s.c_str(); }
    operator const char*() const { return m_s.c_str(); }
    const std::string& str() const { return m_s; }
    std::string& str() { return m_s; }
    QString ToQString() const;

    // A writable buffer of at least minLength bytes; ReleaseBuffer(-1) cuts at the first NUL.
    char* GetBuffer(int minLength = 0);
    char* GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1);

    // Slices; out-of-range arguments are clamped, as the class library does.
    CString Left(int count) const;
    CString Right(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString SpanIncluding(const char* set) const;
    CString SpanExcluding(const char* set) const;
    CString Tokenize(const char* delimiters, int& start) const;

    // Searching; -1 when not found.
    int Find(char ch, int start = 0) const;
    int Find(const char* sub, int start = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(const char* set) const;

    // Changing in place.
    int Replace(char from, char to);
    int Replace(const char* from, const char* to);
    int Remove(char ch);
    int Insert(int index, char ch);
    int Insert(int index, const char* s);
    int Delete(int index, int count = 1);
    CString& MakeUpper();  // ASCII letters only
    CString& MakeLower();
    CString& MakeReverse();
    CString& Trim();
    CString& Trim(char ch);
    CString& Trim(const char* set);
    CString& TrimLeft();
    CString& TrimLeft(char ch);
    CString& TrimLeft(const char* set);
    CString& TrimRight();
    CString& TrimRight(char ch);
    CString& TrimRight(const char* set);

    int Compare(const char* s) const;
    int CompareNoCase(const char* s) const;  // ASCII case folding

    // printf-style formatting. CString arguments may be passed for %s directly.
    template <class... Args>
    void Format(const char* format, const Args&... args) {
        m_s.clear();
        AppendFormatRaw(format, PassArg(args)...);
    }
    template <class... Args>
    void AppendFormat(const char* format, const Args&... args) {
        AppendFormatRaw(format, PassArg(args)...);
    }
    template <class... Args>
    static CString Formatted(const char* format, const Args&... args) {
        CString s;
        s.AppendFormatRaw(format, PassArg(args)...);
        return s;
    }

    CString& operator+=(const CString& s) {
        m_s += s.m_s;
        return *this;
    }
    CString& operator+=(const char* s) {
        if (s) m_s += s;
        return *this;
    }
    CString& operator+=(char ch) {
        m_s += ch;
        return *this;
    }

    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_s + b.m_s); }
    friend CString operator+(const CString& a, const char* b) {
        return CString(a.m_s + (b ? b : ""));
    }
    friend CString operator+(const char* a, const CString& b) {
        return CString((a ? a : "") + b.m_s);
    }
    friend CString operator+(const CString& a, char b) { return CString(a.m_s + b); }
    friend CString operator+(char a, const CString& b) { return CString(a + b.m_s); }

    friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CString& a, const char* b) { return a.m_s == (b ? b : ""); }
    friend std::strong_ordering operator<=>(const CString& a, const CString& b) {
        return a.m_s <=> b.m_s;
    }
    friend std::strong_ordering operator<=>(const CString& a, const char* b) {
        return a.m_s <=> std::string_view(b ? b : "");
    }

private:
    static const char* PassArg(const CString& s) { return s.GetString(); }
    template <class T>
    static const T& PassArg(const T& v) {
        static_assert(std::is_arithmetic_v<T> || std::is_pointer_v<T> || std::is_enum_v<T> ||
                          std::is_array_v<T>,
                      "only numbers, pointers and strings can be formatted");
        return v;
    }
    void AppendFormatRaw(const char* format, ...);

    std::string m_s;
};

// Some call sites build texts through lists of CString; keep them cheap to move.
static_assert(std::is_nothrow_move_constructible_v<CString>);
