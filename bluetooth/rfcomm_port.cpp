#include "bluetooth/rfcomm_port.h"

#include <cstring>

#include "bluetooth/rfcomm_api.h"
#include "bluetooth/sdk.h"

namespace {

CRfCommPort* g_portList = nullptr;  // under BtPortListLock

}  // namespace

CRfCommPort::CRfCommPort() {
    sdk_init();
    std::lock_guard lock(BtPortListLock());
    m_nextPort = g_portList;
    g_portList = this;
}

CRfCommPort::~CRfCommPort() {
    {
        std::lock_guard lock(BtPortListLock());
        for (CRfCommPort** link = &g_portList; *link; link = &(*link)->m_nextPort) {
            if (*link == this) {
                *link = m_nextPort;
                break;
            }
        }
    }
    if (m_portHandle != 0) RFCOMM_RemoveConnection(m_portHandle);
    // Another port may hold the released handle by now: its callback stays.
    if (m_releasedHandle == 0 || !RfcGetPortEntry(m_releasedHandle).inUse)
        PORT_SetEventCallback(m_releasedHandle, nullptr);
    SetPortHandle(0);
    sdk_close();
}

void CRfCommPort::SetPortHandle(WORD handle) {
    std::lock_guard lock(BtPortListLock());
    m_portHandle = handle;
}

DWORD CRfCommPort::MapPortResult(DWORD driverResult) {
    switch (driverResult) {
        case 0:
            return 0;
        case 2:
            return 2;
        case 7:
            return 11;
        case 10:
            return 3;
        case 11:
            return 5;
        case 12:
            return 6;
        case 13:
            return 7;
        case 14:
            return 8;
        case 16:
            return 9;
        case 18:
            return 10;
        default:
            return 1;
    }
}

DWORD CRfCommPort::OpenClient(BYTE serverChannel, const BYTE* address, WORD mtu) {
    if (m_portHandle != 0) return kAlreadyOpen;
    if (!address || mtu < kMinimumMtu) return kBadArgument;
    m_isServer = 0;
    m_mtu = mtu;
    m_serverChannel = serverChannel;
    // The event callback goes in with the record, so an early event finds it.
    DWORD result =
        RFCOMM_CreateConnection(kSerialPortProfileUuid, serverChannel, 0, mtu, address,
                                &m_portHandle, &PortManagementCallback, &PortEventCallback);
    {
        std::lock_guard lock(m_peerLock);
        std::memcpy(m_peerAddress, address, sizeof m_peerAddress);
    }
    if (result == 0) {
        PORT_SetEventCallback(m_portHandle, &PortEventCallback);
        result = PORT_SetEventMask(m_portHandle, kEventMaskAll);
        if (result != 0) {
            // A connection without events would never come up: give it back.
            RFCOMM_RemoveConnection(m_portHandle);
            SetPortHandle(0);
        }
    }
    return MapPortResult(result);
}

DWORD CRfCommPort::Close() {
    if (m_portHandle == 0) return kNotOpen;
    const DWORD result = RFCOMM_RemoveConnection(m_portHandle);
    m_releasedHandle = m_portHandle;
    SetPortHandle(0);
    m_connected = 0;
    return MapPortResult(result);
}

DWORD CRfCommPort::Write(const void* data, WORD length, WORD* written) {
    if (m_portHandle == 0) return kNotOpen;
    if (!data || !written) return kBadArgument;
    return MapPortResult(PORT_WriteData(m_portHandle, data, length, written));
}

void CRfCommPort::GetPeerAddress(BYTE address[6]) const {
    std::lock_guard lock(m_peerLock);
    std::memcpy(address, m_peerAddress, sizeof m_peerAddress);
}

void CRfCommPort::PortEventCallback(DWORD eventMask, WORD portHandle) {
    CRfCommPort* port = nullptr;
    {
        std::lock_guard lock(BtPortListLock());
        for (CRfCommPort* p = g_portList; p && !port; p = p->m_nextPort)
            if (p->m_portHandle == portHandle) port = p;
    }
    // The port cannot go away meanwhile: its Close and destructor wait for this reader.
    if (!port) return;
    if (eventMask & kEventConnected) {
        BYTE address[6];
        WORD connection = 0;
        if (PORT_CheckConnection(portHandle, address, &connection) == 0) {
            std::lock_guard lock(port->m_peerLock);
            std::memcpy(port->m_peerAddress, address, sizeof address);
        }
        port->m_connected = 1;
    } else if (eventMask & kEventConnectError) {
        port->m_connected = 0;
    }
    if (eventMask & kEventRxChar) {
        eventMask &= ~kEventRxChar;
        BYTE buffer[kReadChunk];
        for (;;) {
            WORD count = 0;
            if (PORT_ReadData(port->m_portHandle, buffer, kReadChunk, &count) != 0 || count == 0)
                break;
            port->OnDataReceived(buffer, count);
        }
    }
    if (eventMask != 0) port->OnEventReceived(eventMask);
}

void CRfCommPort::PortManagementCallback(DWORD result, WORD portHandle) {
    // Result 0 is an accepted connection; anything else means it will not come up.
    if (result != 0) PortEventCallback(kEventConnectError, portHandle);
}

void CRfCommPort::OnDataReceived(const void* /*data*/, WORD /*length*/) {}
void CRfCommPort::OnEventReceived(DWORD /*eventBits*/) {}
void CRfCommPort::OnUnusedNotification(DWORD /*value*/) {}
void CRfCommPort::OnAudioConnected(WORD /*audioHandle*/) {}
void CRfCommPort::OnAudioDisconnected(WORD /*audioHandle*/) {}

CRfCommChannel::CRfCommChannel() {
    sdk_init();
}

CRfCommChannel::~CRfCommChannel() {
    if (m_serverChannel != 0 && m_allocated) RFCOMM_FreeSCN(m_serverChannel);
    if (m_securityIndex != 0) BTM_ReleaseSecurityIndex(m_securityIndex);
    m_serverChannel = 0;
    m_allocated = 0;
    m_securityIndex = 0;
    sdk_close();
}

bool CRfCommChannel::AssignChannel(const GUID* serviceGuid, BYTE serverChannel,
                                   const char* serviceName) {
    if (!serviceGuid) return false;
    if (m_serverChannel != 0 && m_securityIndex != 0 && !(m_serviceGuid == *serviceGuid)) {
        BTM_ReleaseSecurityIndex(m_securityIndex);
        m_securityIndex = 0;
    }
    if (m_serverChannel != 0 && m_allocated) RFCOMM_FreeSCN(m_serverChannel);
    if (serverChannel != 0) {
        m_serverChannel = serverChannel;
        m_allocated = 0;
    } else {
        m_serverChannel = RFCOMM_AllocateSCN(serviceGuid, serviceName);
        m_allocated = 1;
    }
    m_serviceGuid = *serviceGuid;
    return m_serverChannel != 0;
}

bool CRfCommChannel::SetSecurityLevel(const char* serviceName, BYTE level, bool isServer) {
    if (m_serverChannel == 0 || !serviceName) return false;
    if (m_securityIndex == 0) {
        m_securityIndex = BTM_AllocateSecurityIndex(&m_serviceGuid);
        if (m_securityIndex == 0) return false;
    }
    return BTM_SetSecurityLevel(isServer ? 0 : 1, serviceName, m_securityIndex, level, kRfcommPsm,
                                kRfcommProtocolId, m_serverChannel) != 0;
}
