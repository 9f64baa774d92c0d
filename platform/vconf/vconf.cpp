/*
 * Key-value configuration store (desktop stand-in), shared by every process
 * that uses the same platform directory.
 *
 * Platform directory DIR: PANEL_PLATFORM_DIR, else $XDG_RUNTIME_DIR/panel-platform,
 * else /tmp/panel-platform-UID. It is created (mode 0700) on first use and
 * must belong to the user; a warning is logged once when others may write to
 * it. The environment variable is looked at on every call, so a process (a
 * test) that changes it moves to the new directory at once.
 *
 * Layout under DIR:
 *   db/NAME.key            persistent key "db/NAME"
 *   run/memory/NAME.key    volatile key "memory/NAME"
 *   run/boot_id            boot id of the machine when run/ was started
 *   lock                   flock()ed while run/ is checked
 * A key file holds one type line ("int", "bool", "double" or "string"), then
 * the value: int in decimal, bool as 0 or 1, double in the shortest decimal
 * form that reads back exactly, string as its exact bytes (possibly empty or
 * with line ends; no line end is added). The ".key" suffix lets "a/b" and
 * "a/b/c" coexist (file a/b.key beside directory a/b). A value holds at most
 * VCONF_STORE_VALUE_MAX bytes.
 *
 * Nothing below DIR is reached through a link: every directory is opened
 * component by component with O_NOFOLLOW (a link among them fails the call),
 * and the file operations work relative to the directory descriptor. Key
 * files are opened with O_NOFOLLOW|O_NONBLOCK and must be regular files
 * (fstat) of at most the bound; a FIFO, a device, a link or a larger file
 * fails the read with its reason, so a reader never blocks or fills memory.
 *
 * Volatility: the first access of a process to a "memory/" key compares
 * run/boot_id with /proc/sys/kernel/random/boot_id (under the lock); when they
 * differ run/ is emptied, so after a reboot no "memory/" key is left. Removing
 * DIR/run by hand has the same effect. When run/ cannot be prepared, "memory/"
 * keys fail with the reason and "db/" keys work as ever.
 *
 * Key names: "db/..." or "memory/..." with at least one more segment; at most
 * 255 bytes of [A-Za-z0-9_.-/]; no empty segment, no trailing '/', no segment
 * that starts with '.' (so no "." or ".." and no clash with temporary files),
 * no segment longer than 251 bytes (the file name with ".key" must fit in 255),
 * no directory segment ending in ".key". A refused name is logged (error,
 * tag "VCONF") and the call returns -1.
 *
 * Writes: the new file is written under a temporary name ".tmp-XXXXXX" in the
 * key's directory and renamed over the key file, so a reader or a concurrent
 * writer never sees a partial value. The writer holds an exclusive flock() on
 * its temporary file from creation to rename: a temporary file nobody holds
 * belongs to a writer that died, and the first write of each process (per
 * platform directory) removes those anywhere in the store. No fsync: the store
 * does not aim to survive a power cut. A setter gives the key the setter's
 * type, whatever it held before.
 *
 * Reads are strict about types: vconf_get_int on a bool key, vconf_get_bool on
 * an int key, vconf_get_str on a number all fail (-1, logged) and leave the
 * output untouched. A missing key fails the same way.
 *
 * Notifications: one inotify descriptor per process, read by an Ecore fd
 * handler; one watch per key directory (created if missing), shared by the
 * registrations of that directory and removed with the last one. A rename
 * onto the key file (every write through this library), a close after an
 * in-place write, a deletion and a rename away each give one callback per
 * registration; the node holds the value read at delivery time (type
 * VCONF_TYPE_NONE once the key is gone). The kernel drops an event identical
 * to the one before it in the queue (same watch, mask and name; the rename
 * cookie is not compared), so two renames onto the same key in a row would
 * arrive as one: the watch also asks for IN_MOVED_FROM, whose event names the
 * writer's own temporary file and so separates any two renames. When the
 * kernel queue overflows, every registration gets one callback. A prefix
 * registration (vconf_store_notify_prefix) watches a directory tree and
 * follows its new subdirectories (IN_CREATE); see "prefix registrations". The first
 * registration calls ecore_init() and the library keeps that reference until
 * the last registration goes; if that call is the one that starts Ecore, it
 * starts without the system modules (a process that wants them initialises
 * Ecore itself first). The process must run the Ecore main loop for callbacks
 * to arrive. Registration functions and callbacks belong to the main-loop
 * thread; getters and setters may be called from any thread and need no Ecore
 * at all.
 *
 * State: the directories in use (under a mutex), the notification registry
 * (main-loop thread). No timers. Reads/writes files under DIR and
 * /proc/sys/kernel/random/boot_id; logs failures with tag "VCONF".
 */
#include "vconf.h"
#include "vconf_store.h"

#include "dlog.h"

#include <Ecore.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <tuple>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

struct _keynode_t {
    std::string name;
    int type = VCONF_TYPE_NONE;
    int number = 0;  // int and bool values
    double dbl = 0.0;
    std::string str;
};

namespace {

constexpr const char *TAG = "VCONF";
constexpr std::string_view kSuffix = ".key";
constexpr std::string_view kTempPrefix = ".tmp-";
constexpr size_t kMaxKeyLength = 255;
constexpr size_t kMaxSegment = 251;  // with ".key", the file name limit of 255
constexpr size_t kMaxValue = VCONF_STORE_VALUE_MAX;
constexpr size_t kMaxFile = kMaxValue + 7;  // with the longest type line, "string\n"

// ---- directory in use -------------------------------------------------------

std::mutex dir_mutex;
bool dir_resolved = false;
std::string dir_env;                // the environment the directory came from
std::deque<std::string> dir_paths;  // every directory used; the last is current
bool dir_prepared = false;          // current directory created and checked
bool run_prepared = false;          // its run/ checked against the boot
bool temps_swept = false;           // its dead writers' temporary files removed

// ---- keys and notifications ---------------------------------------------------

// Where a key's file lives: root/dirs[0]/.../base.
struct KeyPath {
    std::string root;               // the platform directory
    std::vector<std::string> dirs;  // the directories below it, outermost first
    std::string dir;                // root and dirs joined: for watches and messages
    std::string base;               // NAME.key
    std::string file() const { return dir + "/" + base; }
};

struct Registration {
    uint64_t id;
    std::string key;                // a prefix registration: the prefix
    KeyPath path;                   // a prefix registration: the directory it lies in
    vconf_callback_fn cb;
    void *user_data;
    bool prefix = false;            // vconf_store_notify_prefix
    std::vector<KeyPath> subdirs;   // prefix: the directories watched below path.dir
};

struct Notifier {
    int fd = -1;
    Ecore_Fd_Handler *handler = nullptr;
    std::vector<Registration> regs;         // in registration order
    std::map<std::string, int> wd_by_dir;
    std::map<int, std::string> dir_by_wd;
    std::map<std::string, int> refs_by_dir;
    uint64_t next_id = 1;
    int dispatching = 0;                    // depth of the fd handler
    bool stop_pending = false;
};

Notifier notifier;

// ---- helpers ----------------------------------------------------------------

template <typename F, typename R>
R guarded(const char *fn, R fail, F &&body) noexcept
{
    try {
        return body();
    } catch (const std::exception &e) {
        dlog_print(DLOG_ERROR, TAG, "%s: %s", fn, e.what());
    } catch (...) {
        dlog_print(DLOG_ERROR, TAG, "%s: unexpected failure", fn);
    }
    return fail;
}

// A key name cut for log lines (a refused name can be very long).
std::string shown(const char *key)
{
    if (key == nullptr)
        return "(null)";
    std::string text(key, strnlen(key, 300));
    if (text.size() == 300)
        text += "...";
    return text;
}

const char *type_word(int type)
{
    switch (type) {
    case VCONF_TYPE_INT: return "int";
    case VCONF_TYPE_BOOL: return "bool";
    case VCONF_TYPE_DOUBLE: return "double";
    case VCONF_TYPE_STRING: return "string";
    default: return "none";
    }
}

// Why a key name is refused, or nullptr when it is acceptable.
const char *key_problem(const char *key)
{
    if (key == nullptr)
        return "no name";
    std::string_view name(key, strnlen(key, kMaxKeyLength + 1));
    if (name.empty())
        return "empty name";
    if (name.size() > kMaxKeyLength)
        return "longer than 255 bytes";
    if (name.front() == '/')
        return "absolute path";
    for (char c : name) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '_' || c == '.' || c == '-' || c == '/';
        if (!ok)
            return "character outside [A-Za-z0-9_.-/]";
    }
    if (name.back() == '/')
        return "trailing '/'";
    size_t count = 0;
    std::string_view first;
    for (size_t start = 0; start <= name.size();) {
        size_t end = name.find('/', start);
        bool last = end == std::string_view::npos;
        if (last)
            end = name.size();
        std::string_view segment = name.substr(start, end - start);
        if (segment.empty())
            return "empty segment";
        if (segment == "." || segment == "..")
            return "'.' or '..' segment";
        if (segment.front() == '.')
            return "segment starting with '.'";
        if (segment.size() > kMaxSegment)
            return "segment longer than 251 bytes";
        if (!last && segment.size() >= kSuffix.size() &&
            segment.substr(segment.size() - kSuffix.size()) == kSuffix)
            return "directory segment ending in \".key\"";
        if (count++ == 0)
            first = segment;
        start = end + 1;
        if (last)
            break;
    }
    if ((first != "db" && first != "memory") || count < 2)
        return "not under db/ or memory/";
    return nullptr;
}

