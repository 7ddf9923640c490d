#include "platform/media/media_threads.h"

#include <dirent.h>
#include <gst/gst.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QThread>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <set>
#include <string_view>
#include <thread>
#include <utility>

#include "platform/base/log.h"

namespace media {

namespace {

std::set<pid_t> ThreadsOfProcess() {
    std::set<pid_t> ids;
    if (DIR* dir = opendir("/proc/self/task")) {
        while (const dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.') ids.insert(pid_t(std::atoi(entry->d_name)));
        closedir(dir);
    }
    return ids;
}

// A thread of GLib's shared pool: "pool-...". A streaming task names its thread "element:pad"
// only while it runs, and the task pools' cleanup has waited for every task to end, so a name
// with ':' is some other library's lasting thread (the GL driver's "program:disk$0"). The pool's
// spawner lasts, and is no worker.
bool IsPoolThread(pid_t id) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/self/task/%d/comm", int(id));
    FILE* f = std::fopen(path, "r");
    if (!f) return false;
    char name[32] = {};
    const bool read = std::fgets(name, sizeof name, f) != nullptr;
    std::fclose(f);
    if (!read) return false;
    const std::string_view n(name);
    return n.starts_with("pool-") && !n.starts_with("pool-spawner");
}

// How many of `ids` are still there, and whether a pool thread is among them.
std::pair<size_t, bool> StillThere(const std::set<pid_t>& ids) {
    const std::set<pid_t> now = ThreadsOfProcess();
    size_t count = 0;
    bool pool = false;
    for (pid_t id : ids) {
        if (!now.count(id)) continue;
        ++count;
        pool = pool || IsPoolThread(id);
    }
    return {count, pool};
}

struct Waiter {
    std::promise<void> promise;
    std::future<void> done;
    std::atomic<pid_t> id{0};
};

}  // namespace

void KeepMediaThreads() {
    g_thread_pool_set_max_unused_threads(-1);
    g_thread_pool_set_max_idle_time(0);
}

bool EndMediaThreads(int ms) {
    if (!gst_is_initialized()) return true;
    const QDeadlineTimer deadline(ms);
    // Kept until now (none ends of itself), every idle thread is counted, told to end and awaited.
    g_thread_pool_set_max_unused_threads(-1);
    // The task pools wait for their jobs to return; a pipeline left running would hold them for
    // ever, so that wait is left behind when its time is up, and the next call takes it up again.
    static std::shared_ptr<Waiter> pending;
    if (!pending) {
        pending = std::make_shared<Waiter>();
        pending->done = pending->promise.get_future();
        std::thread([waiter = pending] {
            waiter->id = gettid();
            gst_task_cleanup_all();
            waiter->promise.set_value();
        }).detach();
    }
    if (pending->done.wait_for(std::chrono::milliseconds(deadline.remainingTime())) !=
        std::future_status::ready) {
        qCWarning(lcMedia, "media threads still busy after %d ms: a pipeline is still running", ms);
        return false;
    }
    const pid_t waiterId = pending->id;
    pending.reset();
    std::set<pid_t> threads = ThreadsOfProcess();
    threads.erase(waiterId);
    const size_t idle = g_thread_pool_get_num_unused_threads();
    g_thread_pool_set_max_unused_threads(0);
    bool ended = true;
    // One that had just left its job may come to the pool after the count: it ends on coming.
    for (;;) {
        const auto [left, pool] = StillThere(threads);
        if (g_thread_pool_get_num_unused_threads() == 0 && left + idle <= threads.size() && !pool &&
            StillThere({waiterId}).first == 0)
            break;
        if (deadline.hasExpired()) {
            qCWarning(lcMedia, "idle media threads did not end within %d ms", ms);
            ended = false;
            break;
        }
        QThread::msleep(2);
    }
    KeepMediaThreads();
    return ended;
}

}  // namespace media
