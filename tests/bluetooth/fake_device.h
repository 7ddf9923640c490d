#pragma once
// A scripted kernel device registered as "\\.\BTKRNL": it logs every request and plays replies the
// test queued, with defaults that make a well-behaved driver. A port-result wait blocks until the
// test pushes a result for that handle or the handle is closed.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/comm/device_io.h"

namespace testing_support {

class FakeBtDevice {
public:
    struct Request {
        DWORD code;
        std::vector<BYTE> in;
    };
    struct Reply {
        bool ok = true;
        std::vector<BYTE> out;
        DWORD lastError = 0;  // set whether or not the call fails
    };

    explicit FakeBtDevice(DWORD version = 0x30004) : m_version(version) {
        platform::RegisterDevice("BTKRNL", [this]() -> std::unique_ptr<platform::DeviceHandle> {
            std::lock_guard lock(m_mutex);
            if (m_refuseOpen) {
                SetLastError(ERROR_FILE_NOT_FOUND);
                return nullptr;
            }
            ++m_opens;
            ++m_live;
            return std::make_unique<Handle>(*this);
        });
    }
    ~FakeBtDevice() {
        platform::RegisterDevice("BTKRNL", {});
        std::unique_lock lock(m_mutex);
        m_shut = true;
        m_changed.notify_all();
        // Handles still open (a reader that was never stopped) must not outlive the fake.
        if (!m_changed.wait_for(lock, std::chrono::seconds(5),
                                [this] { return m_live == 0 && m_inside == 0; }))
            ADD_FAILURE() << "a handle of the fake device was left open";
    }

    // The device type whose version code the fake answers; both when `answerBoth`.
    DWORD DeviceType() const { return m_version < 0x30002 ? 0xEC54 : 0x002A; }
    void AnswerVersionOnBothTypes(bool both) { m_answerBoth = both; }
    void RefuseOpen(bool refuse) {
        std::lock_guard lock(m_mutex);
        m_refuseOpen = refuse;
    }

    // The next reply to a function (by function number), in place of the default.
    void Script(DWORD function, Reply reply) {
        std::lock_guard lock(m_mutex);
        m_scripts[function].push_back(std::move(reply));
    }
    // The reply to a function once its scripted ones ran out, until ClearScripts.
    void ScriptAlways(DWORD function, Reply reply) {
        std::lock_guard lock(m_mutex);
        m_always[function] = std::move(reply);
    }
    void ClearScripts() {
        std::lock_guard lock(m_mutex);
        m_scripts.clear();
        m_always.clear();
    }
    // A port-result reply for waits on `waitHandle`.
    void PushResult(WORD waitHandle, DWORD value, WORD replyHandle, BYTE management = 0) {
        std::vector<BYTE> r(7);
        for (int i = 0; i < 4; ++i)
            r[i] = BYTE(value >> (8 * i));
        r[4] = BYTE(replyHandle);
        r[5] = BYTE(replyHandle >> 8);
        r[6] = management;
        std::lock_guard lock(m_mutex);
        m_results[waitHandle].push_back(std::move(r));
        m_changed.notify_all();
    }
    // Bytes that port reads of `handle` return, at most `chunk` per read.
    void AddData(WORD handle, const std::vector<BYTE>& bytes) {
        std::lock_guard lock(m_mutex);
        auto& q = m_data[handle];
        q.insert(q.end(), bytes.begin(), bytes.end());
    }
    // Waits (a few seconds at most) until every queued result of `handle` was taken.
    bool WaitDelivered(WORD handle) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(5), [&] {
            return m_results[handle].empty() && m_waiting[handle] > 0;
        });
    }

    std::vector<Request> Requests(DWORD function) const {
        std::lock_guard lock(m_mutex);
        std::vector<Request> found;
        for (const Request& r : m_log)
            if (((r.code >> 2) & 0xFFF) == function) found.push_back(r);
        return found;
    }
    size_t RequestCount() const {
        std::lock_guard lock(m_mutex);
        return m_log.size();
    }
    void ClearLog() {
        std::lock_guard lock(m_mutex);
        m_log.clear();
    }
    int Opens() const {
        std::lock_guard lock(m_mutex);
        return m_opens;
    }
    int LiveHandles() const {
        std::lock_guard lock(m_mutex);
        return m_live;
    }

