// Start-up: the time from starting a process to its main window shown, taken on a driver that starts
// the windows exactly as the program does (the program itself says nothing when it is up); and the
// resident memory of the real program 3 s after its start. Both without the splash wait, offscreen.
#include "BenchSupport.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

using namespace vxt::bench;

namespace {

const int kRounds = 7;

struct Child {
    pid_t pid = -1;
    int out = -1;   // its stdout, when asked for
};

std::optional<Child> Spawn(const char *path, bool pipeOut)
{
    int fds[2] = {-1, -1};
    if (pipeOut && pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (pipeOut) posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    else posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    char *argv[] = {const_cast<char *>(path), nullptr};
    Child c;
    const int rc = posix_spawn(&c.pid, path, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (pipeOut) close(fds[1]);
    if (rc != 0) {
        if (pipeOut) close(fds[0]);
        std::fprintf(stderr, "bench_startup: cannot start %s: %s\n", path, std::strerror(rc));
        return std::nullopt;
    }
    c.out = fds[0];
    return c;
}

// Ends a child we started: politely, then for sure.
void Reap(Child &c)
{
    if (c.out >= 0) close(c.out);
    c.out = -1;
    if (c.pid <= 0) return;
    for (int i = 0; i < 100; ++i) {
        if (waitpid(c.pid, nullptr, WNOHANG) == c.pid) {
            c.pid = -1;
            return;
        }
        if (i == 50) kill(c.pid, SIGTERM);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(c.pid, SIGKILL);
    waitpid(c.pid, nullptr, 0);
    c.pid = -1;
}

// Milliseconds from the spawn to the driver's "shown"; nullopt when it never said so.
std::optional<double> TimeDriver()
{
    const Clock::time_point t0 = Clock::now();
    std::optional<Child> c = Spawn(VXT_STARTUP_DRIVER, true);
    if (!c) return std::nullopt;
    std::string got;
    std::optional<double> ms;
    while (got.find('\n') == std::string::npos) {
        pollfd p{c->out, POLLIN, 0};
        if (poll(&p, 1, 20000) <= 0) break;
        char buf[64];
        const ssize_t n = read(c->out, buf, sizeof buf);
        if (n <= 0) break;
        got.append(buf, size_t(n));
    }
    if (got.rfind("shown\n", 0) == 0) ms = MsSince(t0, Clock::now());
    else std::fprintf(stderr, "bench_startup: the driver did not report its window (%s)\n", got.c_str());
    Reap(*c);
    return ms;
}

// VmRSS of a process in kB; 0 when it cannot be read.
long ResidentKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

}  // namespace

int main()
{
    DefaultToOffscreen();
    setenv("VXT_SPLASH_MS", "0", 1);

    // The first start fills the page cache and is not counted.
    std::vector<double> times;
    for (int i = 0; i <= kRounds; ++i) {
        const std::optional<double> ms = TimeDriver();
        if (!ms) return 2;
        if (i > 0) times.push_back(*ms);
    }
    const double startup = Median(times);
    Figure("start-up", "main window shown " + Fixed(startup, 0) + " ms after the process start (median of " +
                           std::to_string(kRounds) + ", driver starting the program's windows)",
           "< 300 ms", startup < 300);

    std::optional<Child> program = Spawn(VXT_PROGRAM, false);
    if (!program) return 2;
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const bool running = waitpid(program->pid, nullptr, WNOHANG) == 0;
    const long kb = running ? ResidentKb(program->pid) : 0;
    Reap(*program);
    if (!kb) {
        std::fprintf(stderr, "bench_startup: the program ended or its memory could not be read\n");
        return 2;
    }
    const double mb = kb * 1024.0 / 1e6;
    Figure("memory", "program resident " + Fixed(mb, 1) + " MB 3 s after its start (VmRSS " + std::to_string(kb) +
                         " kB)",
           "< 80 MB", mb < 80);
    return 0;
}
