#pragma once
// The stack interface's trace channel: one UDP datagram per line to a listener whose IPv4 address
// the current user's registry holds (HKCU "Software\BtStack\BTConfig\Debug", DWORD "LogIPAddr",
// the first octet most significant). Without it nothing is sent or written anywhere.
//
// Datagram, to port 37926: kind (16 bits LE), text length (16 bits LE), four zero bytes, the text
// without a terminator. Lines longer than 1391 bytes are cut.
//
// Any thread may trace: the registry is read once per process, the socket made once, both locked.

#include "platform/base/types.h"

constexpr WORD kBtTracePort = 37926;
constexpr size_t kBtTraceLineLimit = 1391;

// Whether the channel is on; decided at the first call for the life of the process.
bool LogIsEnabled();
// Formats one line, printf style, and sends it when the channel is on.
void LogMsg(WORD kind, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Forgets the decision and the socket, so that the next call reads the registry again. Only for
// tests, with no thread tracing.
void BtTraceReset();
