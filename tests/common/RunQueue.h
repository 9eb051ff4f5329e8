// The time the machine kept threads waiting for a processor (runnable, but other programs ran), as
// the kernel counts it in schedstat. A time limit in a test judges the program: what a loaded
// machine adds is taken off first. Waiting for a device, a socket or a timer is no such wait, so a
// program that blocks or sleeps is judged by the full time. Where the kernel keeps no count the
// figures are 0 and the limits judge wall-clock time.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <set>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace vxt::test {

inline int64_t RunQueueWaitNs(const std::string &schedstat)
{
    const int fd = ::open(schedstat.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    char buf[128];
    const ssize_t n = ::read(fd, buf, sizeof buf - 1);
    ::close(fd);
    if (n <= 0) return -1;
    buf[n] = '\0';
    unsigned long long onCpu = 0, waiting = 0;
    if (std::sscanf(buf, "%llu %llu", &onCpu, &waiting) != 2) return -1;
    return int64_t(waiting);
}

// The calling thread's own count: exact, since its waits are all behind it while it reads.
inline int64_t ThreadRunQueueWaitNs()
{
    const int64_t ns = RunQueueWaitNs("/proc/thread-self/schedstat");
    return ns < 0 ? 0 : ns;
}

namespace runqueue {
inline std::vector<std::string> Entries(const std::string &folder)
{
    std::vector<std::string> names;
    if (DIR *d = ::opendir(folder.c_str())) {
        while (const dirent *e = ::readdir(d))
            if (e->d_name[0] != '.') names.push_back(e->d_name);
        ::closedir(d);
    }
    return names;
}
}  // namespace runqueue

// Child processes that only load the machine (a test's busy loops): their waits are not the
// program's nor its device's.
inline std::set<std::string> &MachineLoadPids()
{
    static std::set<std::string> pids;
    return pids;
}

// The waits of every thread of this process and of its child processes (the emulated device runs
// as one), summed from sample to sample: a thread that ends between two samples keeps what the last
// one saw of it. Threads that wait side by side each count, so on a loaded machine a limit grows
// more lenient than it need be; on an idle one it stays as strict as wall-clock time.
class MachineWaits {
public:
    MachineWaits() { Sample(); }
    void Sample()
    {
        const std::string self = std::to_string(::getpid());
        std::vector<std::string> pids{self};
        for (const std::string &tid : runqueue::Entries("/proc/self/task")) {
            std::ifstream children("/proc/self/task/" + tid + "/children");
            for (std::string pid; children >> pid;)
                if (!MachineLoadPids().count(pid)) pids.push_back(pid);
        }
        for (const std::string &pid : pids)
            for (const std::string &tid : runqueue::Entries("/proc/" + pid + "/task")) {
                const int64_t ns = RunQueueWaitNs("/proc/" + pid + "/task/" + tid + "/schedstat");
                if (ns < 0) continue;
                auto [it, fresh] = last_.try_emplace(tid, ns);
                // A thread first seen after the first sample began after it: all its waits count.
                if (fresh && sampled_) total_ += ns;
                if (!fresh && ns > it->second) total_ += ns - it->second;
                it->second = ns;
            }
        sampled_ = true;
    }
    int64_t Ns() const { return total_; }

private:
    std::map<std::string, int64_t> last_;
    int64_t total_ = 0;
    bool sampled_ = false;
};

// Wall-clock time since it was made, less the machine's waits meanwhile.
class OwnTime {
public:
    OwnTime() : start_(std::chrono::steady_clock::now()) {}
    long long Ms()
    {
        waits_.Sample();
        const auto wall = std::chrono::steady_clock::now() - start_;
        return (long long)std::chrono::duration_cast<std::chrono::milliseconds>(wall).count() - waits_.Ns() / 1000000;
    }

private:
    std::chrono::steady_clock::time_point start_;
    MachineWaits waits_;
};

}  // namespace vxt::test
