#pragma once
// Holds the process's address space to what it uses now and some room, so that a large
// allocation fails as it does under a memory limit (ulimit -v). The sanitizers' allocators end
// the process on a failed allocation instead: tests that need one skip there.

#include <algorithm>
#include <fstream>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

namespace testing_support {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kAllocationsMayFail = false;
#else
constexpr bool kAllocationsMayFail = true;
#endif

class AddressSpaceLimit {
public:
    explicit AddressSpaceLimit(rlim_t room) {
        // Free memory the heap still holds would be room on top of `room`; and a thread that
        // starts meanwhile would take a malloc arena of 64 MB out of it, or not, as the machine's
        // load has it: from now on new threads share the arenas there are.
        malloc_trim(0);
        mallopt(M_ARENA_MAX, 1);
        getrlimit(RLIMIT_AS, &m_old);
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        rlimit limit = m_old;
        limit.rlim_cur =
            std::min<rlim_t>(rlim_t(pages) * sysconf(_SC_PAGESIZE) + room, m_old.rlim_max);
        setrlimit(RLIMIT_AS, &limit);
    }
    ~AddressSpaceLimit() { setrlimit(RLIMIT_AS, &m_old); }
    AddressSpaceLimit(const AddressSpaceLimit&) = delete;
    AddressSpaceLimit& operator=(const AddressSpaceLimit&) = delete;

private:
    rlimit m_old{};
};

}  // namespace testing_support
