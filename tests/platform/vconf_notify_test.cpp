/*
 * Key change notifications on the Ecore main loop: one callback per write,
 * other processes' writes, registration rules, removal inside a callback.
 */
#include <dlog_capture.h>
#include <vconf.h>

#include <Ecore.h>
#include <gtest/gtest.h>

#include "test_support.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include <fcntl.h>

using test_support::spin_until;

namespace {

struct Seen {
    std::string name;
    int type = VCONF_TYPE_NONE;
    std::string text;  // string value, or the number in decimal
    double at = 0;     // monotonic time of the callback
};

std::vector<Seen> seen;

void record_cb(keynode_t *node, void *user_data)
{
    Seen s{vconf_keynode_get_name(node), vconf_keynode_get_type(node), "", test_support::now()};
    if (s.type == VCONF_TYPE_STRING)
        s.text = vconf_keynode_get_str(node);
    else if (s.type == VCONF_TYPE_INT)
        s.text = std::to_string(vconf_keynode_get_int(node));
    seen.push_back(s);
    if (user_data != nullptr)
        ++*static_cast<int *>(user_data);
}

void other_cb(keynode_t *node, void *user_data) { record_cb(node, user_data); }

// Removes itself and other_cb, which was due for the same write.
void ignore_self_and_other_cb(keynode_t *node, void *)
{
    record_cb(node, nullptr);
    EXPECT_EQ(vconf_ignore_key_changed("memory/t/k", ignore_self_and_other_cb), VCONF_OK);
    EXPECT_EQ(vconf_ignore_key_changed("memory/t/k", other_cb), VCONF_OK);
}

class Notify : public ::testing::Test {
protected:
    void SetUp() override { seen.clear(); }

    // Waits for n callbacks, then a little longer to catch extra ones.
    bool expect_exactly(size_t n, double timeout = 3.0)
    {
        bool reached = spin_until(timeout, [n] { return seen.size() >= n; });
        spin_until(0.3, [] { return false; });
        return reached && seen.size() == n;
    }

    test_support::PlatformDir dir;
    test_support::EcoreHeld ecore;
};

}  // namespace

TEST_F(Notify, EveryWriteOfTheKeyGivesOneCallbackEvenWithTheSameValue)
{
    const char *key = "memory/refrigerator/TxMessage";
    ASSERT_EQ(vconf_notify_key_changed(key, record_cb, nullptr), VCONF_OK);
    vconf_set_int("memory/refrigerator/Other", 1);       // same directory
    vconf_set_int("memory/refrigerator/TxMessage/x", 1);  // a key below it
    vconf_set_int("db/refrigerator/TxMessage", 1);        // same name under db/
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(vconf_set_str(key, "REQ_STATUS_WORK_SELF_TEST"), VCONF_OK);
    EXPECT_TRUE(seen.empty()) << "callbacks come from the main loop, not from the write";
    ASSERT_TRUE(expect_exactly(3)) << seen.size() << " callbacks";
    for (const Seen &s : seen) {
        EXPECT_EQ(s.name, key);
        EXPECT_EQ(s.type, VCONF_TYPE_STRING);
        EXPECT_EQ(s.text, "REQ_STATUS_WORK_SELF_TEST");
    }
    // A change of type comes with the new type, an unset without one.
    ASSERT_EQ(vconf_set_int(key, 12), VCONF_OK);
    ASSERT_TRUE(expect_exactly(4));
    EXPECT_EQ(seen[3].text, "12");
    ASSERT_EQ(vconf_unset(key), VCONF_OK);
    ASSERT_TRUE(expect_exactly(5));
    EXPECT_EQ(seen[4].type, VCONF_TYPE_NONE);
}

TEST_F(Notify, EveryWriteOfAnotherProcessArrivesQuickly)
{
    // A writer stores the time of each write as the value, every 10 ms:
    // none may be lost, and the latency is measured.
    constexpr int kWrites = 30;
    const char *key = "memory/refrigerator/SmartGridWatt4";
    ASSERT_EQ(vconf_notify_key_changed(key, record_cb, nullptr), VCONF_OK);
    pid_t writer = ::fork();
    if (writer == 0) {
        int failures = 0;
        for (int i = 0; i < kWrites; ++i) {
            ::usleep(10000);
            failures += vconf_set_str(key, std::to_string(test_support::now()).c_str()) != VCONF_OK;
        }
        ::_exit(failures);
    }
    EXPECT_TRUE(expect_exactly(kWrites, 10.0)) << seen.size() << " callbacks";
    int status = 0;
    ::waitpid(writer, &status, 0);
    EXPECT_EQ(status, 0) << "a write failed";
    ASSERT_FALSE(seen.empty());
    std::vector<double> ms;
    for (const Seen &s : seen)
        ms.push_back((s.at - std::stod(s.text)) * 1000);
    std::sort(ms.begin(), ms.end());
    std::printf("[ latency  ] write in another process -> callback: median %.3f ms, max %.3f ms\n",
                ms[ms.size() / 2], ms.back());
    RecordProperty("latency_median_ms", std::to_string(ms[ms.size() / 2]));
    EXPECT_GE(ms.front(), 0.0);
    EXPECT_LT(ms[ms.size() / 2], 500.0);
}

