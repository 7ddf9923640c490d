#include "bluetooth/rfcomm_api.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "bluetooth/sdk.h"
#include "bluetooth/trace.h"
#include "platform/base/log.h"
#include "platform/comm/comm.h"
#include "platform/comm/device_io.h"

namespace {

using platform::bt::Dword;
using platform::bt::PutDword;
using platform::bt::PutWord;
using platform::bt::Word;

using Clock = std::chrono::steady_clock;
// How long the last stop waits for the readers to end.
constexpr auto kReaderEndLimit = std::chrono::seconds(2);

struct Reader {
    std::thread thread;
    std::mutex mutex;
    std::condition_variable ended;
    bool finished = false;
};

struct Record {
    RfcPortEntry entry;
    unsigned generation = 0;
    std::shared_ptr<Reader> reader;
};

std::mutex g_tableLock;
Record g_table[kRfcMaxPorts + 1];
std::atomic<int> g_runningReaders{0};

bool BadHandle(WORD handle) {
    return handle == 0 || handle > kRfcMaxPorts;
}

bool Call(DWORD function, const void* in, DWORD inSize, void* out, DWORD outSize,
          DWORD* returned = nullptr) {
    DWORD count = 0;
    const bool ok = DeviceIoControl(BtSdkDevice(), BtIoctlCode(BtSdkDriverVersion(), function), in,
                                    inSize, out, outSize, &count, nullptr);
    if (returned) *returned = count;
    return ok;
}

bool CallWithHandle(DWORD function, WORD handle) {
    BYTE request[2];
    PutWord(request, handle);
    return Call(function, request, sizeof request, nullptr, 0);
}

// Waits for a reader to end (until `deadline` when given, else for good) and joins it; one that
// does not end in time is left to end by itself.
void JoinReader(const std::shared_ptr<Reader>& reader, const Clock::time_point* deadline) {
    if (!reader || !reader->thread.joinable()) return;
    if (reader->thread.get_id() == std::this_thread::get_id()) {
        qCWarning(lcBluetooth) << "A Bluetooth reader tried to wait for itself";
        reader->thread.detach();
        return;
    }
    {
        std::unique_lock lock(reader->mutex);
        const auto done = [&] { return reader->finished; };
        if (deadline) {
            if (!reader->ended.wait_until(lock, *deadline, done)) {
                lock.unlock();
                qCWarning(lcBluetooth) << "A Bluetooth reader did not end in time";
                reader->thread.detach();
                return;
            }
        } else {
            reader->ended.wait(lock, done);
        }
    }
    reader->thread.join();
}

bool Active(WORD handle, unsigned generation) {
    std::lock_guard lock(g_tableLock);
    const Record& r = g_table[handle];
    return r.entry.inUse && r.generation == generation;
}

void Finish(Reader& reader) {
    {
        std::lock_guard lock(reader.mutex);
        reader.finished = true;
    }
    reader.ended.notify_all();
    --g_runningReaders;
}

// One per connection, on its own device handle.
void RfcReadThread(WORD handle, unsigned generation, std::shared_ptr<Reader> self) {
    const HANDLE device = BtKrnlOpen();
    if (device == INVALID_HANDLE_VALUE) {
        LogMsg(0, "Unable to open BTKRNL device...");
        Finish(*self);
        return;
    }
    const DWORD code = BtIoctlCode(BtKrnlGetVersion(device), BTKRNL_IOCTL_PORT_RESULT);
    BYTE request[2];
    PutWord(request, handle);
    while (!BtSdkStopped() && Active(handle, generation)) {
        BYTE reply[7] = {};
        DWORD returned = 0;
        if (!DeviceIoControl(device, code, request, sizeof request, reply, sizeof reply, &returned,
                             nullptr) ||
            returned == 0)
            break;
        const DWORD value = Dword(reply);
        const WORD replyHandle = Word(reply + 4);
        if (returned < sizeof reply || BadHandle(replyHandle)) {
            qCWarning(lcBluetooth) << "Dropped a port result for handle" << replyHandle;
            continue;
        }
        if (reply[6] != 0) {
            RfcMgmtDispatch(value, replyHandle);
            continue;
        }
        RfcCallback callback = nullptr;
        {
            std::lock_guard lock(g_tableLock);
            if (g_table[handle].generation == generation)
                callback = g_table[handle].entry.eventCallback;
        }
        if (callback) callback(value, replyHandle);
    }
    CloseHandle(device);
    Finish(*self);
}

}  // namespace

