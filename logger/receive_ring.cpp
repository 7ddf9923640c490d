#include "logger/receive_ring.h"

#include <algorithm>
#include <cstring>

DWORD CReceiveRing::Put(const BYTE* bytes, DWORD count) {
    count = std::min(count, Free());
    DWORD done = 0;
    while (done < count) {
        const DWORD run = std::min(count - done, kSize - m_write);
        std::memcpy(m_bytes.data() + m_write, bytes + done, run);
        m_write = (m_write + run) % kSize;
        done += run;
    }
    return count;
}

BYTE CReceiveRing::Peek(DWORD offset) const {
    if (offset >= Count()) return 0;
    return m_bytes[(m_read + offset) % kSize];
}

bool CReceiveRing::PeekBytes(DWORD offset, BYTE* out, DWORD count) const {
    if (Count() < offset || Count() - offset < count) return false;
    for (DWORD i = 0; i < count; ++i)
        out[i] = m_bytes[(m_read + offset + i) % kSize];
    return true;
}

bool CReceiveRing::Take(DWORD count, BYTE* out, DWORD* sum) {
    if (Count() < count) return false;
    DWORD total = 0;
    for (DWORD i = 0; i < count; ++i) {
        const BYTE b = m_bytes[m_read];
        if (out) out[i] = b;
        total += b;
        m_read = (m_read + 1) % kSize;
    }
    if (sum) *sum = total;
    return true;
}

DWORD CReceiveRing::TakeUpTo(BYTE* out, DWORD maxCount, DWORD* sum) {
    const DWORD count = std::min(maxCount, Count());
    Take(count, out, sum);
    return count;
}
