#include "platform/base/cstring.h"

#include <QString>
#include <algorithm>
#include <cstdarg>
#include <cstring>

namespace {

char AsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool InSet(char c, const char* set) {
    return set && c != '\0' && std::strchr(set, c) != nullptr;
}

}  // namespace

CString::CString(const QString& s) : m_s(s.toStdString()) {}

QString CString::ToQString() const {
    return QString::fromStdString(m_s);
}

char* CString::GetBuffer(int minLength) {
    if (minLength > GetLength()) m_s.resize(static_cast<size_t>(minLength));
    return m_s.data();
}

char* CString::GetBufferSetLength(int length) {
    m_s.resize(static_cast<size_t>(std::max(length, 0)));
    return m_s.data();
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength < 0) {
        m_s.resize(std::strlen(m_s.c_str()));
    } else {
        m_s.resize(std::min(static_cast<size_t>(newLength), m_s.size()));
    }
}

CString CString::Left(int count) const {
    count = std::clamp(count, 0, GetLength());
    return CString(m_s.substr(0, static_cast<size_t>(count)));
}

CString CString::Right(int count) const {
    count = std::clamp(count, 0, GetLength());
    return CString(m_s.substr(m_s.size() - static_cast<size_t>(count)));
}

CString CString::Mid(int first) const {
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const {
    first = std::clamp(first, 0, GetLength());
    count = std::clamp(count, 0, GetLength() - first);
    return CString(m_s.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CString CString::SpanIncluding(const char* set) const {
    size_t n = 0;
    while (n < m_s.size() && InSet(m_s[n], set))
        ++n;
    return CString(m_s.substr(0, n));
}

CString CString::SpanExcluding(const char* set) const {
    size_t n = 0;
    while (n < m_s.size() && !InSet(m_s[n], set))
        ++n;
    return CString(m_s.substr(0, n));
}

CString CString::Tokenize(const char* delimiters, int& start) const {
    if (start < 0) return CString();
    size_t pos = static_cast<size_t>(start);
    while (pos < m_s.size() && InSet(m_s[pos], delimiters))
        ++pos;
    if (pos >= m_s.size()) {
        start = -1;
        return CString();
    }
    size_t end = pos;
    while (end < m_s.size() && !InSet(m_s[end], delimiters))
        ++end;
    start = static_cast<int>(end < m_s.size() ? end + 1 : end);
    return CString(m_s.substr(pos, end - pos));
}

int CString::Find(char ch, int start) const {
    if (start < 0 || start >= GetLength()) return -1;
    const size_t p = m_s.find(ch, static_cast<size_t>(start));
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::Find(const char* sub, int start) const {
    if (!sub || start < 0 || start > GetLength()) return -1;
    const size_t p = m_s.find(sub, static_cast<size_t>(start));
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::ReverseFind(char ch) const {
    const size_t p = m_s.rfind(ch);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

int CString::FindOneOf(const char* set) const {
    for (size_t i = 0; i < m_s.size(); ++i)
        if (InSet(m_s[i], set)) return static_cast<int>(i);
    return -1;
}

int CString::Replace(char from, char to) {
    int n = 0;
    for (char& c : m_s)
        if (c == from) c = to, ++n;
    return n;
}

int CString::Replace(const char* from, const char* to) {
    if (!from || !*from) return 0;
    const std::string f(from), t(to ? to : "");
    int n = 0;
    std::string out;
    size_t pos = 0;
    for (size_t hit; (hit = m_s.find(f, pos)) != std::string::npos; pos = hit + f.size(), ++n)
        out.append(m_s, pos, hit - pos).append(t);
    if (n == 0) return 0;
    out.append(m_s, pos, std::string::npos);
    m_s = std::move(out);
    return n;
}

int CString::Remove(char ch) {
    const auto old = m_s.size();
    m_s.erase(std::remove(m_s.begin(), m_s.end(), ch), m_s.end());
    return static_cast<int>(old - m_s.size());
}

int CString::Insert(int index, char ch) {
    return Insert(index, std::string(1, ch).c_str());
}

int CString::Insert(int index, const char* s) {
    index = std::clamp(index, 0, GetLength());
    m_s.insert(static_cast<size_t>(index), s ? s : "");
    return GetLength();
}

int CString::Delete(int index, int count) {
    if (index >= 0 && index < GetLength() && count > 0)
        m_s.erase(static_cast<size_t>(index), static_cast<size_t>(count));
    return GetLength();
}

CString& CString::MakeUpper() {
    std::transform(m_s.begin(), m_s.end(), m_s.begin(), AsciiUpper);
    return *this;
}

CString& CString::MakeLower() {
    std::transform(m_s.begin(), m_s.end(), m_s.begin(), AsciiLower);
    return *this;
}

CString& CString::MakeReverse() {
    std::reverse(m_s.begin(), m_s.end());
    return *this;
}

CString& CString::Trim() {
    return TrimRight().TrimLeft();
}
CString& CString::Trim(char ch) {
    return TrimRight(ch).TrimLeft(ch);
}
CString& CString::Trim(const char* set) {
    return TrimRight(set).TrimLeft(set);
}

CString& CString::TrimLeft() {
    size_t n = 0;
    while (n < m_s.size() && IsSpace(m_s[n]))
        ++n;
    m_s.erase(0, n);
    return *this;
}

CString& CString::TrimLeft(char ch) {
    size_t n = 0;
    while (n < m_s.size() && m_s[n] == ch)
        ++n;
    m_s.erase(0, n);
    return *this;
}

CString& CString::TrimLeft(const char* set) {
    size_t n = 0;
    while (n < m_s.size() && InSet(m_s[n], set))
        ++n;
    m_s.erase(0, n);
    return *this;
}

CString& CString::TrimRight() {
    while (!m_s.empty() && IsSpace(m_s.back()))
        m_s.pop_back();
    return *this;
}

CString& CString::TrimRight(char ch) {
    while (!m_s.empty() && m_s.back() == ch)
        m_s.pop_back();
    return *this;
}

CString& CString::TrimRight(const char* set) {
    while (!m_s.empty() && InSet(m_s.back(), set))
        m_s.pop_back();
    return *this;
}

int CString::Compare(const char* s) const {
    const int r = std::strcmp(m_s.c_str(), s ? s : "");
    return (r > 0) - (r < 0);
}

int CString::CompareNoCase(const char* s) const {
    const char* a = m_s.c_str();
    const char* b = s ? s : "";
    for (;; ++a, ++b) {
        const unsigned char ca = static_cast<unsigned char>(AsciiLower(*a));
        const unsigned char cb = static_cast<unsigned char>(AsciiLower(*b));
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == 0) return 0;
    }
}

void CString::AppendFormatRaw(const char* format, ...) {
    if (!format) return;
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    char small[256];
    const int n = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (n > 0 && static_cast<size_t>(n) < sizeof small) {
        m_s.append(small, static_cast<size_t>(n));
    } else if (n > 0) {
        const size_t old = m_s.size();
        m_s.resize(old + static_cast<size_t>(n) + 1);
        std::vsnprintf(m_s.data() + old, static_cast<size_t>(n) + 1, format, again);
        m_s.resize(old + static_cast<size_t>(n));
    }
    va_end(again);
}
