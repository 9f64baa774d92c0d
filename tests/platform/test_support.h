/*
 * Helpers of the platform tests: a fresh platform directory per test, running
 * the built programs with their output captured, and running the Ecore main
 * loop until a condition holds.
 */
#ifndef PLATFORM_TEST_SUPPORT_H
#define PLATFORM_TEST_SUPPORT_H

#include <functional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace test_support {

// Creates a directory under /tmp, points PANEL_PLATFORM_DIR at it and
// removes it again when destroyed.
class PlatformDir {
public:
    PlatformDir();
    ~PlatformDir();
    PlatformDir(const PlatformDir &) = delete;
    PlatformDir &operator=(const PlatformDir &) = delete;
    const std::string &path() const { return path_; }

private:
    std::string path_;
};

// A fresh temporary directory, removed by PlatformDir-like cleanup.
std::string make_temp_dir();
void remove_tree(const std::string &path);

struct RunResult {
    int status = -1;  // exit status, or 128 + signal
    std::string out;
    std::string err;
};

// Runs a program to its end with standard output and error captured.
RunResult run(const std::vector<std::string> &argv);

// A running program whose standard output is read line by line.
class Spawned {
public:
    explicit Spawned(const std::vector<std::string> &argv);
    ~Spawned();
    Spawned(const Spawned &) = delete;
    Spawned &operator=(const Spawned &) = delete;
    // The next line (without the line end), or false when none came in time.
    bool read_line(std::string &line, double timeout_s);
    // Sends sig and waits for the end; returns the exit status or 128 + signal.
    int stop(int sig);
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int out_fd_ = -1;
    std::string pending_;
};

// Monotonic seconds.
double now();

// Runs the Ecore main loop until done() is true or timeout_s passed; returns
// done(). Ecore must be initialised.
bool spin_until(double timeout_s, const std::function<bool()> &done);
// Runs the Ecore main loop for the given time.
void spin_for(double seconds);

std::string read_file(const std::string &path);
void write_file(const std::string &path, const std::string &content);

// Number of inotify watches held by this process.
int inotify_watch_count();

}  // namespace test_support

#endif
