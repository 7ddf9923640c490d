#include "bluetooth/rfcomm_port.h"

#include <cstring>

#include "bluetooth/sdk.h"

CRfCommPort::CRfCommPort() {
    sdk_init();
}

CRfCommPort::~CRfCommPort() {
    if (m_portHandle != 0) Close();
    sdk_close();
}

DWORD CRfCommPort::OpenClient(BYTE serverChannel, const BYTE* address, WORD mtu) {
    if (m_portHandle != 0) return kAlreadyOpen;
    if (!address || mtu < kMinimumMtu) return kBadArgument;
    m_mtu = mtu;
    m_serverChannel = serverChannel;
    std::memcpy(m_peerAddress, address, sizeof m_peerAddress);
    // No stack driver to ask for the connection.
    return kStackFailure;
}

DWORD CRfCommPort::Close() {
    if (m_portHandle == 0) return kNotOpen;
    m_portHandle = 0;
    return kSuccess;
}

DWORD CRfCommPort::Write(const void* data, WORD /*length*/, WORD* written) {
    if (m_portHandle == 0) return kNotOpen;
    if (!data || !written) return kBadArgument;
    *written = 0;
    return kStackFailure;
}

void CRfCommPort::OnDataReceived(const void* /*data*/, WORD /*length*/) {}

void CRfCommPort::OnEventReceived(DWORD /*eventBits*/) {}

CRfCommChannel::CRfCommChannel() {
    sdk_init();
}

CRfCommChannel::~CRfCommChannel() {
    // Nothing was ever allocated from a driver, so there is nothing to give back.
    m_serverChannel = 0;
    m_allocated = false;
    m_securityIndex = 0;
    sdk_close();
}

bool CRfCommChannel::AssignChannel(const GUID* serviceGuid, BYTE serverChannel,
                                   const char* /*serviceName*/) {
    if (!serviceGuid) return false;
    if (m_serverChannel != 0 && m_securityIndex != 0 && !(m_serviceGuid == *serviceGuid))
        m_securityIndex = 0;
    if (serverChannel != 0) {
        m_serverChannel = serverChannel;
        m_allocated = false;
    } else {
        m_serverChannel = 0;  // no stack to allocate a number from
        m_allocated = true;
    }
    m_serviceGuid = *serviceGuid;
    return m_serverChannel != 0;
}

bool CRfCommChannel::SetSecurityLevel(const char* serviceName, BYTE /*level*/, bool /*isServer*/) {
    if (m_serverChannel == 0 || !serviceName) return false;
    // No stack to give a security index.
    return false;
}
