#pragma once
// The logger object's receive ring: 16000 slots, one kept free so that a full ring is not taken
// for an empty one. Bytes that do not fit are refused, never written over unread ones: the caller
// takes from the link only as many bytes as are free and leaves the rest in the driver's buffer.
// Every read works only when enough bytes are buffered, and reports the arithmetic sum of the
// bytes it took, which the checksums are made of.

#include <array>

#include "platform/base/types.h"

class CReceiveRing {
public:
    static constexpr DWORD kSize = 16000;
    static constexpr DWORD kCapacity = kSize - 1;

    void Clear() { m_read = m_write = 0; }
    DWORD Count() const { return m_write >= m_read ? m_write - m_read : kSize - m_read + m_write; }
    DWORD Free() const { return kCapacity - Count(); }
    DWORD ReadIndex() const { return m_read; }
    DWORD WriteIndex() const { return m_write; }

    // Appends what fits; returns the count taken.
    DWORD Put(const BYTE* bytes, DWORD count);
    // The byte `offset` places past the read index; 0 when not buffered.
    BYTE Peek(DWORD offset) const;
    // Copies `count` bytes from `offset` on without taking them; false when not all are buffered.
    bool PeekBytes(DWORD offset, BYTE* out, DWORD count) const;
    // Takes `count` bytes (into `out` when given); false, taking nothing, when fewer are buffered.
    bool Take(DWORD count, BYTE* out = nullptr, DWORD* sum = nullptr);
    // Takes what is buffered, at most `maxCount`, into `out`; returns the count.
    DWORD TakeUpTo(BYTE* out, DWORD maxCount, DWORD* sum = nullptr);

private:
    std::array<BYTE, kSize> m_bytes{};
    DWORD m_read = 0;
    DWORD m_write = 0;
};