// ---- files ------------------------------------------------------------------

// An owned file descriptor (-1: none).
class Fd {
public:
    explicit Fd(int fd = -1) noexcept : fd_(fd) {}
    Fd(Fd &&other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd &operator=(Fd &&other) noexcept
    {
        if (this != &other) {
            close();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    ~Fd() { close(); }
    int get() const noexcept { return fd_; }
    explicit operator bool() const noexcept { return fd_ >= 0; }
    // Gives up ownership (to close it by hand and see the result).
    int release() noexcept { return std::exchange(fd_, -1); }

private:
    void close() noexcept
    {
        if (fd_ >= 0) {
            int saved = errno;  // callers read errno of the call before
            ::close(fd_);
            errno = saved;
        }
        fd_ = -1;
    }
    int fd_;
};

// Creates path and its missing parents (mode 0700). Only for the platform
// directory itself, which may lie behind links; below it open_dirs is used.
bool mkdir_p(const std::string &path)
{
    if (path.empty())
        return false;
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return true;
        errno = ENOTDIR;
        return false;
    }
    size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !mkdir_p(path.substr(0, slash)))
        return false;
    if (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST)
        return true;
    return false;
}

const char *file_kind(mode_t mode)
{
    switch (mode & S_IFMT) {
    case S_IFREG: return "a regular file";
    case S_IFDIR: return "a directory";
    case S_IFLNK: return "a symbolic link";
    case S_IFIFO: return "a FIFO";
    case S_IFCHR: return "a character device";
    case S_IFBLK: return "a block device";
    case S_IFSOCK: return "a socket";
    default: return "a special file";
    }
}

// Opens the directories names below the directory at, one by one, never
// through a link; creates missing ones (mode 0700) when create is set.
// Returns the last one. On failure the Fd is invalid and why is empty when a
// directory is missing (create unset), else it says what is wrong.
Fd open_dirs(const std::string &at, const std::vector<std::string> &names, bool create,
             std::string &why)
{
    why.clear();
    Fd dir(::open(at.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir) {
        why = "cannot open " + at + ": " + std::strerror(errno);
        return Fd();
    }
    std::string shown = at;
    for (const std::string &name : names) {
        shown += "/" + name;
        constexpr int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
        Fd next(::openat(dir.get(), name.c_str(), flags));
        if (!next && errno == ENOENT && create) {
            if (::mkdirat(dir.get(), name.c_str(), 0700) != 0 && errno != EEXIST) {
                why = "cannot create " + shown + ": " + std::strerror(errno);
                return Fd();
            }
            next = Fd(::openat(dir.get(), name.c_str(), flags));
        }
        if (!next) {
            int error = errno;
            struct stat st;
            if (error == ENOENT)
                return Fd();  // missing: why stays empty
            if ((error == ELOOP || error == ENOTDIR) &&
                ::fstatat(dir.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
                why = shown + " is " + file_kind(st.st_mode) + ", not a directory: refused";
            else
                why = "cannot open " + shown + ": " + std::strerror(error);
            return Fd();
        }
        dir = std::move(next);
    }
    return dir;
}

enum class ReadResult { ok, missing, corrupt };

// Reads the file name in the directory dirfd (AT_FDCWD: name is a path) when
// it is a regular file of at most limit bytes: never through a link, never
// blocking on a FIFO or a device, never more than limit bytes into memory.
// missing when there is no such file; corrupt with the reason in why (the
// file named shown) otherwise.
ReadResult read_regular(int dirfd, const std::string &name, const std::string &shown, size_t limit,
                        std::string &out, std::string &why)
{
    Fd fd(::openat(dirfd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd) {
        int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return ReadResult::missing;
        why = error == ELOOP ? shown + " is a symbolic link: refused"
                             : "cannot read " + shown + ": " + std::strerror(error);
        return ReadResult::corrupt;
    }
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) {
        why = "cannot read " + shown + ": " + std::strerror(errno);
        return ReadResult::corrupt;
    }
    if (!S_ISREG(st.st_mode)) {
        why = shown + " is " + file_kind(st.st_mode) + ", not a regular file: refused";
        return ReadResult::corrupt;
    }
    auto too_large = [&](uint64_t size) {
        why = shown + " holds " + std::to_string(size) + " bytes, too many for a value of at most " +
              std::to_string(kMaxValue) + ": refused";
        return ReadResult::corrupt;
    };
    if (static_cast<uint64_t>(st.st_size) > limit)
        return too_large(static_cast<uint64_t>(st.st_size));
    // The size is only a hint (files of /proc report 0, a file may grow):
    // read up to one byte past the limit to notice a larger one.
    out.clear();
    out.reserve(static_cast<size_t>(st.st_size));
    std::array<char, 16384> buf;
    for (;;) {
        ssize_t n = ::read(fd.get(), buf.data(), std::min(buf.size(), limit + 1 - out.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            why = "cannot read " + shown + ": " + std::strerror(errno);
            return ReadResult::corrupt;
        }
        if (n == 0)
            return ReadResult::ok;
        out.append(buf.data(), static_cast<size_t>(n));
        if (out.size() > limit)
            return too_large(out.size());
    }
}

bool write_fd_all(int fd, std::string_view data)
{
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// ".tmp-" and six random characters of [A-Za-z0-9].
std::string temp_name()
{
    static constexpr std::string_view chars =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::array<unsigned char, 6> bytes{};
    if (::getrandom(bytes.data(), bytes.size(), GRND_NONBLOCK) != static_cast<ssize_t>(bytes.size())) {
        // Without entropy yet: time and process id are unique enough, and
        // O_EXCL catches a clash anyway.
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        uint64_t mix = static_cast<uint64_t>(now.tv_nsec) ^ (static_cast<uint64_t>(::getpid()) << 20);
        for (unsigned char &b : bytes) {
            b = static_cast<unsigned char>(mix);
            mix = mix * 6364136223846793005ULL + 1442695040888963407ULL;
        }
    }
    std::string name(kTempPrefix);
    for (unsigned char b : bytes)
        name += chars[b % chars.size()];
    return name;
}

// Writes data as the file base of the directory dirfd (named shown) through a
// temporary file in the same directory, renamed over base. The temporary file
// is flock()ed from its creation until after the rename, so that
// remove_dead_temps never takes it for a dead writer's. The lock is held
// through a read-only descriptor and the data written through a second one,
// closed before the rename: a close after writing is a change event, and it
// must name the temporary file, not the key.
bool replace_file(int dirfd, const std::string &shown, const std::string &base, std::string_view data,
                  std::string &why)
{
    // Key names never start with '.', so the temporary name is never a key.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string tmp = temp_name();
        const std::string tmp_shown = shown + "/" + tmp;
        Fd lock(::openat(dirfd, tmp.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!lock && errno == EEXIST)
            continue;
        if (!lock) {
            why = "cannot create a file in " + shown + ": " + std::strerror(errno);
            return false;
        }
        while (::flock(lock.get(), LOCK_EX) != 0 && errno == EINTR) {
        }
        // Removed between its creation and the lock by a process that took it
        // for a dead writer's: start again with another name.
        struct stat locked;
        if (::fstat(lock.get(), &locked) == 0 && locked.st_nlink == 0)
            continue;
        // The reason "VERB TMP[ onto BASE]: ERROR" of errno; the temporary file goes.
        auto failed = [&](const char *verb, bool onto = false) {
            int error = errno;
            ::unlinkat(dirfd, tmp.c_str(), 0);
            why = std::string(verb) + " " + tmp_shown + (onto ? " onto " + base : "") + ": " +
                  std::strerror(error);
            return false;
        };
        Fd out(::openat(dirfd, tmp.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
        if (!out)
            return failed("cannot open");
        if (!write_fd_all(out.get(), data) || ::close(out.release()) != 0)
            return failed("cannot write");
        if (::renameat(dirfd, tmp.c_str(), dirfd, base.c_str()) != 0)
            return failed("cannot rename", true);
        return true;  // closing lock releases the lock
    }
    why = "cannot create a file in " + shown + ": no free temporary name";
    return false;
}

// Removes the file path when it is the temporary file of a writer that ended
// before its rename: nobody holds its lock. A live writer holds it; a
// finished writer's file has been renamed away, so the name no longer leads
// to the inode locked here.
bool remove_if_dead(const std::string &path)
{
    Fd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return false;
    struct stat held, named;
    if (::fstat(fd.get(), &held) != 0 || ::lstat(path.c_str(), &named) != 0 ||
        held.st_dev != named.st_dev || held.st_ino != named.st_ino || !S_ISREG(named.st_mode))
        return false;
    return ::unlink(path.c_str()) == 0;  // while still locked here
}

// Removes the temporary files of dead writers under DIR/db and DIR/run,
// without following links. Logs how many (info) when there were any.
void remove_dead_temps(const std::string &root)
{
    size_t removed = 0;
    for (const char *sub : {"/db", "/run"}) {
        std::error_code ec;
        auto it = std::filesystem::recursive_directory_iterator(
            root + sub, std::filesystem::directory_options::skip_permission_denied, ec);
        for (; !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            std::error_code type_ec;
            if (it->path().filename().string().starts_with(kTempPrefix) &&
                it->symlink_status(type_ec).type() == std::filesystem::file_type::regular &&
                remove_if_dead(it->path().string()))
                ++removed;
        }
    }
    if (removed > 0)
        dlog_print(DLOG_INFO, TAG, "removed %zu temporary file(s) of writers that ended before finishing",
                   removed);
}

// ---- the platform directory -------------------------------------------------

std::string trimmed_first_line(const std::string &text)
{
    size_t end = text.find_first_of("\r\n");
    std::string line = text.substr(0, end);
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

// Empties DIR/run when it was started under another boot (or never stamped);
// false with the reason in why when run/ cannot be checked or made.
bool check_boot(const std::string &dir, std::string &why)
{
    std::string boot;
    std::string ignored;
    if (read_regular(AT_FDCWD, "/proc/sys/kernel/random/boot_id", "boot_id", 256, boot, ignored) !=
        ReadResult::ok)
        boot = "unknown";
    boot = trimmed_first_line(boot);

    const std::string lock_path = dir + "/lock";
    Fd lock(::open(lock_path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!lock) {
        why = "cannot open " + lock_path + ": " + std::strerror(errno);
        return false;
    }
    while (::flock(lock.get(), LOCK_EX) != 0 && errno == EINTR) {
    }
    const std::string run = dir + "/run";
    std::string stamp;
    Fd run_fd = open_dirs(dir, {"run"}, false, why);
    if (run_fd && read_regular(run_fd.get(), "boot_id", run + "/boot_id", 256, stamp, why) == ReadResult::ok &&
        trimmed_first_line(stamp) == boot)
        return true;
    // Not started under this boot, or damaged (a link, a file): start afresh.
    // remove_all removes links themselves, never what they lead to.
    std::error_code ec;
    std::filesystem::remove_all(run, ec);
    if (ec) {
        why = "cannot empty " + run + ": " + ec.message();
        return false;
    }
    if (::mkdir(run.c_str(), 0700) != 0) {
        why = "cannot create " + run + ": " + std::strerror(errno);
        return false;
    }
    run_fd = open_dirs(dir, {"run"}, false, why);
    return run_fd && replace_file(run_fd.get(), run, "boot_id", boot + "\n", why);
}  // closing the lock file releases the lock

std::string absolute(const std::string &path)
{
    if (path.front() == '/')
        return path;
    std::array<char, 4096> cwd;
    if (::getcwd(cwd.data(), cwd.size()) == nullptr)
        return path;
    return std::string(cwd.data()) + "/" + path;
}

// Follows PANEL_PLATFORM_DIR (and XDG_RUNTIME_DIR); call with dir_mutex held.
const std::string &current_dir_locked()
{
    const char *env = std::getenv("PANEL_PLATFORM_DIR");
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string env_value = env != nullptr ? env : "";
    std::string seen = env_value + '\n' + (runtime != nullptr ? runtime : "");
    if (dir_resolved && seen == dir_env)
        return dir_paths.back();
    std::string dir;
    if (!env_value.empty()) {
        dir = absolute(env_value);
    } else {
        if (runtime != nullptr && *runtime == '/')
            dir = std::string(runtime) + "/panel-platform";
        else
            dir = "/tmp/panel-platform-" + std::to_string(::getuid());
    }
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    dir_env = seen;
    dir_resolved = true;
    if (dir_paths.empty() || dir_paths.back() != dir) {
        dir_paths.push_back(dir);
        dir_prepared = run_prepared = temps_swept = false;
    }
    return dir_paths.back();
}

// Creates and checks the current directory once; call with dir_mutex held.
// False with the reason in why.
bool prepare_locked(const std::string &dir, std::string &why)
{
    if (dir_prepared)
        return true;
    if (!mkdir_p(dir)) {
        why = "cannot create the platform directory " + dir + ": " + std::strerror(errno);
        return false;
    }
    struct stat st;
    if (::stat(dir.c_str(), &st) != 0 || st.st_uid != ::getuid()) {
        why = "the platform directory " + dir + " belongs to another user";
        return false;
    }
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        dlog_print(DLOG_WARN, TAG,
                   "the platform directory %s is writable by other users: they can change every key",
                   dir.c_str());
    dir_prepared = true;
    return true;
}

// Checks run/ of the prepared current directory against the boot once;
// call with dir_mutex held. Tried again on the next call after a failure.
bool prepare_run_locked(const std::string &dir, std::string &why)
{
    if (!run_prepared)
        run_prepared = check_boot(dir, why);
    return run_prepared;
}

// The platform directory, created and checked; nullopt (logged) on failure.
std::optional<std::string> platform_dir()
{
    std::lock_guard<std::mutex> lock(dir_mutex);
    const std::string &dir = current_dir_locked();
    std::string why;
    if (!prepare_locked(dir, why)) {
        dlog_print(DLOG_ERROR, TAG, "%s", why.c_str());
        return std::nullopt;
    }
    return dir;
}

// Removes dead writers' temporary files once per process and directory,
// before the first write.
void opened_for_writing(const std::string &root)
{
    std::lock_guard<std::mutex> lock(dir_mutex);
    if (temps_swept || current_dir_locked() != root)
        return;
    temps_swept = true;
    remove_dead_temps(root);
}

// ---- keys -------------------------------------------------------------------

// Where a valid key lives. nullopt when the name is refused (why empty) or the
// part of the store it belongs to cannot be used (why says why; for "memory/"
// keys that includes run/, which "db/" keys do not need).
std::optional<KeyPath> locate(const char *key, std::string &why)
{
    why.clear();
    if (key_problem(key) != nullptr)
        return std::nullopt;
    std::string_view name(key);
    const bool persistent = name.substr(0, 3) == "db/";
    KeyPath path;
    {
        std::lock_guard<std::mutex> lock(dir_mutex);
        path.root = current_dir_locked();
        if (!prepare_locked(path.root, why) || (!persistent && !prepare_run_locked(path.root, why)))
            return std::nullopt;
    }
    if (!persistent)
        path.dirs.emplace_back("run");
    for (size_t start = 0;;) {
        size_t slash = name.find('/', start);
        if (slash == std::string_view::npos) {
            path.base = std::string(name.substr(start)) + std::string(kSuffix);
            break;
        }
        path.dirs.emplace_back(name.substr(start, slash - start));
        start = slash + 1;
    }
    path.dir = path.root;
    for (const std::string &d : path.dirs)
        path.dir += "/" + d;
    return path;
}

// locate for a public call: logs a refused name or an unusable store.
std::optional<KeyPath> checked_path(const char *fn, const char *key)
{
    if (const char *problem = key_problem(key)) {
        dlog_print(DLOG_ERROR, TAG, "%s: refused key name \"%s\": %s", fn, shown(key).c_str(),
                   problem);
        return std::nullopt;
    }
    std::string why;
    std::optional<KeyPath> path = locate(key, why);
    if (!path)
        dlog_print(DLOG_ERROR, TAG, "%s: \"%s\": %s", fn, key, why.c_str());
    return path;
}

// The key's directory, opened without following links (created when create
// is set). Invalid with why empty when it is missing.
Fd open_key_dir(const KeyPath &path, bool create, std::string &why)
{
    return open_dirs(path.root, path.dirs, create, why);
}

struct Value {
    int type = VCONF_TYPE_NONE;
    int number = 0;
    double dbl = 0.0;
    std::string str;
};

ReadResult parse_value(const std::string &content, const std::string &file, Value &value,
                       std::string &why)
{
    size_t nl = content.find('\n');
    if (nl == std::string::npos) {
        why = "no type line in " + file;
        return ReadResult::corrupt;
    }
    std::string_view word(content.data(), nl);
    std::string_view text(content.data() + nl + 1, content.size() - nl - 1);
    const char *end = text.data() + text.size();
    if (text.size() > kMaxValue) {
        why = file + " holds a value of " + std::to_string(text.size()) +
              " bytes, more than " + std::to_string(kMaxValue) + ": refused";
        return ReadResult::corrupt;
    }
    if (word == "string") {
        /* A C string would end at the NUL and hand out part of the value. */
        if (text.find('\0') != std::string_view::npos) {
            why = file + " holds a NUL byte in its string: refused";
            return ReadResult::corrupt;
        }
        value.type = VCONF_TYPE_STRING;
        value.str.assign(text);
        return ReadResult::ok;
    }
    if (word == "int" || word == "bool") {
        int number = 0;
        auto [ptr, ec] = std::from_chars(text.data(), end, number);
        if (ec != std::errc() || ptr != end || text.empty() ||
            (word == "bool" && number != 0 && number != 1)) {
            why = "bad " + std::string(word) + " value in " + file;
            return ReadResult::corrupt;
        }
        value.type = word == "int" ? VCONF_TYPE_INT : VCONF_TYPE_BOOL;
        value.number = number;
        return ReadResult::ok;
    }
    if (word == "double") {
        double dbl = 0.0;
        auto [ptr, ec] = std::from_chars(text.data(), end, dbl);
        if (ec != std::errc() || ptr != end || text.empty()) {
            why = "bad double value in " + file;
            return ReadResult::corrupt;
        }
        value.type = VCONF_TYPE_DOUBLE;
        value.dbl = dbl;
        return ReadResult::ok;
    }
    why = "unknown type \"" + std::string(word) + "\" in " + file;
    return ReadResult::corrupt;
}

// Reads a key's value; corrupt (with why) for a damaged or refused file and
// for a directory on the way that is a link.
ReadResult read_value(const KeyPath &path, Value &value, std::string &why)
{
    Fd dir = open_key_dir(path, false, why);
    if (!dir)
        return why.empty() ? ReadResult::missing : ReadResult::corrupt;
    std::string content;
    ReadResult result = read_regular(dir.get(), path.base, path.file(), kMaxFile, content, why);
    return result == ReadResult::ok ? parse_value(content, path.file(), value, why) : result;
}

// The read-only mark of a key: an empty file beside the key file. It ends in
// ".ro", never in ".key", so it is neither listed nor watched as a key.
std::string readonly_mark(const KeyPath &path)
{
    return path.base + ".ro";
}

bool is_readonly(int dirfd, const KeyPath &path)
{
    struct stat st;
    return ::fstatat(dirfd, readonly_mark(path).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

// Opens the directory of a key about to be written or removed (created when
// create is set) and removes dead writers' temporary files first. Fails
// (logged) when the directory cannot be used or the key is marked read-only:
// the stored value stays.
Fd writable_dir(const char *fn, const char *key, const KeyPath &path, bool create)
{
    opened_for_writing(path.root);
    std::string why;
    Fd dir = open_key_dir(path, create, why);
    if (!dir) {
        dlog_print(DLOG_ERROR, TAG, "%s: \"%s\": %s", fn, key, why.empty() ? "no such key" : why.c_str());
        return Fd();
    }
    if (is_readonly(dir.get(), path)) {
        dlog_print(DLOG_ERROR, TAG, "%s: \"%s\" is read-only: write refused", fn, key);
        return Fd();
    }
    return dir;
}

int set_value(const char *fn, const char *key, int type, std::string_view text)
{
    std::optional<KeyPath> path = checked_path(fn, key);
    if (!path)
        return VCONF_ERROR;
    if (text.size() > kMaxValue) {
        dlog_print(DLOG_ERROR, TAG, "%s: \"%s\": a value of %zu bytes is larger than %zu bytes: write refused",
                   fn, key, text.size(), kMaxValue);
        return VCONF_ERROR;
    }
    Fd dir = writable_dir(fn, key, *path, true);
    if (!dir)
        return VCONF_ERROR;
    std::string content = type_word(type);
    content += '\n';
    content += text;
    std::string why;
    if (!replace_file(dir.get(), path->dir, path->base, content, why)) {
        dlog_print(DLOG_ERROR, TAG, "%s: \"%s\": %s", fn, key, why.c_str());
        return VCONF_ERROR;
    }
    return VCONF_OK;
}

// Reads a key that must hold the given type; logs and fails otherwise.
bool get_value(const char *fn, const char *key, int type, Value &value)
{
    std::optional<KeyPath> path = checked_path(fn, key);
    if (!path)
        return false;
    std::string why;
    switch (read_value(*path, value, why)) {
    case ReadResult::missing:
        dlog_print(DLOG_ERROR, TAG, "%s: \"%s\": no such key", fn, key);
        return false;
    case ReadResult::corrupt:
        dlog_print(DLOG_ERROR, TAG, "%s: \"%s\": %s", fn, key, why.c_str());
        return false;
    case ReadResult::ok:
        break;
    }
    if (value.type != type) {
        dlog_print(DLOG_ERROR, TAG, "%s: \"%s\" is of type %s, not %s", fn, key,
                   type_word(value.type), type_word(type));
        return false;
    }
    return true;
}

std::string double_text(double value)
{
    std::array<char, 64> buf;
    auto [ptr, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    return ec == std::errc() ? std::string(buf.data(), ptr) : "0";
}

// ---- notification machinery ------------------------------------------------

Eina_Bool inotify_ready_cb(void *data, Ecore_Fd_Handler *handler);

bool start_notifier()
{
    if (notifier.fd >= 0) {
        notifier.stop_pending = false;
        return true;
    }
    int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) {
        dlog_print(DLOG_ERROR, TAG, "inotify_init1: %s", std::strerror(errno));
        return false;
    }
    // Only matters when this call is the one that starts Ecore: a process
    // that uses Ecore for no more than these callbacks does not need the
    // system modules (and their bus connections).
    ecore_app_no_system_modules();
    ecore_init();
    notifier.handler = ecore_main_fd_handler_add(fd, ECORE_FD_READ, inotify_ready_cb, nullptr,
                                                 nullptr, nullptr);
    if (notifier.handler == nullptr) {
        dlog_print(DLOG_ERROR, TAG, "cannot add an Ecore fd handler for change notifications");
        ::close(fd);
        ecore_shutdown();
        return false;
    }
    notifier.fd = fd;
    notifier.stop_pending = false;
    return true;
}

void stop_notifier()
{
    if (notifier.fd < 0 || !notifier.regs.empty())
        return;
    if (notifier.dispatching > 0) {
        notifier.stop_pending = true;  // finished when the fd handler returns
        return;
    }
    ecore_main_fd_handler_del(notifier.handler);
    notifier.handler = nullptr;
    ::close(notifier.fd);
    notifier.fd = -1;
    notifier.wd_by_dir.clear();
    notifier.dir_by_wd.clear();
    notifier.refs_by_dir.clear();
    notifier.stop_pending = false;
    ecore_shutdown();
}

// The events of a key file: a rename onto it (every write through this
// library), a close after an in-place write, a deletion, a rename away.
constexpr uint32_t kKeyEvents = IN_MOVED_TO | IN_CLOSE_WRITE | IN_DELETE | IN_MOVED_FROM;
// IN_MOVED_FROM also separates two renames onto one key: its event names the
// writer's temporary file, so the two IN_MOVED_TO events are never adjacent
// in the queue, where the kernel would merge them into one.
constexpr uint32_t kWatchMask = kKeyEvents | IN_ONLYDIR | IN_DONT_FOLLOW;

// A directory of a prefix registration also reports new subdirectories.
constexpr uint32_t kTreeMask = kWatchMask | IN_CREATE;

bool in_prefix_tree(const std::string &dir);

// Watches the directory of a key, created when missing; the directories on
// the way are checked not to be links first.
bool add_watch(const KeyPath &path)
{
    std::string why;
    if (!open_key_dir(path, true, why)) {
        dlog_print(DLOG_ERROR, TAG, "cannot watch %s: %s", path.dir.c_str(), why.c_str());
        return false;
    }
    const uint32_t mask = in_prefix_tree(path.dir) ? kTreeMask : kWatchMask;
    int wd = ::inotify_add_watch(notifier.fd, path.dir.c_str(), mask);
    if (wd < 0) {
        dlog_print(DLOG_ERROR, TAG, "cannot watch %s: %s", path.dir.c_str(), std::strerror(errno));
        return false;
    }
    notifier.wd_by_dir[path.dir] = wd;
    notifier.dir_by_wd[wd] = path.dir;
    return true;
}

bool watch_dir(const KeyPath &path)
{
    int &refs = notifier.refs_by_dir[path.dir];
    if (refs == 0 && !add_watch(path)) {
        notifier.refs_by_dir.erase(path.dir);
        return false;
    }
    ++refs;
    return true;
}

void unwatch_dir(const std::string &dir)
{
    auto it = notifier.refs_by_dir.find(dir);
    if (it == notifier.refs_by_dir.end() || --it->second > 0)
        return;
    notifier.refs_by_dir.erase(it);
    auto wd = notifier.wd_by_dir.find(dir);
    if (wd != notifier.wd_by_dir.end()) {
        ::inotify_rm_watch(notifier.fd, wd->second);
        notifier.dir_by_wd.erase(wd->second);
        notifier.wd_by_dir.erase(wd);
    }
}

void fill_node(keynode_t &node, const std::string &key, const KeyPath &path)
{
    node.name = key;
    Value value;
    std::string why;
    ReadResult result = read_value(path, value, why);
    if (result == ReadResult::corrupt)
        dlog_print(DLOG_ERROR, TAG, "change of \"%s\": %s", key.c_str(), why.c_str());
    node.type = result == ReadResult::ok ? value.type : VCONF_TYPE_NONE;
    node.number = value.number;
    node.dbl = value.dbl;
    node.str = std::move(value.str);
}

// Calls the registrations given by id that still exist when their turn comes
// (a callback may remove or add registrations), with the key given, or for
// nullptr each registration's own key.
void deliver(const std::vector<uint64_t> &ids, const std::string *key = nullptr,
             const KeyPath *path = nullptr)
{
    for (uint64_t id : ids) {
        auto it = std::find_if(notifier.regs.begin(), notifier.regs.end(),
                               [id](const Registration &r) { return r.id == id; });
        if (it == notifier.regs.end())
            continue;
        keynode_t node;
        fill_node(node, key ? *key : it->key, path ? *path : it->path);
        vconf_callback_fn cb = it->cb;
        void *user_data = it->user_data;
        cb(&node, user_data);
    }
}

struct Event {
    int wd;
    uint32_t mask;
    std::string name;  // file name inside the watched directory, may be empty
};

void tell_prefix_keys(uint64_t id);
void prefix_dir_created(const std::string &dir, const std::string &name);
void prefix_dir_removed(const std::string &dir);
std::vector<uint64_t> prefix_regs_of(const std::string &dir, const std::string &file,
                                     std::string &key, KeyPath &path);

void handle_event(const Event &event)
{
    if (event.mask & IN_Q_OVERFLOW) {
        dlog_print(DLOG_WARN, TAG, "change notifications overflowed; telling every watcher");
        std::vector<uint64_t> ids, prefixes;
        for (const Registration &r : notifier.regs)
            (r.prefix ? prefixes : ids).push_back(r.id);
        deliver(ids);
        for (uint64_t id : prefixes)
            tell_prefix_keys(id);
        return;
    }
    auto dir = notifier.dir_by_wd.find(event.wd);
    if (dir == notifier.dir_by_wd.end())
        return;  // a watch removed since the event was queued
    if (event.mask & IN_IGNORED) {
        // The directory itself went away (removed by hand): watch its new one.
        std::string path = dir->second;
        notifier.wd_by_dir.erase(path);
        notifier.dir_by_wd.erase(dir);
        prefix_dir_removed(path);
        if (notifier.refs_by_dir.count(path) == 0)
            return;  // only a prefix registration's subdirectory: gone with it
        dlog_print(DLOG_WARN, TAG, "%s was removed; watching it anew", path.c_str());
        auto reg = std::find_if(notifier.regs.begin(), notifier.regs.end(),
                                [&](const Registration &r) { return r.path.dir == path; });
        if (reg != notifier.regs.end())
            add_watch(reg->path);
        return;
    }
    if ((event.mask & IN_ISDIR) != 0 && (event.mask & (IN_CREATE | IN_MOVED_TO)) != 0) {
        prefix_dir_created(dir->second, event.name);
        return;
    }
    if ((event.mask & kKeyEvents) == 0 || (event.mask & IN_ISDIR) != 0 || event.name.empty())
        return;
    std::vector<uint64_t> ids;
    for (const Registration &r : notifier.regs)
        if (!r.prefix && r.path.base == event.name && r.path.dir == dir->second)
            ids.push_back(r.id);
    deliver(ids);
    std::string key;
    KeyPath path;
    ids = prefix_regs_of(dir->second, event.name, key, path);
    deliver(ids, &key, &path);
}

void drain_events()
{
    alignas(inotify_event) std::array<char, 16384> buf;
    // A bounded number of reads per wake-up keeps a flood from starving the
    // loop; the fd stays readable and the handler runs again.
    for (int round = 0; round < 16 && notifier.fd >= 0; ++round) {
        ssize_t n = ::read(notifier.fd, buf.data(), buf.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        // Parse the whole batch first: callbacks may close or replace the fd.
        std::vector<Event> events;
        for (size_t off = 0; off + sizeof(inotify_event) <= static_cast<size_t>(n);) {
            inotify_event header;
            std::memcpy(&header, buf.data() + off, sizeof header);
            const char *name = buf.data() + off + sizeof header;
            events.push_back(Event{header.wd, header.mask,
                                   std::string(name, header.len > 0 ? strnlen(name, header.len) : 0)});
            off += sizeof header + header.len;
        }
        for (const Event &event : events)
            handle_event(event);
    }
}

Eina_Bool inotify_ready_cb(void *, Ecore_Fd_Handler *)
{
    ++notifier.dispatching;
    try {
        drain_events();
    } catch (const std::exception &e) {
        dlog_print(DLOG_ERROR, TAG, "change notification failed: %s", e.what());
    } catch (...) {
        dlog_print(DLOG_ERROR, TAG, "change notification failed");
    }
    --notifier.dispatching;
    if (notifier.dispatching == 0 && notifier.stop_pending)
        stop_notifier();  // deletes this handler
    return ECORE_CALLBACK_RENEW;
}

// ---- prefix registrations -----------------------------------------------------
// A prefix registration watches the directory its prefix lies in and every
// directory below it that may hold its keys, those created later included:
// a new directory is watched when its creation is reported, and the keys
// already written into it by then are reported at once with what they hold
// (so a key of a new directory is never missed, but its writes before the
// watch are told as one, and the last of them may be told twice).

// The key text of a directory: "memory/refrigerator/" for run/memory/refrigerator.
std::string dir_key(const KeyPath &dir)
{
    std::string key;
    for (size_t i = 0; i < dir.dirs.size(); ++i)
        if (i > 0 || dir.dirs[i] != "run")
            key += dir.dirs[i] + "/";
    return key;
}

KeyPath subdir(const KeyPath &dir, const std::string &name)
{
    KeyPath sub = dir;
    sub.dirs.push_back(name);
    sub.dir += "/" + name;
    sub.base.clear();
    return sub;
}

// The directory named dir of a prefix registration (its own or one below),
// or nullptr.
const KeyPath *tree_dir(const Registration &r, const std::string &dir)
{
    if (!r.prefix)
        return nullptr;
    if (r.path.dir == dir)
        return &r.path;
    for (const KeyPath &sub : r.subdirs)
        if (sub.dir == dir)
            return &sub;
    return nullptr;
}

bool in_prefix_tree(const std::string &dir)
{
    return std::any_of(notifier.regs.begin(), notifier.regs.end(),
                       [&](const Registration &r) { return tree_dir(r, dir) != nullptr; });
}

// The key a file of a directory holds when it is a key of the prefix.
std::optional<std::pair<std::string, KeyPath>> prefix_key(const KeyPath &dir, const std::string &file,
                                                          const std::string &prefix)
{
    if (file.empty() || file.front() == '.' || file.size() <= kSuffix.size() || !file.ends_with(kSuffix))
        return std::nullopt;
    std::string key = dir_key(dir) + file.substr(0, file.size() - kSuffix.size());
    if (!key.starts_with(prefix) || key_problem(key.c_str()) != nullptr)
        return std::nullopt;
    KeyPath path = dir;
    path.base = file;
    return std::make_pair(std::move(key), std::move(path));
}

// The subdirectories and regular files of a directory, never through a link.
struct Listing {
    std::vector<std::string> dirs, files;
};

Listing list_dir(const KeyPath &dir)
{
    Listing out;
    std::string why;
    Fd fd = open_key_dir(dir, false, why);
    if (!fd)
        return out;
    DIR *d = ::fdopendir(fd.get());
    if (d == nullptr)
        return out;
    fd.release();  // closedir closes it
    while (const dirent *entry = ::readdir(d)) {
        struct stat st;
        if (entry->d_name[0] == '.' || ::fstatat(::dirfd(d), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            out.dirs.emplace_back(entry->d_name);
        else if (S_ISREG(st.st_mode))
            out.files.emplace_back(entry->d_name);
    }
    ::closedir(d);
    std::sort(out.files.begin(), out.files.end());
    return out;
}

// watch_dir for a directory of a prefix registration: it also reports new
// subdirectories (IN_MASK_ADD: the directory may be watched for a key already).
bool watch_tree_dir(const KeyPath &dir)
{
    if (!watch_dir(dir))
        return false;
    ::inotify_add_watch(notifier.fd, dir.dir.c_str(), kTreeMask | IN_MASK_ADD);
    return true;
}

using FoundKeys = std::vector<std::pair<std::string, KeyPath>>;

// Watches the directories below dir that may hold the registration's keys
// and are not watched yet; with found, collects the keys of dir and below.
void walk_tree(Registration &reg, const KeyPath &dir, FoundKeys *found)
{
    Listing listing = list_dir(dir);
    if (found != nullptr)
        for (const std::string &file : listing.files)
            if (auto key = prefix_key(dir, file, reg.key))
                found->push_back(std::move(*key));
    for (const std::string &name : listing.dirs) {
        KeyPath sub = subdir(dir, name);
        std::string sub_key = dir_key(sub);
        if (!sub_key.starts_with(reg.key) && !reg.key.starts_with(sub_key))
            continue;
        if (tree_dir(reg, sub.dir) == nullptr) {
            if (!watch_tree_dir(sub))
                continue;
            reg.subdirs.push_back(sub);
        }
        walk_tree(reg, sub, found);
    }
}

// Reports every key of the prefix that exists now (after lost events).
void tell_prefix_keys(uint64_t id)
{
    auto it = std::find_if(notifier.regs.begin(), notifier.regs.end(),
                           [id](const Registration &r) { return r.id == id; });
    if (it == notifier.regs.end())
        return;
    FoundKeys found;
    KeyPath root = it->path;
    walk_tree(*it, root, &found);
    for (const auto &[key, path] : found)
        deliver({id}, &key, &path);
}

void prefix_dir_created(const std::string &dir, const std::string &name)
{
    if (name.empty() || name.front() == '.')
        return;
    std::vector<std::pair<uint64_t, FoundKeys>> news;
    for (Registration &r : notifier.regs) {
        const KeyPath *parent = tree_dir(r, dir);
        if (parent == nullptr)
            continue;
        KeyPath sub = subdir(*parent, name);
        std::string sub_key = dir_key(sub);
        bool may_hold = sub_key.starts_with(r.key) || r.key.starts_with(sub_key);
        if (!may_hold || tree_dir(r, sub.dir) != nullptr || !watch_tree_dir(sub))
            continue;
        r.subdirs.push_back(sub);
        FoundKeys found;
        walk_tree(r, sub, &found);
        news.emplace_back(r.id, std::move(found));
    }
    // Callbacks only now: they may change the registrations.
    for (const auto &[id, found] : news)
        for (const auto &[key, path] : found)
            deliver({id}, &key, &path);
}

void prefix_dir_removed(const std::string &dir)
{
    for (Registration &r : notifier.regs) {
        auto it = std::find_if(r.subdirs.begin(), r.subdirs.end(),
                               [&](const KeyPath &sub) { return sub.dir == dir; });
        if (it == r.subdirs.end())
            continue;
        r.subdirs.erase(it);
        auto refs = notifier.refs_by_dir.find(dir);
        if (refs != notifier.refs_by_dir.end() && --refs->second <= 0)
            notifier.refs_by_dir.erase(refs);
    }
}

std::vector<uint64_t> prefix_regs_of(const std::string &dir, const std::string &file,
                                     std::string &key, KeyPath &path)
{
    std::vector<uint64_t> ids;
    for (const Registration &r : notifier.regs) {
        const KeyPath *d = tree_dir(r, dir);
        if (d == nullptr)
            continue;
        if (auto found = prefix_key(*d, file, r.key)) {
            std::tie(key, path) = std::move(*found);
            ids.push_back(r.id);
        }
    }
    return ids;
}

}  // namespace

// ---- setters and getters ----------------------------------------------------

extern "C" int vconf_set_int(const char *in_key, const int intval)
{
    const char *fn = __func__;
    return guarded(fn, VCONF_ERROR, [&] {
        return set_value(fn, in_key, VCONF_TYPE_INT, std::to_string(intval));
    });
}

extern "C" int vconf_set_bool(const char *in_key, const int boolval)
{
    const char *fn = __func__;
    return guarded(fn, VCONF_ERROR, [&] {
        return set_value(fn, in_key, VCONF_TYPE_BOOL, boolval ? "1" : "0");
    });
}

extern "C" int vconf_set_dbl(const char *in_key, const double dblval)
{
    const char *fn = __func__;
    return guarded(fn, VCONF_ERROR, [&] {
        return set_value(fn, in_key, VCONF_TYPE_DOUBLE, double_text(dblval));
    });
}

extern "C" int vconf_set_str(const char *in_key, const char *strval)
{
    const char *fn = __func__;
    return guarded(fn, VCONF_ERROR, [&] {
        if (strval == nullptr) {
            dlog_print(DLOG_ERROR, TAG, "%s: \"%s\": NULL value", fn, shown(in_key).c_str());
            return VCONF_ERROR;
        }
        return set_value(fn, in_key, VCONF_TYPE_STRING, strval);
    });
}

extern "C" int vconf_get_int(const char *in_key, int *intval)
{
    const char *fn = __func__;
    return guarded(fn, VCONF_ERROR, [&] {
        Value value;
        if (intval == nullptr || !get_value(fn, in_key, VCONF_TYPE_INT, value))
            return VCONF_ERROR;
        *intval = value.number;
        return VCONF_OK;
    });
}

extern "C" int vconf_get_bool(const char *in_key, int *boolval)
{
    const char *fn = __func__;
    return guarded(fn, VCONF_ERROR, [&] {
        Value value;
        if (boolval == nullptr || !get_value(fn, in_key, VCONF_TYPE_BOOL, value))
            return VCONF_ERROR;
        *boolval = value.number;
        return VCONF_OK;
    });
}

extern "C" int vconf_get_dbl(const char *in_key, double *dblval)
{
    const char *fn = __func__;
    return guarded(fn, VCONF_ERROR, [&] {
        Value value;
        if (dblval == nullptr || !get_value(fn, in_key, VCONF_TYPE_DOUBLE, value))
            return VCONF_ERROR;
        *dblval = value.dbl;
        return VCONF_OK;
    });
}

extern "C" char *vconf_get_str(const char *in_key)
{
    const char *fn = __func__;
    return guarded(fn, static_cast<char *>(nullptr), [&]() -> char * {
        Value value;
        if (!get_value(fn, in_key, VCONF_TYPE_STRING, value))
            return nullptr;
        return ::strdup(value.str.c_str());
    });
}

extern "C" int vconf_unset(const char *in_key)
{
    const char *fn = __func__;
    return guarded(fn, VCONF_ERROR, [&] {
        std::optional<KeyPath> path = checked_path(fn, in_key);
        if (!path)
            return VCONF_ERROR;
        Fd dir = writable_dir(fn, in_key, *path, false);
        if (!dir)
            return VCONF_ERROR;
        // Whatever the file holds (a damaged value, a link: the link itself).
        if (::unlinkat(dir.get(), path->base.c_str(), 0) != 0) {
            if (errno == ENOENT)
                dlog_print(DLOG_ERROR, TAG, "%s: \"%s\": no such key", fn, in_key);
            else
                dlog_print(DLOG_ERROR, TAG, "%s: \"%s\": cannot remove %s: %s", fn, in_key,
                           path->file().c_str(), std::strerror(errno));
            return VCONF_ERROR;
        }
        return VCONF_OK;
    });
}

// ---- notifications ----------------------------------------------------------

extern "C" int vconf_notify_key_changed(const char *in_key, vconf_callback_fn cb, void *user_data)
{
    const char *fn = __func__;
    return guarded(fn, VCONF_ERROR, [&] {
        if (cb == nullptr) {
            dlog_print(DLOG_ERROR, TAG, "%s: \"%s\": NULL callback", fn, shown(in_key).c_str());
            return VCONF_ERROR;
        }
        std::optional<KeyPath> path = checked_path(fn, in_key);
        if (!path)
            return VCONF_ERROR;
        for (const Registration &r : notifier.regs) {
            if (!r.prefix && r.key == in_key && r.cb == cb) {
                dlog_print(DLOG_ERROR, TAG, "%s: \"%s\": callback already registered", fn,
                           in_key);
                return VCONF_ERROR;
            }
        }
        if (!start_notifier())
            return VCONF_ERROR;
        if (!watch_dir(*path)) {
            stop_notifier();
            return VCONF_ERROR;
        }
        notifier.regs.push_back(Registration{notifier.next_id++, in_key, *path, cb, user_data, false, {}});
        return VCONF_OK;
    });
}

extern "C" int vconf_ignore_key_changed(const char *in_key, vconf_callback_fn cb)
{
    const char *fn = __func__;
    return guarded(fn, VCONF_ERROR, [&] {
        if (const char *problem = key_problem(in_key)) {
            dlog_print(DLOG_ERROR, TAG, "%s: refused key name \"%s\": %s", fn,
                       shown(in_key).c_str(), problem);
            return VCONF_ERROR;
        }
        auto it = std::find_if(notifier.regs.begin(), notifier.regs.end(),
                               [&](const Registration &r) { return !r.prefix && r.key == in_key && r.cb == cb; });
        if (it == notifier.regs.end()) {
            dlog_print(DLOG_ERROR, TAG, "%s: \"%s\": callback not registered", fn, in_key);
            return VCONF_ERROR;
        }
        std::string dir = it->path.dir;
        notifier.regs.erase(it);
        unwatch_dir(dir);
        stop_notifier();
        return VCONF_OK;
    });
}

extern "C" int vconf_store_notify_prefix(const char *prefix, vconf_callback_fn cb, void *user_data)
{
    const char *fn = __func__;
    return guarded(fn, VCONF_ERROR, [&] {
        std::string text = prefix != nullptr ? prefix : "";
        // The prefix must be the beginning of a valid key: "db/" or
        // "memory/", whole directory names, a partial last name.
        std::string probe = text + "x";
        if (const char *problem = key_problem(probe.c_str())) {
            dlog_print(DLOG_ERROR, TAG, "%s: refused prefix \"%s\": %s", fn, shown(text.c_str()).c_str(),
                       problem);
            return VCONF_ERROR;
        }
        if (cb == nullptr) {
            dlog_print(DLOG_ERROR, TAG, "%s: \"%s\": NULL callback", fn, text.c_str());
            return VCONF_ERROR;
        }
        for (const Registration &r : notifier.regs) {
            if (r.prefix && r.key == text && r.cb == cb) {
                dlog_print(DLOG_ERROR, TAG, "%s: \"%s\": callback already registered", fn, text.c_str());
                return VCONF_ERROR;
            }
        }
        std::string in_dir = text.substr(0, text.rfind('/') + 1) + "x";
        std::optional<KeyPath> path = checked_path(fn, in_dir.c_str());
        if (!path)
            return VCONF_ERROR;
        KeyPath root = *path;
        root.base.clear();
        if (!start_notifier())
            return VCONF_ERROR;
        if (!watch_tree_dir(root)) {
            stop_notifier();
            return VCONF_ERROR;
        }
        notifier.regs.push_back(Registration{notifier.next_id++, text, root, cb, user_data, true, {}});
        walk_tree(notifier.regs.back(), root, nullptr);
        return VCONF_OK;
    });
}

extern "C" int vconf_store_ignore_prefix(const char *prefix, vconf_callback_fn cb)
{
    const char *fn = __func__;
    return guarded(fn, VCONF_ERROR, [&] {
        std::string text = prefix != nullptr ? prefix : "";
        auto it = std::find_if(notifier.regs.begin(), notifier.regs.end(),
                               [&](const Registration &r) { return r.prefix && r.key == text && r.cb == cb; });
        if (it == notifier.regs.end()) {
            dlog_print(DLOG_ERROR, TAG, "%s: \"%s\": callback not registered", fn,
                       shown(text.c_str()).c_str());
            return VCONF_ERROR;
        }
        std::vector<std::string> dirs = {it->path.dir};
        for (const KeyPath &sub : it->subdirs)
            dirs.push_back(sub.dir);
        notifier.regs.erase(it);
        for (const std::string &dir : dirs)
            unwatch_dir(dir);
        stop_notifier();
        return VCONF_OK;
    });
}

// ---- key nodes ----------------------------------------------------------------

extern "C" const char *vconf_keynode_get_name(keynode_t *keynode)
{
    return keynode != nullptr ? keynode->name.c_str() : nullptr;
}

extern "C" int vconf_keynode_get_type(keynode_t *keynode)
{
    return keynode != nullptr ? keynode->type : VCONF_TYPE_NONE;
}

namespace {
bool node_has(keynode_t *keynode, int type, const char *fn)
{
    if (keynode != nullptr && keynode->type == type)
        return true;
    dlog_print(DLOG_ERROR, TAG, "%s: node %s is not a %s", fn,
               keynode != nullptr ? keynode->name.c_str() : "(null)", type_word(type));
    return false;
}
}  // namespace

extern "C" int vconf_keynode_get_int(keynode_t *keynode)
{
    return node_has(keynode, VCONF_TYPE_INT, __func__) ? keynode->number : 0;
}

extern "C" int vconf_keynode_get_bool(keynode_t *keynode)
{
    return node_has(keynode, VCONF_TYPE_BOOL, __func__) ? keynode->number : 0;
}

extern "C" double vconf_keynode_get_dbl(keynode_t *keynode)
{
    return node_has(keynode, VCONF_TYPE_DOUBLE, __func__) ? keynode->dbl : 0.0;
}

extern "C" const char *vconf_keynode_get_str(keynode_t *keynode)
{
    return node_has(keynode, VCONF_TYPE_STRING, __func__) ? keynode->str.c_str() : nullptr;
}

// ---- desktop extras -----------------------------------------------------------

extern "C" const char *vconf_store_dir(void)
{
    std::lock_guard<std::mutex> lock(dir_mutex);
    // Prepared like any other use, so that files other platform parts keep
    // under run/ are not wiped by a later first key access after a reboot.
    // The deque never drops a directory, so earlier pointers stay valid.
    const std::string &dir = current_dir_locked();
    std::string why;
    if (!prepare_locked(dir, why) || !prepare_run_locked(dir, why))
        dlog_print(DLOG_ERROR, TAG, "%s", why.c_str());
    return dir.c_str();
}

extern "C" int vconf_store_key_valid(const char *key)
{
    return key_problem(key) == nullptr ? 1 : 0;
}

extern "C" int vconf_store_list(const char *prefix, vconf_store_list_fn fn, void *user_data)
{
    return guarded(__func__, -1, [&] {
        if (fn == nullptr)
            return -1;
        std::optional<std::string> dir = platform_dir();
        if (!dir)
            return -1;
        std::string_view want = prefix != nullptr ? prefix : "";
        std::vector<std::string> keys;
        const std::pair<const char *, const char *> roots[] = {{"/db", "db"},
                                                               {"/run/memory", "memory"}};
        for (const auto &[sub, name] : roots) {
            std::filesystem::path root = *dir + sub;
            std::error_code ec;
            auto it = std::filesystem::recursive_directory_iterator(root, ec);
            for (; !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
                std::string file = it->path().filename().string();
                std::error_code type_ec;  // links are no keys: never followed
                if (it->symlink_status(type_ec).type() != std::filesystem::file_type::regular ||
                    file.front() == '.' ||
                    file.size() <= kSuffix.size() ||
                    file.compare(file.size() - kSuffix.size(), kSuffix.size(), kSuffix) != 0)
                    continue;
                std::string rel = it->path().lexically_relative(root).string();
                std::string key = std::string(name) + "/" + rel.substr(0, rel.size() - kSuffix.size());
                if (key.compare(0, want.size(), want) == 0 && key_problem(key.c_str()) == nullptr)
                    keys.push_back(std::move(key));
            }
        }
        std::sort(keys.begin(), keys.end());
        for (const std::string &key : keys)
            fn(key.c_str(), user_data);
        return static_cast<int>(keys.size());
    });
}

extern "C" int vconf_store_set_readonly(const char *key, int readonly)
{
    const char *fn = __func__;
    return guarded(fn, VCONF_ERROR, [&] {
        std::optional<KeyPath> path = checked_path(fn, key);
        if (!path)
            return VCONF_ERROR;
        std::string why;
        Fd dir = open_key_dir(*path, readonly != 0, why);
        if (!dir && (readonly || !why.empty())) {
            dlog_print(DLOG_ERROR, TAG, "%s: \"%s\": %s", fn, key, why.c_str());
            return VCONF_ERROR;
        }
        const std::string mark = readonly_mark(*path);
        if (!readonly) {
            if (dir && ::unlinkat(dir.get(), mark.c_str(), 0) != 0 && errno != ENOENT) {
                dlog_print(DLOG_ERROR, TAG, "%s: cannot remove %s/%s: %s", fn, path->dir.c_str(),
                           mark.c_str(), std::strerror(errno));
                return VCONF_ERROR;
            }
            return VCONF_OK;
        }
        Fd fd(::openat(dir.get(), mark.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (!fd) {
            dlog_print(DLOG_ERROR, TAG, "%s: cannot create %s/%s: %s", fn, path->dir.c_str(),
                       mark.c_str(), std::strerror(errno));
            return VCONF_ERROR;
        }
        return VCONF_OK;
    });
}

extern "C" int vconf_store_is_readonly(const char *key)
{
    return guarded(__func__, 0, [&] {
        std::string why;
        std::optional<KeyPath> path = locate(key, why);
        if (!path)
            return 0;
        Fd dir = open_key_dir(*path, false, why);
        return dir && is_readonly(dir.get(), *path) ? 1 : 0;
    });
}

extern "C" int vconf_store_check(const char *key, char **why)
{
    if (why != nullptr)
        *why = nullptr;
    return guarded(__func__, static_cast<int>(VCONF_ERROR), [&] {
        std::string reason;
        Value value;
        std::optional<KeyPath> path = locate(key, reason);
        ReadResult result = ReadResult::corrupt;
        if (!path && reason.empty())
            reason = std::string("refused key name: ") + key_problem(key);
        else if (path)
            result = read_value(*path, value, reason);
        if (result == ReadResult::ok)
            return value.type;
        if (result == ReadResult::missing)
            return static_cast<int>(VCONF_TYPE_NONE);
        if (why != nullptr)
            *why = ::strdup(reason.c_str());
        return static_cast<int>(VCONF_ERROR);
    });
}

extern "C" int vconf_store_type(const char *key)
{
    int type = vconf_store_check(key, nullptr);
    return type == VCONF_ERROR ? static_cast<int>(VCONF_TYPE_NONE) : type;
}

extern "C" char *vconf_store_get_text(const char *key)
{
    const char *fn = __func__;
    return guarded(fn, static_cast<char *>(nullptr), [&]() -> char * {
        std::string why;
        std::optional<KeyPath> path = locate(key, why);
        Value value;
        if (!path || read_value(*path, value, why) != ReadResult::ok)
            return nullptr;
        std::string text;
        switch (value.type) {
        case VCONF_TYPE_STRING: text = value.str; break;
        case VCONF_TYPE_DOUBLE: text = double_text(value.dbl); break;
        default: text = std::to_string(value.number); break;
        }
        return ::strdup(text.c_str());
    });
}
