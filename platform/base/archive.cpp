#include "platform/base/archive.h"

#include <algorithm>

#include "platform/base/codepage.h"

CArchive::CArchive(CFile* file, UINT mode, int bufferSize)
    : m_file(file), m_mode(mode & load), m_buffer(static_cast<size_t>(std::max(bufferSize, 512))) {}

CArchive::~CArchive() {
    if (!m_closed && IsStoring()) {
        try {
            Flush();
        } catch (const CException&) {
        }
    }
}

void CArchive::RequireLoading() const {
    if (!IsLoading()) throw CArchiveException(CArchiveException::writeOnly);
}

void CArchive::RequireStoring() const {
    if (!IsStoring()) throw CArchiveException(CArchiveException::readOnly);
}

void CArchive::Flush() {
    if (IsStoring() && m_pos > 0) {
        m_file->Write(m_buffer.data(), static_cast<UINT>(m_pos));
        m_pos = 0;
    }
}

void CArchive::Close() {
    Flush();
    m_closed = true;
}

void CArchive::Abort() {
    m_pos = m_end = 0;
    m_closed = true;
}

void CArchive::FillBuffer() {
    if (m_pos < m_end) return;
    m_pos = 0;
    m_end = m_file->Read(m_buffer.data(), static_cast<UINT>(m_buffer.size()));
}

UINT CArchive::Read(void* buffer, UINT count) {
    RequireLoading();
    auto* out = static_cast<BYTE*>(buffer);
    UINT done = 0;
    while (done < count) {
        // A block larger than the buffer goes straight from the file once the buffer is used up.
        if (m_pos >= m_end && count - done >= m_buffer.size()) {
            const UINT n = m_file->Read(out + done, count - done);
            if (n == 0) break;
            done += n;
            continue;
        }
        FillBuffer();
        if (m_pos >= m_end) break;
        const size_t n = std::min<size_t>(count - done, m_end - m_pos);
        std::memcpy(out + done, m_buffer.data() + m_pos, n);
        m_pos += n;
        done += static_cast<UINT>(n);
    }
    return done;
}

void CArchive::ReadExact(void* buffer, size_t count) {
    auto* out = static_cast<BYTE*>(buffer);
    while (count > 0) {
        const UINT chunk = static_cast<UINT>(std::min<size_t>(count, 1u << 30));
        if (Read(out, chunk) != chunk) throw CArchiveException(CArchiveException::endOfFile);
        out += chunk;
        count -= chunk;
    }
}

void CArchive::Write(const void* buffer, size_t count) {
    RequireStoring();
    const auto* in = static_cast<const BYTE*>(buffer);
    while (count > 0) {
        if (m_pos == m_buffer.size()) Flush();
        // A block larger than the buffer goes straight to the file, after what is buffered.
        if (count >= m_buffer.size()) {
            Flush();
            const UINT n = static_cast<UINT>(std::min<size_t>(count, 1u << 30));
            m_file->Write(in, n);
            in += n;
            count -= n;
            continue;
        }
        const size_t n = std::min(count, m_buffer.size() - m_pos);
        std::memcpy(m_buffer.data() + m_pos, in, n);
        m_pos += n;
        in += n;
        count -= n;
    }
}

ULONGLONG CArchive::Remaining() const {
    RequireLoading();
    const ULONGLONG length = m_file->GetLength();
    const ULONGLONG position = m_file->GetPosition();
    return (length > position ? length - position : 0) + (m_end - m_pos);
}

void CArchive::EnsureAvailable(ULONGLONG n) const {
    if (Remaining() < n) throw CArchiveException(CArchiveException::endOfFile);
}

DWORD_PTR CArchive::ReadCount() {
    WORD w = 0;
    *this >> w;
    if (w != 0xFFFF) return w;
    DWORD d = 0;
    *this >> d;
    if (d != 0xFFFFFFFF) return d;
    ULONGLONG q = 0;
    *this >> q;
    return static_cast<DWORD_PTR>(q);
}

