/*
 * Key-notification latency: another process writes a key, this one's
 * change callback (on the Ecore main loop, as the application's are)
 * receives it. The writer puts its CLOCK_MONOTONIC time, taken just before
 * the write, into the value; the callback subtracts it from its own time.
 * The writer waits for the callback's acknowledgement (a byte on a pipe)
 * and a pause (2 ms by default) before its next write, so that each write
 * is measured on its own, never merged with or queued behind another.
 *
 * usage: bench-keys [WRITES [PACE_US [PARENT]]]   (default 2000 writes,
 * 2000 us, the store in a new directory under /tmp; give /dev/shm for a
 * store in memory, where a panel keeps its volatile keys)
 * Prints the median, 99th percentile and maximum with the bounds (median
 * 0.5 ms, 99th percentile 2 ms) and PASS or FAIL; exit status 1 when a bound
 * is missed or writes are lost.
 */
#include <Ecore.h>
#include <vconf.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr const char *KEY = "memory/bench/stamp";
constexpr double MEDIAN_BOUND_MS = 0.5;
constexpr double P99_BOUND_MS = 2.0;

long long now_ns()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

std::vector<double> latencies;
int expected = 0;
int ack_fd = -1;

void changed_cb(keynode_t *node, void *)
{
    long long now = now_ns();
    const char *value = vconf_keynode_get_str(node);
    if (!value)
        return;
    latencies.push_back(static_cast<double>(now - std::atoll(value)) / 1e6);
    if (write(ack_fd, "a", 1) != 1)
        std::perror("bench-keys: acknowledgement");
    if (static_cast<int>(latencies.size()) >= expected)
        ecore_main_loop_quit();
}

Eina_Bool timeout_cb(void *)
{
    ecore_main_loop_quit();
    return ECORE_CALLBACK_CANCEL;
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5)];
}

}  // namespace

int main(int argc, char **argv)
{
    expected = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    const int pace_us = argc > 2 ? std::max(0, std::atoi(argv[2])) : 2000;
    std::string tmpl = std::string(argc > 3 ? argv[3] : "/tmp") + "/em-bench-keys-XXXXXX";
    if (!mkdtemp(tmpl.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    setenv("PANEL_PLATFORM_DIR", (tmpl + "/platform").c_str(), 1);
    vconf_set_str(KEY, "0");

    int acks[2];
    if (pipe(acks) != 0) {
        std::perror("pipe");
        return 1;
    }
    ack_fd = acks[1];
    ecore_app_no_system_modules();
    ecore_init();
    if (vconf_notify_key_changed(KEY, changed_cb, nullptr) != 0) {
        std::fprintf(stderr, "bench-keys: cannot watch %s\n", KEY);
        return 1;
    }
    /* The writer starts once the watch is in place, after a pause that lets
     * this process reach its main loop; it stops when an acknowledgement
     * does not come within 2 s. */
    pid_t writer = fork();
    if (writer == 0) {
        close(acks[1]);
        usleep(200000);
        for (int i = 0; i < expected; ++i) {
            std::string stamp = std::to_string(now_ns());
            vconf_set_str(KEY, stamp.c_str());
            pollfd p{acks[0], POLLIN, 0};
            char c;
            if (poll(&p, 1, 2000) != 1 || read(acks[0], &c, 1) != 1)
                _exit(1);
            usleep(static_cast<useconds_t>(pace_us));
        }
        _exit(0);
    }
    close(acks[0]);
    ecore_timer_add(10.0 + expected * (pace_us + 5000) / 1e6, timeout_cb, nullptr);
    ecore_main_loop_begin();
    waitpid(writer, nullptr, 0);
    vconf_ignore_key_changed(KEY, changed_cb);
    ecore_shutdown();
    std::filesystem::remove_all(tmpl);

    if (latencies.empty()) {
        std::printf("key notification: no callback received\n");
        return 1;
    }
    double median = percentile(latencies, 0.5), p99 = percentile(latencies, 0.99);
    bool lost = static_cast<int>(latencies.size()) < expected;
    bool pass = median < MEDIAN_BOUND_MS && p99 < P99_BOUND_MS && !lost;
    std::printf("key written by another process to its callback (store in %s): median %.3f ms (bound %.1f)  "
                "p99 %.3f ms (bound %.1f)  max %.3f ms  %zu of %d writes  %s\n",
                argc > 3 ? argv[3] : "/tmp", median, MEDIAN_BOUND_MS, p99, P99_BOUND_MS, percentile(latencies, 1.0),
                latencies.size(), expected, pass ? "PASS" : "FAIL");
    return pass ? 0 : 1;
}