DWORD RFCOMM_CreateConnection(WORD serviceUuid, BYTE scn, BYTE isServer, WORD mtu,
                              const BYTE* address, WORD* portHandle, RfcCallback management,
                              RfcCallback event) {
    if (!address || !portHandle) return kRfcFailed;
    BYTE request[53] = {};
    PutWord(request, serviceUuid);
    request[42] = scn;
    request[44] = isServer;
    PutWord(request + 45, mtu);
    std::memcpy(request + 47, address, 6);
    BYTE reply[4] = {};
    DWORD returned = 0;
    // A stale error must not pass for this call's.
    SetLastError(ERROR_SUCCESS);
    if (!Call(IOCTL_PORT_OPEN, request, sizeof request, reply, sizeof reply, &returned) ||
        returned != sizeof reply) {
        const DWORD error = GetLastError();
        return error ? error : kRfcFailed;
    }
    const WORD handle = Word(reply + 2);
    if (Word(reply) != 0 || handle == 0) return kRfcFailed;
    if (BadHandle(handle)) {
        // No record for it: give it back.
        qCWarning(lcBluetooth) << "The driver gave port handle" << handle;
        CallWithHandle(IOCTL_PORT_CLOSE, handle);
        return kRfcFailed;
    }

    std::shared_ptr<Reader> previous;
    {
        std::lock_guard lock(g_tableLock);
        previous = std::move(g_table[handle].reader);
    }
    const Clock::time_point deadline = Clock::now() + kReaderEndLimit;
    JoinReader(previous, &deadline);

    auto reader = std::make_shared<Reader>();
    unsigned generation = 0;
    {
        std::lock_guard lock(g_tableLock);
        Record& r = g_table[handle];
        r.entry = {1, isServer ? 1u : 0u, handle, management, event};
        generation = ++r.generation;
        r.reader = reader;
    }
    {
        std::lock_guard lock(BtPortListLock());
        *portHandle = handle;
    }
    ++g_runningReaders;
    reader->thread = std::thread(RfcReadThread, handle, generation, reader);
    return kRfcSuccess;
}

DWORD PORT_SetEventCallback(WORD portHandle, RfcCallback callback) {
    if (BadHandle(portHandle)) return kRfcBadHandle;
    std::lock_guard lock(g_tableLock);
    g_table[portHandle].entry.eventCallback = callback;
    return kRfcSuccess;
}

DWORD PORT_SetEventMask(WORD portHandle, DWORD mask) {
    if (BadHandle(portHandle)) return kRfcBadHandle;
    BYTE request[6];
    PutWord(request, portHandle);
    PutDword(request + 2, mask);
    return Call(IOCTL_PORT_EVENT_MASK, request, sizeof request, nullptr, 0) ? kRfcSuccess
                                                                            : kRfcFailed;
}

DWORD RFCOMM_RemoveConnection(WORD portHandle) {
    if (BadHandle(portHandle)) return kRfcBadHandle;
    if (!CallWithHandle(IOCTL_PORT_CLOSE, portHandle)) return kRfcFailed;
    std::shared_ptr<Reader> reader;
    {
        std::lock_guard lock(g_tableLock);
        g_table[portHandle].entry.inUse = 0;
        reader = std::move(g_table[portHandle].reader);
    }
    // The close ended the reader's wait; a notification under way finishes first.
    JoinReader(reader, nullptr);
    return kRfcSuccess;
}

