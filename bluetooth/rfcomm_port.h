#pragma once
// The RFCOMM serial-port class of the Bluetooth stack interface and its service-channel companion,
// on the driver interface (rfcomm_api.h).
//
// Threads: construction, opening, writing, closing and destruction happen on the caller's thread.
// The data and event notifications come on the port's reader thread, never on the thread that
// opened it; a derived class makes what they touch safe to share. Close and the destructor return
// only after that reader has ended, so no notification runs once they are done; neither may be
// called from a notification. A derived class whose notifications touch its own members closes
// the port in its own destructor, before those members go. The connected flag is atomic and the
// peer address locked.

#include <atomic>
#include <mutex>

#include "platform/base/guid.h"
#include "platform/base/types.h"

class CRfCommPort {
public:
    // Port result codes. Others come from the stack.
    static constexpr DWORD kSuccess = 0;
    static constexpr DWORD kStackFailure = 1;
    static constexpr DWORD kAlreadyOpen = 2;
    static constexpr DWORD kNotOpen = 3;
    static constexpr DWORD kBadHandle = 9;
    static constexpr DWORD kBadArgument = 11;

    // Port event bits.
    static constexpr DWORD kEventRxChar = 0x0001;  // data waiting; never passed on
    static constexpr DWORD kEventConnected = 0x0200;
    static constexpr DWORD kEventConnectError = 0x8000;  // the connection failed or was lost
    static constexpr DWORD kEventMaskAll = 0x3FFFF;

    static constexpr WORD kDefaultMtu = 127;
    static constexpr WORD kMinimumMtu = 48;
    static constexpr WORD kSerialPortProfileUuid = 0x1101;
    static constexpr WORD kReadChunk = 1000;

    // Starts the stack interface (sdk_init) and joins the port list.
    CRfCommPort();
    // Leaves the list, removes any connection and stops the stack interface (sdk_close).
    virtual ~CRfCommPort();
    CRfCommPort(const CRfCommPort&) = delete;
    CRfCommPort& operator=(const CRfCommPort&) = delete;

    // Requests a client connection to the Serial Port Profile service on the server channel of the
    // device at `address` (6 bytes). 0 means the request was taken; the link is up only when the
    // connected event arrives. 2 when a connection is open, 11 for a null address or an MTU below
    // 48, another non-zero code when the stack refuses.
    DWORD OpenClient(BYTE serverChannel, const BYTE* address, WORD mtu);
    // 3 when no connection is open.
    DWORD Close();
    // Writes to the open connection and reports the count written through `written`. 3 when no
    // connection is open, 11 for a null pointer.
    DWORD Write(const void* data, WORD length, WORD* written);

    bool IsConnectionOpen() const { return m_portHandle != 0; }
    WORD GetPortHandle() const { return m_portHandle; }
    WORD GetReleasedHandle() const { return m_releasedHandle; }
    bool IsPortConnected() const { return m_connected.load() != 0; }
    void GetPeerAddress(BYTE address[6]) const;

    // The one callback for every port's events, on the reader thread of `portHandle`.
    static void PortEventCallback(DWORD eventMask, WORD portHandle);
    // Connection-management results: a failure reaches the port as CONNECT_ERR.
    static void PortManagementCallback(DWORD result, WORD portHandle);
    static DWORD MapPortResult(DWORD driverResult);

    // Received bytes, in chunks of at most 1000, in arrival order.
    virtual void OnDataReceived(const void* data, WORD length);
    // Port events other than the arrival of data.
    virtual void OnEventReceived(DWORD eventBits);
    // Never raised here.
    virtual void OnUnusedNotification(DWORD value);
    virtual void OnAudioConnected(WORD audioHandle);
    virtual void OnAudioDisconnected(WORD audioHandle);

private:
    void SetPortHandle(WORD handle);

    BYTE m_serverChannel = 0;
    DWORD m_isServer = 0;
    WORD m_mtu = kDefaultMtu;
    CRfCommPort* m_nextPort = nullptr;  // the port list, under its lock
    WORD m_portHandle = 0;  // 0 while no connection is open; written under the list lock
    std::atomic<DWORD> m_connected{0};
    mutable std::mutex m_peerLock;
    BYTE m_peerAddress[6] = {};
    WORD m_releasedHandle = 0;
};

// The service-channel object: service GUID, server channel number and security index.
class CRfCommChannel {
public:
    static constexpr WORD kRfcommPsm = 0x0003;
    static constexpr DWORD kRfcommProtocolId = 3;

    // Starts the stack interface (sdk_init).
    CRfCommChannel();
    // Gives back an allocated channel number and the security index; stops the interface.
    ~CRfCommChannel();
    CRfCommChannel(const CRfCommChannel&) = delete;
    CRfCommChannel& operator=(const CRfCommChannel&) = delete;

    // Keeps the GUID and the channel number, or with number 0 asks the stack for one. True when a
    // channel number is held afterwards; false for a null GUID (nothing changes).
    bool AssignChannel(const GUID* serviceGuid, BYTE serverChannel, const char* serviceName);
    // Registers the service's security level with the stack, as originator unless a server. False
    // without a channel number, without a name, or when no security index can be had.
    bool SetSecurityLevel(const char* serviceName, BYTE level, bool isServer);

    BYTE GetServerChannel() const { return m_serverChannel; }
    BYTE GetSecurityIndex() const { return m_securityIndex; }

private:
    BYTE m_serverChannel = 0;
    DWORD m_allocated = 0;  // the stack gave the number and must have it back
    GUID m_serviceGuid;
    BYTE m_securityIndex = 0;
};