TEST_F(Notify, RegistrationRulesAndIgnoreInsideACallback)
{
    const char *key = "memory/t/k";
    int others = 0;
    dlog_capture_start();
    ASSERT_EQ(vconf_notify_key_changed(key, ignore_self_and_other_cb, nullptr), VCONF_OK);
    EXPECT_EQ(vconf_notify_key_changed(key, ignore_self_and_other_cb, nullptr), VCONF_ERROR);
    EXPECT_TRUE(dlog_capture_contains("E/VCONF: vconf_notify_key_changed: \"memory/t/k\": callback already registered"));
    EXPECT_EQ(vconf_notify_key_changed(key, nullptr, nullptr), VCONF_ERROR);
    EXPECT_EQ(vconf_notify_key_changed("db/../k", other_cb, nullptr), VCONF_ERROR);
    EXPECT_EQ(vconf_ignore_key_changed(key, other_cb), VCONF_ERROR);
    ASSERT_EQ(vconf_notify_key_changed(key, other_cb, &others), VCONF_OK);
    for (int i = 0; i < 3; ++i)
        vconf_set_int(key, i);
    // The first callback removed both: nothing more of these writes comes.
    EXPECT_TRUE(expect_exactly(1));
    EXPECT_EQ(others, 0);
    // The machinery starts again; two callbacks both fire, an ignored one no more.
    ASSERT_EQ(vconf_notify_key_changed(key, record_cb, nullptr), VCONF_OK);
    ASSERT_EQ(vconf_notify_key_changed(key, other_cb, &others), VCONF_OK);
    vconf_set_int(key, 9);
    EXPECT_TRUE(expect_exactly(3));
    EXPECT_EQ(seen.back().text, "9");
    ASSERT_EQ(vconf_ignore_key_changed(key, record_cb), VCONF_OK);
    vconf_set_int(key, 10);
    EXPECT_TRUE(expect_exactly(4));
    EXPECT_EQ(others, 2);
}

TEST_F(Notify, FourWriterProcessesGiveACallbackPerWriteEndingWithTheLastValue)
{
    // Four processes, started together, rewrite one key as fast as they can.
    // They report failures on a pipe (the main loop reaps the children).
    constexpr int kWriters = 4, kWrites = 500;
    const char *key = "memory/refrigerator/TxMessage";
    ASSERT_EQ(vconf_set_str(key, "start"), VCONF_OK);
    ASSERT_EQ(vconf_notify_key_changed(key, record_cb, nullptr), VCONF_OK);
    int gate[2], done[2];
    ASSERT_EQ(::pipe(gate), 0);
    ASSERT_EQ(::pipe2(done, O_NONBLOCK), 0);
    for (int w = 0; w < kWriters; ++w) {
        if (::fork() == 0) {
            char go, failures = 0;
            ::close(gate[1]);
            if (::read(gate[0], &go, 1) != 0)
                ::_exit(2);
            for (int i = 0; i < kWrites; ++i)
                failures += vconf_set_str(key, (std::to_string(w) + ":" + std::to_string(i)).c_str()) != VCONF_OK;
            ::_exit(::write(done[1], &failures, 1) == 1 ? 0 : 1);
        }
    }
    ::close(gate[0]);
    ::close(done[1]);
    dlog_capture_start();
    ::close(gate[1]);  // end of file: every writer starts
    double started = test_support::now();
    std::string reports;
    spin_until(30.0, [&] {
        char buf[8];
        ssize_t n = ::read(done[0], buf, sizeof buf);
        if (n > 0)
            reports.append(buf, size_t(n));
        return reports.size() == kWriters;
    });
    ::close(done[0]);
    ASSERT_EQ(reports, std::string(kWriters, '\0')) << "every writer ends without a failed write";
    // The remaining events are delivered; then nothing more comes.
    for (size_t before = 0; before != seen.size();) {
        before = seen.size();
        spin_until(0.5, [before] { return seen.size() > before; });
    }
    const bool overflowed = dlog_capture_contains("overflowed");
    dlog_capture_stop();
    std::printf("[ writers  ] %zu callbacks for %d writes in %.2f s%s\n", seen.size(),
                kWriters * kWrites, test_support::now() - started,
                overflowed ? " (the kernel queue overflowed)" : "");
    ASSERT_FALSE(seen.empty());
    std::unique_ptr<char, decltype(&std::free)> last(vconf_get_str(key), &std::free);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(seen.back().text, last.get()) << "the last callback shows the last value";
    if (!overflowed) {
        EXPECT_EQ(seen.size(), size_t(kWriters * kWrites));
    }
}

TEST_F(Notify, AnOverflowedQueueGivesEveryWatcherTheLatestValue)
{
    // Closes of two other files (alternating: the kernel merges none) fill
    // the event queue; every registration still hears of its key's value.
    const char *key = "memory/t/k", *other = "db/t/other";
    ASSERT_EQ(vconf_set_str(other, "untouched"), VCONF_OK);
    ASSERT_EQ(vconf_notify_key_changed(key, record_cb, nullptr), VCONF_OK);
    ASSERT_EQ(vconf_notify_key_changed(other, other_cb, nullptr), VCONF_OK);
    const int queue = std::stoi(test_support::read_file("/proc/sys/fs/inotify/max_queued_events"));
    const std::string files[] = {dir.path() + "/run/memory/t/a", dir.path() + "/run/memory/t/b"};
    for (int i = 0; i <= queue; ++i)
        ::close(::open(files[i % 2].c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
    ASSERT_EQ(vconf_set_str(key, "latest"), VCONF_OK);
    dlog_capture_start();
    ASSERT_TRUE(expect_exactly(2)) << seen.size() << " callbacks";
    EXPECT_TRUE(dlog_capture_contains("W/VCONF: change notifications overflowed; telling every watcher"));
    std::sort(seen.begin(), seen.end(), [](const Seen &a, const Seen &b) { return a.name < b.name; });
    EXPECT_EQ(seen[0].name + "=" + seen[0].text, "db/t/other=untouched");
    EXPECT_EQ(seen[1].name + "=" + seen[1].text, "memory/t/k=latest");
}
