/*
 * Fuzz target: the key store's key names and the format of its key files.
 *
 * The input's first line is a key name, the rest the bytes of a key file.
 * The name goes through the store's name check; an accepted one is written,
 * read, listed and removed in a scratch platform directory. The file bytes
 * are put in place of a key's file and read through the library as any
 * process reads a damaged or hand-edited key.
 *
 * Invariants: an accepted name is under db/ or memory/, at most 255 bytes
 * of the allowed characters, without empty segments, segments beginning
 * with '.' (so never "..") or a trailing '/', and its file lands inside the
 * platform directory; a refused name writes nothing. A key file reads as
 * exactly one type or as damaged with a one-line reason, never as missing;
 * only the getter of its type succeeds; a string reads back as its bytes up
 * to a NUL; a number written back in the store's own form reads the same.
 */
#include <vconf.h>
#include <vconf_store.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_support.h"

namespace {

namespace fs = std::filesystem;

constexpr const char *FILE_KEY = "db/fuzz/value";

struct free_deleter {
    void operator()(char *p) const { std::free(p); }
};
using owned_text = std::unique_ptr<char, free_deleter>;

bool name_char(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '.' || c == '-' || c == '/';
}

/* Where an accepted key's file lies below the platform directory. */
fs::path key_file(const std::string &name)
{
    const fs::path dir = fuzz::platform_dir();
    if (name.starts_with("db/"))
        return dir / (name + ".key");
    return dir / "run" / (name + ".key");
}

void listed_cb(const char *key, void *user_data)
{
    auto *found = static_cast<std::vector<std::string> *>(user_data);
    found->emplace_back(key);
}

bool store_is_empty()
{
    std::error_code ec;
    for (const char *sub : {"db", "run/memory"}) {
        fs::path root = fs::path(fuzz::platform_dir()) / sub;
        if (fs::exists(root, ec) && !fs::is_empty(root, ec))
            return false;
    }
    return true;
}

void check_name(const std::string &name, const std::string &value)
{
    bool valid = vconf_store_key_valid(name.c_str()) == 1;
    if (!valid) {
        FUZZ_CHECK(vconf_set_str(name.c_str(), value.c_str()) != VCONF_OK, "%s", name.c_str());
        FUZZ_CHECK(store_is_empty(), "a refused name wrote: %s", name.c_str());
        return;
    }
    FUZZ_CHECK(name.starts_with("db/") || name.starts_with("memory/"), "%s", name.c_str());
    FUZZ_CHECK(name.size() <= 255);
    FUZZ_CHECK(std::all_of(name.begin(), name.end(), name_char), "%s", name.c_str());
    FUZZ_CHECK(name.find("//") == std::string::npos && name.find("/.") == std::string::npos &&
                   name.back() != '/',
               "%s", name.c_str());

    /* Written, read, listed and removed, inside the platform directory. */
    FUZZ_CHECK(vconf_set_str(name.c_str(), value.c_str()) == VCONF_OK, "%s", name.c_str());
    fs::path file = key_file(name);
    std::error_code ec;
    fs::path real = fs::canonical(file, ec);
    FUZZ_CHECK(!ec, "%s: no file %s", name.c_str(), file.c_str());
    std::string root = fs::canonical(fuzz::platform_dir()).string() + "/";
    FUZZ_CHECK(real.string().starts_with(root), "%s lands at %s", name.c_str(), real.c_str());
    owned_text read(vconf_get_str(name.c_str()));
    FUZZ_CHECK(read && value == read.get());
    std::vector<std::string> listed;
    vconf_store_list(name.c_str(), listed_cb, &listed);
    FUZZ_CHECK(std::find(listed.begin(), listed.end(), name) != listed.end(), "%s not listed", name.c_str());
    FUZZ_CHECK(vconf_unset(name.c_str()) == VCONF_OK);
    FUZZ_CHECK(vconf_store_type(name.c_str()) == VCONF_TYPE_NONE);
}

bool same_double(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

void check_file(std::string_view content)
{
    const fs::path file = key_file(FILE_KEY);
    fs::create_directories(file.parent_path());
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
    }
    char *why_raw = nullptr;
    int type = vconf_store_check(FILE_KEY, &why_raw);
    owned_text why(why_raw);
    FUZZ_CHECK(type != VCONF_TYPE_NONE, "an existing key file reads as missing");
    if (type == VCONF_ERROR) {
        FUZZ_CHECK(why && std::strchr(why.get(), '\n') == nullptr);
        FUZZ_CHECK(vconf_get_str(FILE_KEY) == nullptr);
        return;
    }
    FUZZ_CHECK(!why);
    std::string_view value = content.substr(content.find('\n') + 1);

    int number = 0;
    double real = 0;
    owned_text text(vconf_get_str(FILE_KEY));
    FUZZ_CHECK((text != nullptr) == (type == VCONF_TYPE_STRING));
    FUZZ_CHECK((vconf_get_int(FILE_KEY, &number) == VCONF_OK) == (type == VCONF_TYPE_INT));
    FUZZ_CHECK((vconf_get_bool(FILE_KEY, &number) == VCONF_OK) == (type == VCONF_TYPE_BOOL));
    FUZZ_CHECK((vconf_get_dbl(FILE_KEY, &real) == VCONF_OK) == (type == VCONF_TYPE_DOUBLE));
    owned_text shown(vconf_store_get_text(FILE_KEY));
    FUZZ_CHECK(shown != nullptr);

    switch (type) {
    case VCONF_TYPE_STRING:
        FUZZ_CHECK(text.get() == fuzz::c_string_part(value));
        FUZZ_CHECK(std::strcmp(shown.get(), text.get()) == 0);
        break;
    case VCONF_TYPE_INT: {
        int value_read = 0, again = 0;
        vconf_get_int(FILE_KEY, &value_read);
        FUZZ_CHECK(std::to_string(value_read) == shown.get());
        FUZZ_CHECK(vconf_set_int(FILE_KEY, value_read) == VCONF_OK);
        FUZZ_CHECK(vconf_get_int(FILE_KEY, &again) == VCONF_OK && again == value_read);
        break;
    }
    case VCONF_TYPE_BOOL: {
        int value_read = -1;
        vconf_get_bool(FILE_KEY, &value_read);
        FUZZ_CHECK(value_read == 0 || value_read == 1);
        FUZZ_CHECK(value == (value_read ? "1" : "0") || value.size() > 1, "bool \"%.*s\"",
                   static_cast<int>(value.size()), value.data());
        break;
    }
    case VCONF_TYPE_DOUBLE: {
        double value_read = 0, again = 0;
        vconf_get_dbl(FILE_KEY, &value_read);
        FUZZ_CHECK(vconf_set_dbl(FILE_KEY, value_read) == VCONF_OK);
        FUZZ_CHECK(vconf_get_dbl(FILE_KEY, &again) == VCONF_OK && same_double(again, value_read),
                   "%.17g read back as %.17g", value_read, again);
        break;
    }
    default:
        FUZZ_CHECK(false, "type %d", type);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::platform_dir();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string_view input = fuzz::as_text(data, size);
    std::size_t newline = input.find('\n');
    std::string name(fuzz::c_string_part(input.substr(0, newline)));
    std::string_view content = newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);

    check_name(name, std::string(fuzz::c_string_part(content)));
    check_file(content);
    fuzz::empty_dir(fuzz::platform_dir() + "/db");
    fuzz::empty_dir(fuzz::platform_dir() + "/run/memory");
    return 0;
}