DWORD PORT_CheckConnection(WORD portHandle, BYTE* address, WORD* connectionId) {
    if (BadHandle(portHandle)) return kRfcBadHandle;
    BYTE request[2];
    PutWord(request, portHandle);
    BYTE reply[10] = {};
    DWORD returned = 0;
    if (!Call(IOCTL_PORT_CHECK_CONNECTION, request, sizeof request, reply, sizeof reply,
              &returned) ||
        returned != sizeof reply)
        return kRfcFailed;
    if (address) std::memcpy(address, reply, 6);
    if (connectionId) *connectionId = Word(reply + 6);
    return kRfcSuccess;
}

DWORD PORT_ReadData(WORD portHandle, void* buffer, WORD maxLength, WORD* count) {
    if (count) *count = 0;
    if (BadHandle(portHandle)) return kRfcBadHandle;
    BYTE request[2];
    PutWord(request, portHandle);
    DWORD returned = 0;
    if (!Call(IOCTL_PORT_READ, request, sizeof request, buffer, maxLength, &returned))
        return kRfcFailed;
    if (count) *count = WORD(std::min<DWORD>(returned, maxLength));
    return kRfcSuccess;
}

DWORD PORT_WriteData(WORD portHandle, const void* data, WORD length, WORD* count) {
    WORD ignored = 0;
    if (!count) count = &ignored;
    *count = 0;
    if (BadHandle(portHandle)) return kRfcBadHandle;
    BYTE reply[2] = {};
    DWORD returned = 0;
    bool ok = false;
    if (BtSdkDriverVersion() >= 0x30004) {
        std::vector<BYTE> block;
        try {
            block.resize(10 + size_t(length));
        } catch (const std::bad_alloc&) {
            return kRfcNoMemory;
        }
        PutWord(block.data(), portHandle);
        PutDword(block.data() + 2, length);
        if (length) std::memcpy(block.data() + 10, data, length);
        ok = Call(IOCTL_PORT_WRITE, block.data(), DWORD(block.size()), reply, sizeof reply,
                  &returned);
    } else {
        // The older layout carries the data's address in 32 bits.
        const auto where = reinterpret_cast<std::uintptr_t>(data);
        if (where > 0xFFFFFFFFu) return kRfcFailed;
        BYTE request[10];
        PutWord(request, portHandle);
        PutDword(request + 2, DWORD(where));
        PutDword(request + 6, length);
        ok = Call(IOCTL_PORT_WRITE, request, sizeof request, reply, sizeof reply, &returned);
    }
    if (!ok || returned < sizeof reply) return kRfcFailed;
    *count = Word(reply);
    return kRfcSuccess;
}

BYTE RFCOMM_AllocateSCN(const GUID* serviceGuid, const char* serviceName) {
    if (!serviceGuid) return 0;
    BYTE request[116] = {};
    const GUID& g = *serviceGuid;
    // Big-endian, as a 128-bit UUID.
    for (int i = 0; i < 4; ++i)
        request[i] = BYTE(g.Data1 >> (24 - 8 * i));
    request[4] = BYTE(g.Data2 >> 8);
    request[5] = BYTE(g.Data2);
    request[6] = BYTE(g.Data3 >> 8);
    request[7] = BYTE(g.Data3);
    std::memcpy(request + 8, g.Data4, 8);
    // Room for 99 characters and the terminator; a longer name is cut.
    if (serviceName) std::strncpy(reinterpret_cast<char*>(request + 16), serviceName, 99);
    BYTE reply[1] = {};
    DWORD returned = 0;
    if (!Call(IOCTL_RFCOMM_ALLOCATE_SCN, request, sizeof request, reply, sizeof reply, &returned) ||
        returned < 1)
        return 0;
    return reply[0];
}

void RFCOMM_FreeSCN(BYTE scn) {
    Call(IOCTL_RFCOMM_FREE_SCN, &scn, 1, nullptr, 0);
}

