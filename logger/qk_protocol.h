#pragma once
// The Dorvik QK's wire format: 8-byte command frames, the 23-byte logging-regime frame, the status
// tokens that answer with "S", the checksums, and the rate codes with their timer bytes. Pure
// functions: the logger object sends and parses through them.

#include <array>
#include <cstddef>

#include "platform/base/types.h"

namespace qk {

constexpr BYTE kAnswerLead = 'S';   // every answer to a command starts with it
constexpr BYTE kRecordLead = 0xAA;  // unsolicited records: AA, a type byte, ...
constexpr DWORD kBaudRate = 19200;

// The status codes of the tokens, in the logger object's own numbering.
enum StatusCode : BYTE {
    QK_NO_STATUS = 0,
    QK_STATUS_ACKNOWLEDGE = 1,          // "ACK"
    QK_STATUS_NOT_ACKNOWLEDGE = 2,      // "NAK"
    QK_STATUS_CHECKSUM_FAILED = 3,      // "CKS"
    QK_STATUS_INVALID_COMMAND = 4,      // "INV"
    QK_STATUS_WRITE_DATA_NOW = 5,       // "WDN"
    QK_STATUS_INSUFFICIENT_MEMORY = 6,  // "INM"
    QK_STATUS_DATA_SET_OPEN = 7,        // "DSO"
};

// The three letters of a token; "" for QK_NO_STATUS and unknown codes.
const char* StatusToken(BYTE code);

// What the bytes at the start of an answer are, judged from what has arrived so far.
enum class StatusMatch {
    Token,     // a whole token; `code` holds it
    NoToken,   // the bytes cannot become a token: the answer is data
    NeedMore,  // the bytes so far begin a token; wait for the rest
};
StatusMatch MatchStatus(const BYTE* bytes, size_t available, BYTE& code);

// The low 8 bits of the arithmetic sum.
BYTE Checksum(const BYTE* bytes, size_t count, DWORD start = 0);

using Frame = std::array<BYTE, 8>;

// Two letters, five parameter bytes, the checksum of the seven.
Frame MakeFrame(char first, char second, BYTE p0 = 0, BYTE p1 = 0, BYTE p2 = 0, BYTE p3 = 0,
                BYTE p4 = 0);
// True when the last byte is the checksum of the others.
bool IsFrameValid(const Frame& frame);

// Sampling rates: the characters '!' (3600 s) to '3' (0.02 s). Every other code reads as 1 s with
// the timer bytes of 1 s.
struct Rate {
    BYTE code;
    double seconds;
    BYTE timer[2];
};
const Rate& RateOfCode(WORD rateCode);
// The code whose seconds equal `seconds` exactly, else 0.
BYTE RateCodeOfSeconds(double seconds);
// A period field (timer bytes or a stored set's period): the value is the low nibble of the
// first byte x 256 + the second byte, the high nibble its unit (0 microseconds, 1 milliseconds,
// any other seconds). In seconds.
double DecodePeriod(BYTE first, BYTE second);

// The date and time fields that the set-date, set-time and regime frames carry.
struct DateTime {
    int year = 2000;  // the full year
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

constexpr size_t kRegimeFrameSize = 23;
constexpr BYTE kRegimeRun = 0x10;    // the regime starts a run
constexpr BYTE kRegimeSetup = 0x20;  // the regime is only kept
using RegimeFrame = std::array<BYTE, kRegimeFrameSize>;

// The frame the logger takes after it answered "BD" with "WDN".
RegimeFrame MakeRegimeFrame(const DateTime& now, bool startsRun, WORD rateCode, BYTE mask,
                            WORD runLength);

// The largest sample range one data read may ask for: the logger counts samples in 16 bits.
constexpr DWORD kMaxSampleNumber = 0xFFFF;
// The bytes that follow "S" in the answer to a data read of first..last: two per sample and the
// checksum; 0 when last < first.
DWORD DataAnswerLength(DWORD first, DWORD last);

}  // namespace qk
