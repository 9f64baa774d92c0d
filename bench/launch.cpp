/*
 * Start-up of whole processes: runs a floor program and the application
 * alternately, each until its first rendered frame, and compares them.
 * Both print "first-frame NANOSECONDS" (CLOCK_MONOTONIC) on standard output
 * at their first frame and exit (the application does so under
 * PANEL_EXIT_AT_FIRST_FRAME=1, set here). The time of a run is from just
 * before fork to that frame; the memory is the child's peak resident set.
 *
 * The programs' standard error goes to /dev/null (BENCH_VERBOSE=1 keeps it).
 * Two warm-up runs of each fill the page cache first; then they take turns,
 * so that a change of the machine's load falls on both alike.
 *
 * usage: bench-launch RUNS FLOOR APP [APP-ARGS...]
 * Prints per program the median and 90th percentile time and the median peak
 * memory, then the ratio of the medians (bound 1.2) and the memory above the
 * floor's (bound 8 MiB), each with PASS or FAIL. Exit status 1 when a bound
 * is missed, 2 when a run fails (no frame within 20 s, or an exit other than
 * 0) or for a usage error.
 */
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr double RATIO_BOUND = 1.2;
constexpr double MEMORY_BOUND_MIB = 8.0;

struct sample {
    double ms = 0;
    long peak_kib = 0;
};

long long now_ns()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

/* One run of argv until its first frame; false (with a message) on failure. */
bool run_once(const std::vector<char *> &argv, sample &out)
{
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    long long start = now_ns();
    pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        const char *verbose = getenv("BENCH_VERBOSE");
        int null_fd = open("/dev/null", O_WRONLY);
        if (!(verbose && *verbose == '1') && null_fd >= 0)
            dup2(null_fd, STDERR_FILENO);
        if (null_fd >= 0)
            close(null_fd);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    std::string text;
    long long frame = -1;
    long long deadline = start + 20LL * 1000000000LL;
    while (frame < 0 && now_ns() < deadline) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 200) <= 0)
            continue;
        char buf[512];
        ssize_t n = read(fds[0], buf, sizeof buf);
        if (n <= 0)
            break;
        text.append(buf, static_cast<std::size_t>(n));
        std::size_t at = text.find("first-frame ");
        if (at != std::string::npos && text.find('\n', at) != std::string::npos)
            frame = std::atoll(text.c_str() + at + 12);
    }
    close(fds[0]);
    if (frame < 0)
        kill(pid, SIGKILL);
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    if (frame < 0) {
        std::fprintf(stderr, "bench-launch: %s gave no first frame\n", argv[0]);
        return false;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench-launch: %s ended with status %d after its first frame\n",
                     argv[0], status);
        return false;
    }
    out.ms = static_cast<double>(frame - start) / 1e6;
    out.peak_kib = usage.ru_maxrss;
    return true;
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5)];
}

long median_kib(std::vector<long> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench-launch RUNS FLOOR APP [APP-ARGS...]\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    std::vector<char *> floor_argv{argv[2], nullptr};
    std::vector<char *> app_argv(argv + 3, argv + argc);
    app_argv.push_back(nullptr);
    setenv("PANEL_EXIT_AT_FIRST_FRAME", "1", 1);

    std::vector<double> floor_ms, app_ms;
    std::vector<long> floor_kib, app_kib;
    sample s;
    for (int i = 0; i < 2; ++i)
        if (!run_once(floor_argv, s) || !run_once(app_argv, s))
            return 2;
    for (int i = 0; i < runs; ++i) {
        if (!run_once(floor_argv, s))
            return 2;
        floor_ms.push_back(s.ms);
        floor_kib.push_back(s.peak_kib);
        if (!run_once(app_argv, s))
            return 2;
        app_ms.push_back(s.ms);
        app_kib.push_back(s.peak_kib);
    }
    double fm = percentile(floor_ms, 0.5), am = percentile(app_ms, 0.5);
    long fk = median_kib(floor_kib), ak = median_kib(app_kib);
    std::printf("floor:       median %7.1f ms  p90 %7.1f ms  peak %7.1f MiB\n", fm,
                percentile(floor_ms, 0.9), fk / 1024.0);
    std::printf("application: median %7.1f ms  p90 %7.1f ms  peak %7.1f MiB\n", am,
                percentile(app_ms, 0.9), ak / 1024.0);
    double ratio = am / fm, above = (ak - fk) / 1024.0;
    bool ratio_ok = ratio <= RATIO_BOUND, memory_ok = above <= MEMORY_BOUND_MIB;
    std::printf("start to first frame, ratio of medians: %.2f (bound %.1f) %s  (%d runs each)\n",
                ratio, RATIO_BOUND, ratio_ok ? "PASS" : "FAIL", runs);
    std::printf("peak memory above the floor's: %+.1f MiB (bound %.0f MiB) %s\n", above,
                MEMORY_BOUND_MIB, memory_ok ? "PASS" : "FAIL");
    return ratio_ok && memory_ok ? 0 : 1;
}
