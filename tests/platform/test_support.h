/*
 * Helpers of the platform and tools tests: a fresh platform directory, the
 * built programs run with their output in temporary files, and the Ecore
 * main loop run until a condition holds.
 */
#ifndef PLATFORM_TEST_SUPPORT_H
#define PLATFORM_TEST_SUPPORT_H

#include <Ecore.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace test_support {

inline double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

inline std::string read_file(const std::string &path)
{
    std::stringstream ss;
    ss << std::ifstream(path, std::ios::binary).rdbuf();
    return ss.str();
}

// A directory under /tmp named by PANEL_PLATFORM_DIR while the object lives.
class PlatformDir {
public:
    PlatformDir() : path_("/tmp/platform-test-XXXXXX")
    {
        ::mkdtemp(path_.data());
        ::setenv("PANEL_PLATFORM_DIR", path_.c_str(), 1);
    }
    ~PlatformDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    PlatformDir(const PlatformDir &) = delete;
    PlatformDir &operator=(const PlatformDir &) = delete;
    const std::string &path() const { return path_; }

private:
    std::string path_;
};

// A program running in the background; its standard output and error go
// to files, so that much output can never block it on a full pipe.
class Child {
public:
    explicit Child(std::vector<std::string> argv)
    {
        int out = ::mkstemp(out_.data()), err = ::mkstemp(err_.data());
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out, STDOUT_FILENO);
            ::dup2(err, STDERR_FILENO);
            std::vector<char *> args;
            for (std::string &a : argv)
                args.push_back(a.data());
            args.push_back(nullptr);
            ::execv(args[0], args.data());
            ::_exit(127);
        }
        ::close(out);
        ::close(err);
    }
    ~Child()
    {
        stop(SIGKILL);
        ::unlink(out_.c_str());
        ::unlink(err_.c_str());
    }
    Child(const Child &) = delete;
    Child &operator=(const Child &) = delete;
    std::string out() const { return read_file(out_); }
    std::string err() const { return read_file(err_); }

    // Waits until the standard output holds text; false after timeout_s or
    // as soon as the program ended without printing it.
    bool wait_output(const std::string &text, double timeout_s)
    {
        for (double deadline = now() + timeout_s;; ::usleep(5000)) {
            const bool ended = wait(0) != -1;
            if (out().find(text) != std::string::npos)
                return true;
            if (ended || now() > deadline)
                return false;
        }
    }

    // Waits at most timeout_s for the end, sending nothing. Returns the exit
    // status, 128 + signal when a signal ended it, -1 while it still runs, or
    // REAPED_ELSEWHERE when the process's Ecore main loop reaped it first
    // (a test that needs the status resets SIGCHLD to SIG_DFL after
    // ecore_init).
    static constexpr int REAPED_ELSEWHERE = -2;
    int wait(double timeout_s)
    {
        for (double deadline = now() + timeout_s; pid_ > 0; ::usleep(2000)) {
            int status = 0;
            pid_t done = ::waitpid(pid_, &status, WNOHANG);
            if (done == pid_) {
                pid_ = -1;
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            } else if (done == -1 && errno == ECHILD) {
                pid_ = -1;  // ended, and an Ecore SIGCHLD handler took its status
                status_ = REAPED_ELSEWHERE;
            } else if (now() > deadline) {
                return -1;
            }
        }
        return status_;
    }

    // Sends sig (none for 0) and waits for the end. Returns what wait()
    // does, -1 when it was still running after 10 s (it is killed then).
    int stop(int sig)
    {
        if (pid_ <= 0)
            return status_;  // never kill(-1): that would signal every process
        if (sig != 0)
            ::kill(pid_, sig);
        if (wait(10) == -1) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
        return status_;
    }

private:
    pid_t pid_ = -1;
    int status_ = -1;  // what wait() found once the program ended
    std::string out_ = "/tmp/test-out-XXXXXX", err_ = "/tmp/test-err-XXXXXX";
};

struct RunResult {
    int status;
    std::string out, err;
};

// Runs a program to its end.
inline RunResult run(const std::vector<std::string> &argv)
{
    Child child(argv);
    int status = child.stop(0);
    return {status, child.out(), child.err()};
}

// Runs the Ecore main loop until done() holds or timeout_s passed; returns
// done(). Ecore must be initialised.
inline bool spin_until(double timeout_s, const std::function<bool()> &done)
{
    // The timer only wakes the loop up so that the deadline is checked.
    Ecore_Timer *tick = ecore_timer_add(0.005, [](void *) { return ECORE_CALLBACK_RENEW; }, nullptr);
    for (double deadline = now() + timeout_s; !done() && now() < deadline;)
        ecore_main_loop_iterate_may_block(1);
    ecore_timer_del(tick);
    return done();
}

// Ecore initialised without its system modules while the object lives.
struct EcoreHeld {
    EcoreHeld()
    {
        ecore_app_no_system_modules();
        ecore_init();
    }
    ~EcoreHeld() { ecore_shutdown(); }
    EcoreHeld(const EcoreHeld &) = delete;
    EcoreHeld &operator=(const EcoreHeld &) = delete;
};

}  // namespace test_support

#endif