BYTE BTM_AllocateSecurityIndex(const GUID* serviceGuid) {
    if (!serviceGuid) return 0;
    BYTE request[16];
    PutDword(request, serviceGuid->Data1);
    PutWord(request + 4, serviceGuid->Data2);
    PutWord(request + 6, serviceGuid->Data3);
    std::memcpy(request + 8, serviceGuid->Data4, 8);
    BYTE reply[269] = {};
    DWORD returned = 0;
    if (!Call(IOCTL_BTM_ALLOCATE_SECURITY_INDEX, request, sizeof request, reply, sizeof reply,
              &returned) ||
        returned < 1)
        return 0;
    return reply[0];
}

void BTM_ReleaseSecurityIndex(BYTE index) {
    BYTE reply[269];
    Call(IOCTL_BTM_RELEASE_SECURITY_INDEX, &index, 1, reply, sizeof reply);
}

BYTE BTM_SetSecurityLevel(BYTE originator, const char* serviceName, DWORD index, WORD level,
                          WORD psm, DWORD protocolId, DWORD channelId) {
    BYTE request[117] = {};
    // Bound of 100: a name of 100 characters or more goes without a terminator.
    if (serviceName) std::strncpy(reinterpret_cast<char*>(request), serviceName, 100);
    PutDword(request + 100, index);
    request[104] = originator;
    PutWord(request + 105, level);
    PutWord(request + 107, psm);
    PutDword(request + 109, protocolId);
    PutDword(request + 113, channelId);
    BYTE reply[269] = {};
    DWORD returned = 0;
    if (!Call(IOCTL_BTM_SET_SECURITY_LEVEL, request, sizeof request, reply, sizeof reply,
              &returned) ||
        returned < 2)
        return 0;
    return Word(reply) == 0 ? 1 : 0;
}

void RfcMgmtDispatch(DWORD result, WORD portHandle) {
    if (BadHandle(portHandle)) return;
    RfcCallback callback = nullptr;
    {
        std::lock_guard lock(g_tableLock);
        const RfcPortEntry& e = g_table[portHandle].entry;
        if (e.inUse) callback = e.managementCallback;
    }
    if (callback) callback(result, portHandle);
    if (result == 0) return;
    std::lock_guard lock(g_tableLock);
    RfcPortEntry& e = g_table[portHandle].entry;
    if (!e.isServer) {
        e.managementCallback = nullptr;
        e.inUse = 0;
    }
}

RfcPortEntry RfcGetPortEntry(WORD portHandle) {
    if (BadHandle(portHandle)) return {};
    std::lock_guard lock(g_tableLock);
    return g_table[portHandle].entry;
}

int RfcRunningReaders() {
    return g_runningReaders.load();
}

void RfcClearPortTable() {
    std::vector<std::shared_ptr<Reader>> readers;
    {
        std::lock_guard lock(g_tableLock);
        for (Record& r : g_table) {
            if (r.reader) readers.push_back(std::move(r.reader));
            r.entry = {};
        }
    }
    const Clock::time_point deadline = Clock::now() + kReaderEndLimit;
    for (const auto& reader : readers)
        JoinReader(reader, &deadline);
}

void RfcEndReaders(HANDLE device) {
    std::vector<WORD> open;
    {
        std::lock_guard lock(g_tableLock);
        for (WORD h = 1; h <= kRfcMaxPorts; ++h)
            if (g_table[h].entry.inUse) open.push_back(h);
    }
    // Closing a connection ends its reader's wait in the driver.
    for (WORD h : open) {
        BYTE request[2];
        PutWord(request, h);
        DeviceIoControl(device, BtIoctlCode(BtSdkDriverVersion(), IOCTL_PORT_CLOSE), request,
                        sizeof request, nullptr, 0, nullptr, nullptr);
    }
    std::vector<std::shared_ptr<Reader>> readers;
    {
        std::lock_guard lock(g_tableLock);
        for (Record& r : g_table) {
            r.entry.inUse = 0;
            if (r.reader) readers.push_back(std::move(r.reader));
        }
    }
    const Clock::time_point deadline = Clock::now() + kReaderEndLimit;
    for (const auto& reader : readers)
        JoinReader(reader, &deadline);
}