private:
    class Handle : public platform::DeviceHandle {
    public:
        explicit Handle(FakeBtDevice& device) : m_device(device) {}
        ~Handle() override {
            std::lock_guard lock(m_device.m_mutex);
            --m_device.m_live;
            m_device.m_changed.notify_all();
        }
        bool Control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize,
                     DWORD* returned) override {
            return m_device.Control(code, static_cast<const BYTE*>(in), inSize,
                                    static_cast<BYTE*>(out), outSize, returned);
        }

    private:
        FakeBtDevice& m_device;
    };

    bool Answer(const Reply& reply, BYTE* out, DWORD outSize, DWORD* returned) {
        SetLastError(reply.lastError);
        if (!reply.ok) return false;
        const DWORD n = std::min<DWORD>(outSize, DWORD(reply.out.size()));
        if (n) std::memcpy(out, reply.out.data(), n);
        *returned = n;
        return true;
    }

    bool Control(DWORD code, const BYTE* in, DWORD inSize, BYTE* out, DWORD outSize,
                 DWORD* returned) {
        std::unique_lock lock(m_mutex);
        m_log.push_back({code, std::vector<BYTE>(in, in + inSize)});
        const DWORD function = (code >> 2) & 0xFFF;
        const DWORD type = code >> 16;
        if (function == 0x1FF) {
            if (type != DeviceType() && !m_answerBoth) return Fail(ERROR_INVALID_FUNCTION);
            return Answer({true,
                           {BYTE(m_version), BYTE(m_version >> 8), BYTE(m_version >> 16),
                            BYTE(m_version >> 24)}},
                          out, outSize, returned);
        }
        if (type != DeviceType()) return Fail(ERROR_INVALID_FUNCTION);
        const WORD handle = inSize >= 2 ? WORD(in[0] | in[1] << 8) : 0;
        if (function == 0x11A) return Wait(lock, handle, out, outSize, returned);
        if (function == 0x103) {
            m_closed[handle] = true;
            m_changed.notify_all();
        }
        auto& script = m_scripts[function];
        if (!script.empty()) {
            const Reply reply = script.front();
            script.pop_front();
            if (function == 0x101 && reply.ok && reply.out.size() == 4)
                m_closed[WORD(reply.out[2] | reply.out[3] << 8)] = false;
            return Answer(reply, out, outSize, returned);
        }
        if (auto always = m_always.find(function); always != m_always.end())
            return Answer(always->second, out, outSize, returned);
        switch (function) {
            case 0x101: {  // open: the next handle
                const WORD h = m_nextHandle;
                m_nextHandle = WORD(m_nextHandle % 20 + 1);
                m_closed[h] = false;
                return Answer({true, {0, 0, BYTE(h), 0}}, out, outSize, returned);
            }
            case 0x104:  // check connection
                return Answer({true, {0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0x34, 0x12, 0, 0}}, out,
                              outSize, returned);
            case 0x10D: {  // read
                auto& q = m_data[handle];
                const DWORD n = std::min<DWORD>(outSize, DWORD(q.size()));
                std::copy_n(q.begin(), n, out);
                q.erase(q.begin(), q.begin() + n);
                *returned = n;
                return true;
            }
            case 0x10E: {  // write: all of it
                const DWORD length = inSize == 10 ? DWORD(in[6] | in[7] << 8) : inSize - 10;
                return Answer({true, {BYTE(length), BYTE(length >> 8)}}, out, outSize, returned);
            }
            case 0x110:  // allocate SCN
                return Answer({true, {5}}, out, outSize, returned);
            case 0x231:  // allocate security index
                return Answer({true, {7}}, out, outSize, returned);
            case 0x22D:  // set security level
                return Answer({true, {0, 0}}, out, outSize, returned);
            default:
                return Answer({true, {}}, out, outSize, returned);
        }
    }

    bool Wait(std::unique_lock<std::mutex>& lock, WORD handle, BYTE* out, DWORD outSize,
              DWORD* returned) {
        ++m_inside;
        ++m_waiting[handle];
        m_changed.notify_all();
        m_changed.wait(lock,
                       [&] { return m_shut || m_closed[handle] || !m_results[handle].empty(); });
        --m_waiting[handle];
        --m_inside;
        m_changed.notify_all();
        if (m_shut || m_closed[handle]) return Fail(ERROR_GEN_FAILURE);
        const std::vector<BYTE> r = m_results[handle].front();
        m_results[handle].pop_front();
        m_changed.notify_all();
        return Answer({true, r}, out, outSize, returned);
    }

    static bool Fail(DWORD error) {
        SetLastError(error);
        return false;
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    DWORD m_version;
    bool m_answerBoth = false;
    bool m_refuseOpen = false;
    bool m_shut = false;
    int m_opens = 0;
    int m_live = 0;
    int m_inside = 0;
    WORD m_nextHandle = 1;
    std::vector<Request> m_log;
    std::map<DWORD, std::deque<Reply>> m_scripts;
    std::map<DWORD, Reply> m_always;
    std::map<WORD, std::deque<std::vector<BYTE>>> m_results;
    std::map<WORD, std::deque<BYTE>> m_data;
    std::map<WORD, bool> m_closed;
    std::map<WORD, int> m_waiting;
};

}  // namespace testing_support
