#include "logger/qk_protocol.h"

#include <cstring>

namespace qk {
namespace {

// Indexed by status code.
constexpr const char* kTokens[] = {"", "ACK", "NAK", "CKS", "INV", "WDN", "INM", "DSO"};
constexpr BYTE kTokenCount = sizeof kTokens / sizeof kTokens[0];

constexpr Rate kRates[] = {
    {33, 3600, {46, 16}}, {34, 1800, {39, 8}},  {35, 900, {35, 132}}, {36, 300, {33, 44}},
    {37, 60, {32, 60}},   {38, 30, {32, 30}},   {39, 15, {32, 15}},   {40, 5, {32, 5}},
    {41, 1, {32, 1}},     {48, 0.2, {16, 200}}, {49, 0.1, {16, 100}}, {50, 0.05, {16, 50}},
    {51, 0.02, {16, 20}},
};
constexpr Rate kOneSecond = {41, 1, {32, 1}};

}  // namespace

const char* StatusToken(BYTE code) {
    return code < kTokenCount ? kTokens[code] : "";
}

StatusMatch MatchStatus(const BYTE* bytes, size_t available, BYTE& code) {
    code = QK_NO_STATUS;
    bool prefix = false;
    for (BYTE c = 1; c < kTokenCount; ++c) {
        const size_t n = available < 3 ? available : 3;
        if (std::memcmp(bytes, kTokens[c], n) != 0) continue;
        if (n == 3) {
            code = c;
            return StatusMatch::Token;
        }
        prefix = true;
    }
    return prefix ? StatusMatch::NeedMore : StatusMatch::NoToken;
}

BYTE Checksum(const BYTE* bytes, size_t count, DWORD start) {
    DWORD sum = start;
    for (size_t i = 0; i < count; ++i)
        sum += bytes[i];
    return static_cast<BYTE>(sum & 0xFF);
}

Frame MakeFrame(char first, char second, BYTE p0, BYTE p1, BYTE p2, BYTE p3, BYTE p4) {
    Frame frame = {static_cast<BYTE>(first), static_cast<BYTE>(second), p0, p1, p2, p3, p4, 0};
    frame[7] = Checksum(frame.data(), 7);
    return frame;
}

bool IsFrameValid(const Frame& frame) {
    return Checksum(frame.data(), 7) == frame[7];
}

const Rate& RateOfCode(WORD rateCode) {
    for (const Rate& rate : kRates)
        if (rate.code == rateCode) return rate;
    return kOneSecond;
}

BYTE RateCodeOfSeconds(double seconds) {
    for (const Rate& rate : kRates)
        if (rate.seconds == seconds) return rate.code;
    return 0;
}

double DecodePeriod(BYTE first, BYTE second) {
    const double value = (first & 0x0F) * 256.0 + second;
    switch (first >> 4) {
        case 0:
            return value / 1e6;
        case 1:
            return value / 1e3;
        default:
            return value;
    }
}

RegimeFrame MakeRegimeFrame(const DateTime& now, bool startsRun, WORD rateCode, BYTE mask,
                            WORD runLength) {
    RegimeFrame frame{};
    frame[0] = static_cast<BYTE>(now.year - 2000);
    frame[1] = static_cast<BYTE>(now.month);
    frame[2] = static_cast<BYTE>(now.day);
    frame[3] = static_cast<BYTE>(now.hour);
    frame[4] = static_cast<BYTE>(now.minute);
    frame[5] = static_cast<BYTE>(now.second);
    frame[6] = startsRun ? kRegimeRun : kRegimeSetup;
    frame[14] = 1;
    const Rate& rate = RateOfCode(rateCode);
    frame[15] = rate.timer[0];
    frame[16] = rate.timer[1];
    frame[19] = mask;
    frame[20] = HIBYTE(runLength);
    frame[21] = LOBYTE(runLength);
    frame[22] = Checksum(frame.data(), 22);
    return frame;
}

DWORD DataAnswerLength(DWORD first, DWORD last) {
    return last < first ? 0 : 2 * (last - first) + 3;
}

}  // namespace qk
