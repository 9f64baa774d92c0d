/*
 * Helpers of the platform tests (see test_support.h). No state besides the
 * objects the tests own; spawns processes, reads /proc/self.
 */
#include "test_support.h"

#include <Ecore.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace test_support {

namespace {

std::vector<char *> c_argv(const std::vector<std::string> &argv)
{
    std::vector<char *> out;
    for (const std::string &a : argv)
        out.push_back(const_cast<char *>(a.c_str()));
    out.push_back(nullptr);
    return out;
}

int decode_status(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace

std::string make_temp_dir()
{
    std::string tmpl = "/tmp/platform-test-XXXXXX";
    if (::mkdtemp(tmpl.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    return tmpl;
}

void remove_tree(const std::string &path)
{
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
}

PlatformDir::PlatformDir() : path_(make_temp_dir())
{
    ::setenv("PANEL_PLATFORM_DIR", path_.c_str(), 1);
}

PlatformDir::~PlatformDir()
{
    remove_tree(path_);
}

RunResult run(const std::vector<std::string> &argv)
{
    int out[2], err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        std::vector<char *> args = c_argv(argv);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    RunResult result;
    std::array<pollfd, 2> fds{{{out[0], POLLIN, 0}, {err[0], POLLIN, 0}}};
    std::string *sinks[2] = {&result.out, &result.err};
    int open_fds = 2;
    while (open_fds > 0) {
        if (::poll(fds.data(), fds.size(), 10000) <= 0)
            break;
        for (size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            std::array<char, 4096> buf;
            ssize_t n = ::read(fds[i].fd, buf.data(), buf.size());
            if (n > 0) {
                sinks[i]->append(buf.data(), static_cast<size_t>(n));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open_fds;
            }
        }
    }
    for (pollfd &p : fds)
        if (p.fd >= 0)
            ::close(p.fd);
    int status = 0;
    ::waitpid(pid, &status, 0);
    result.status = decode_status(status);
    return result;
}

Spawned::Spawned(const std::vector<std::string> &argv)
{
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        std::vector<char *> args = c_argv(argv);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(out[1]);
    out_fd_ = out[0];
}

Spawned::~Spawned()
{
    if (pid_ > 0)
        stop(SIGKILL);
    if (out_fd_ >= 0)
        ::close(out_fd_);
}

bool Spawned::read_line(std::string &line, double timeout_s)
{
    double deadline = now() + timeout_s;
    for (;;) {
        size_t nl = pending_.find('\n');
        if (nl != std::string::npos) {
            line = pending_.substr(0, nl);
            pending_.erase(0, nl + 1);
            return true;
        }
        double left = deadline - now();
        if (left <= 0)
            return false;
        pollfd p{out_fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left * 1000) + 1) <= 0)
            continue;
        std::array<char, 4096> buf;
        ssize_t n = ::read(out_fd_, buf.data(), buf.size());
        if (n <= 0)
            return false;
        pending_.append(buf.data(), static_cast<size_t>(n));
    }
}

int Spawned::stop(int sig)
{
    if (pid_ <= 0)
        return -1;
    ::kill(pid_, sig);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return decode_status(status);
}

double now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool spin_until(double timeout_s, const std::function<bool()> &done)
{
    // The timer only wakes the loop up so that the deadline is checked.
    Ecore_Timer *tick = ecore_timer_add(0.005, [](void *) { return ECORE_CALLBACK_RENEW; }, nullptr);
    double deadline = now() + timeout_s;
    while (!done() && now() < deadline)
        ecore_main_loop_iterate_may_block(1);
    ecore_timer_del(tick);
    return done();
}

void spin_for(double seconds)
{
    double end = now() + seconds;
    spin_until(seconds + 1.0, [end] { return now() >= end; });
}

std::string read_file(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void write_file(const std::string &path, const std::string &content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

int inotify_watch_count()
{
    int count = 0;
    for (const auto &entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        auto target = std::filesystem::read_symlink(entry.path(), ec);
        if (ec || target.string() != "anon_inode:inotify")
            continue;
        std::ifstream info("/proc/self/fdinfo/" + entry.path().filename().string());
        std::string line;
        while (std::getline(info, line))
            if (line.rfind("inotify wd:", 0) == 0)
                ++count;
    }
    return count;
}

}  // namespace test_support