void CArchive::WriteCount(DWORD_PTR count) {
    if (count < 0xFFFF) {
        *this << static_cast<WORD>(count);
        return;
    }
    *this << static_cast<WORD>(0xFFFF);
    if (count < 0xFFFFFFFF) {
        *this << static_cast<DWORD>(count);
        return;
    }
    *this << static_cast<DWORD>(0xFFFFFFFF) << static_cast<ULONGLONG>(count);
}

size_t CArchive::ReadCountOf(size_t elementSize) {
    const DWORD_PTR n = ReadCount();
    if (elementSize > 0 && n > Remaining() / elementSize)
        throw CArchiveException(CArchiveException::badIndex, "a count exceeds the file");
    return static_cast<size_t>(n);
}

void CArchive::WriteLength(ULONGLONG length) {
    if (length < 0xFF) {
        *this << static_cast<BYTE>(length);
    } else if (length < 0xFFFE) {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(length);
    } else if (length < 0xFFFFFFFF) {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFF) << static_cast<DWORD>(length);
    } else {
        *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFF)
              << static_cast<DWORD>(0xFFFFFFFF) << static_cast<ULONGLONG>(length);
    }
}

CArchive& CArchive::operator<<(const CString& s) {
    std::string narrow;
    if (platform::Utf8ToCp1252(s.str(), narrow)) {
        WriteLength(narrow.size());
        Write(narrow.data(), narrow.size());
        return *this;
    }
    const std::u16string wide = platform::Utf8ToUtf16(s.str());
    *this << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFE);
    WriteLength(wide.size());
    for (char16_t c : wide)
        *this << static_cast<WORD>(c);
    return *this;
}

// After a 0xFF byte: the 16-bit length, or 0xFFFF and the 32-bit one, or 0xFFFFFFFF and 64 bits.
ULONGLONG CArchive::ReadLengthAfterMarker(WORD first16) {
    if (first16 != 0xFFFF) return first16;
    DWORD d = 0;
    *this >> d;
    if (d != 0xFFFFFFFF) return d;
    ULONGLONG q = 0;
    *this >> q;
    return q;
}

CArchive& CArchive::operator>>(CString& s) {
    BYTE b = 0;
    *this >> b;
    ULONGLONG length = b;
    bool unicode = false;
    if (b == 0xFF) {
        WORD w = 0;
        *this >> w;
        if (w == 0xFFFE) {
            unicode = true;
            *this >> b;
            length = b;
            if (b == 0xFF) {
                *this >> w;
                length = ReadLengthAfterMarker(w);
            }
        } else {
            length = ReadLengthAfterMarker(w);
        }
    }
    const ULONGLONG bytes = unicode ? length * 2 : length;
    if (unicode && length > (~0ULL) / 2) throw CArchiveException(CArchiveException::badIndex);
    EnsureAvailable(bytes);
    if (unicode) {
        std::u16string wide(static_cast<size_t>(length), u'\0');
        for (auto& c : wide) {
            WORD w = 0;
            *this >> w;
            c = static_cast<char16_t>(w);
        }
        s = CString(platform::Utf16ToUtf8(wide));
    } else {
        std::string narrow(static_cast<size_t>(length), '\0');
        ReadExact(narrow.data(), narrow.size());
        s = CString(platform::Cp1252ToUtf8(narrow));
    }
    return *this;
}

void CArchive::WriteDoubles(const std::vector<double>& values) {
    WriteCount(values.size());
    Write(values.data(), values.size() * sizeof(double));
}

std::vector<double> CArchive::ReadDoubles() {
    const size_t count = ReadCountOf(sizeof(double));
    // Grown as the values arrive: a file that only seems to hold them (one that shrinks while it
    // is read, a device) takes no more memory than what it gave.
    constexpr size_t kFirst = size_t(1) << 16;
    std::vector<double> values;
    while (values.size() < count) {
        const size_t done = values.size();
        const size_t take = std::min(count - done, std::max(kFirst, done));
        values.resize(done + take);
        ReadExact(values.data() + done, take * sizeof(double));
    }
    return values;
}
