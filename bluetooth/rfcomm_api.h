#pragma once
// The driver interface of the stack: each operation packs one request record, sends it by one
// device call on the kernel device of the stack start (sdk.h) and unpacks the reply. It keeps the
// table of open RFCOMM connections, one record per port handle 1..20, and runs one reader thread
// per connection that waits in the driver for the port's events and hands them to its callbacks.
//
// Results: 0 success, 1 a failed device call or a refused request, 9 a bad handle (0 or above 20;
// no device call), 5 no memory. The open returns the thread's last error of a failed call, or 1
// when that is 0.
//
// Threads. The caller's thread (the GUI thread) issues every operation but the reader's wait; a
// reader calls the callbacks on its own thread. One mutex covers the table; every record carries a
// generation, so a reader never takes a later connection's record for its own. A record's event
// callback is in place before its reader starts. RFCOMM_RemoveConnection returns only after the
// reader of that connection has ended, so it must never be called from a callback.

#include "platform/base/guid.h"
#include "platform/base/types.h"
#include "platform/bt/requests.h"

using RfcCallback = void (*)(DWORD value, WORD portHandle);

constexpr WORD kRfcMaxPorts = 20;
constexpr DWORD kRfcSuccess = 0;
constexpr DWORD kRfcFailed = 1;
constexpr DWORD kRfcNoMemory = 5;
constexpr DWORD kRfcBadHandle = 9;

// What the table keeps per handle; a copy for callers.
struct RfcPortEntry {
    DWORD inUse = 0;
    DWORD isServer = 0;
    WORD portHandle = 0;
    RfcCallback managementCallback = nullptr;
    RfcCallback eventCallback = nullptr;
};

// Opens a connection and starts its reader. The handle is stored under the port-list lock before
// the reader starts.
DWORD RFCOMM_CreateConnection(WORD serviceUuid, BYTE scn, BYTE isServer, WORD mtu,
                              const BYTE* address, WORD* portHandle, RfcCallback management,
                              RfcCallback event = nullptr);
DWORD PORT_SetEventCallback(WORD portHandle, RfcCallback callback);
DWORD PORT_SetEventMask(WORD portHandle, DWORD mask);
DWORD RFCOMM_RemoveConnection(WORD portHandle);
DWORD PORT_CheckConnection(WORD portHandle, BYTE* address, WORD* connectionId);
DWORD PORT_ReadData(WORD portHandle, void* buffer, WORD maxLength, WORD* count);
DWORD PORT_WriteData(WORD portHandle, const void* data, WORD length, WORD* count);
BYTE RFCOMM_AllocateSCN(const GUID* serviceGuid, const char* serviceName);
void RFCOMM_FreeSCN(BYTE scn);
BYTE BTM_AllocateSecurityIndex(const GUID* serviceGuid);
void BTM_ReleaseSecurityIndex(BYTE index);
BYTE BTM_SetSecurityLevel(BYTE originator, const char* serviceName, DWORD index, WORD level,
                          WORD psm, DWORD protocolId, DWORD channelId);

// Hands a management result to the record's management callback; a non-zero result ends a
// client record (its reader ends after the current round).
void RfcMgmtDispatch(DWORD result, WORD portHandle);

// A copy of the record of a handle 1..20.
RfcPortEntry RfcGetPortEntry(WORD portHandle);
// Readers still running.
int RfcRunningReaders();

// For the stack start and stop: frees every record (joining readers that have ended), and ends
// every reader's wait by closing its connection on `device`, then joins the readers, bounded.
void RfcClearPortTable();
void RfcEndReaders(HANDLE device);
