/*
 * The built micom-service program as a separate process on a temporary
 * platform directory: it answers a command written through the key store,
 * prints a line for it, and ends with status 0 on SIGTERM.
 */
#include "tools_test_support.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace {

using clock_type = std::chrono::steady_clock;

/* A running micom-service with its standard output on a pipe. */
class ServiceProcess {
public:
    explicit ServiceProcess(std::vector<std::string> args)
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        args.insert(args.begin(), MICOM_SERVICE_PATH);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            close(fds[1]);
            std::vector<char *> argv;
            for (std::string &a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(fds[1]);
        out_ = fds[0];
        fcntl(out_, F_SETFL, O_NONBLOCK);
    }
    ~ServiceProcess()
    {
        if (pid_ > 0 && !reaped_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0)
            close(out_);
    }
    bool started() const { return pid_ > 0 && out_ >= 0; }

    /* Reads the output until it holds text; false after the deadline. */
    bool wait_output(const std::string &text, double seconds)
    {
        const auto deadline = clock_type::now() + std::chrono::duration<double>(seconds);
        while (output_.find(text) == std::string::npos) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - clock_type::now());
            if (left.count() <= 0)
                return false;
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left.count())) <= 0)
                continue;
            char buffer[512];
            const ssize_t n = read(out_, buffer, sizeof buffer);
            if (n > 0)
                output_.append(buffer, static_cast<std::size_t>(n));
            else if (n == 0)
                return output_.find(text) != std::string::npos;
        }
        return true;
    }

    /* Sends sig and returns the exit status, or -1 when the process did not
     * end normally within the deadline. */
    int stop(int sig, double seconds)
    {
        kill(pid_, sig);
        const auto deadline = clock_type::now() + std::chrono::duration<double>(seconds);
        while (clock_type::now() < deadline) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                reaped_ = true;
                drain();
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return -1;
    }

    int wait_exit(double seconds) { return stop(0, seconds); }

    const std::string &output() const { return output_; }

private:
    void drain()
    {
        char buffer[512];
        ssize_t n;
        while ((n = read(out_, buffer, sizeof buffer)) > 0)
            output_.append(buffer, static_cast<std::size_t>(n));
    }

    pid_t pid_ = -1;
    int out_ = -1;
    bool reaped_ = false;
    std::string output_;
};

/* Polls an integer key until it exists; the seconds it took, or -1. */
double seconds_until_int(const char *key, double deadline_seconds)
{
    const auto start = clock_type::now();
    while (std::chrono::duration<double>(clock_type::now() - start).count() < deadline_seconds) {
        if (get_int(key))
            return std::chrono::duration<double>(clock_type::now() - start).count();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return -1;
}

using MicomServiceProcessTest = PlatformDirTest;

TEST_F(MicomServiceProcessTest, AnswersACommandWithinItsWindowAndStopsOnSigterm)
{
    ServiceProcess service({"--energy-period", "1"});
    ASSERT_TRUE(service.started());
    ASSERT_TRUE(service.wait_output("micom-service: ready", 30)) << service.output();
    EXPECT_EQ(get_str("memory/refrigerator/ModelName"), "RF-DEMO-01");
    ASSERT_FALSE(get_int("db/refrigerator/ModelDiodeOption"));

    ASSERT_EQ(vconf_set_str("memory/refrigerator/TxMessage", "REQ_STATUS_REQUEST_MODELOPTION"),
              VCONF_OK);
    const double took = seconds_until_int("db/refrigerator/ModelDiodeOption", 5);
    EXPECT_GE(took, 0) << "no answer";
    EXPECT_LT(took, 2.0) << "the model-option screen reads after 2 s";
    EXPECT_TRUE(service.wait_output("micom-service: received REQ_STATUS_REQUEST_MODELOPTION\n", 5))
        << service.output();

    // The same command again is a new command; a blank is only noted.
    vconf_unset("db/refrigerator/ModelDiodeOption");
    ASSERT_EQ(vconf_set_str("memory/refrigerator/TxMessage", " "), VCONF_OK);
    ASSERT_EQ(vconf_set_str("memory/refrigerator/TxMessage", "REQ_STATUS_REQUEST_MODELOPTION"),
              VCONF_OK);
    EXPECT_GE(seconds_until_int("db/refrigerator/ModelDiodeOption", 5), 0);

    // Energy reports arrive on their own.
    EXPECT_GE(seconds_until_int("memory/refrigerator/SmartGridWatt4", 5), 0);

    EXPECT_EQ(service.stop(SIGTERM, 10), 0);
    EXPECT_NE(service.output().find("micom-service: stopped"), std::string::npos)
        << service.output();
}

TEST_F(MicomServiceProcessTest, LinkDownAtStartAndSigintEndsIt)
{
    vconf_set_str("memory/refrigerator/ErrorList", "E");
    ServiceProcess service({"--link-down", "--model", "RF-TEST-02"});
    ASSERT_TRUE(service.started());
    ASSERT_TRUE(service.wait_output("micom-service: ready (model RF-TEST-02", 30))
        << service.output();
    EXPECT_EQ(get_str("memory/refrigerator/ErrorList"), "41");
    EXPECT_EQ(service.stop(SIGINT, 10), 0);
}

TEST_F(MicomServiceProcessTest, HelpAndBadArguments)
{
    ServiceProcess help({"--help"});
    ASSERT_TRUE(help.started());
    EXPECT_EQ(help.wait_exit(30), 0);
    EXPECT_NE(help.output().find("--energy-period"), std::string::npos) << help.output();

    ServiceProcess bad({"--errors", "xx"});
    ASSERT_TRUE(bad.started());
    EXPECT_EQ(bad.wait_exit(30), 2);
    EXPECT_FALSE(get_str("memory/refrigerator/ModelName")) << "a refused start wrote keys";
}

}  // namespace
