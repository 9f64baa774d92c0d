/*
 * The bad inputs of the fault matrix, as data: what a damaged or hostile key
 * file, input file or reference database holds. The application's matrix and
 * the tools' matrix apply the same cases to what each program reads.
 */
#ifndef EM_FAULT_INPUTS_H
#define EM_FAULT_INPUTS_H

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace faults {

enum class kind { integer, boolean, string };

/* When a reader must name a key it cannot use in a log line: always; not
 * when it is missing (a missing key has a documented meaning); never (the
 * value is rewritten by the platform before it is read). */
enum class naming { required, unless_missing, never };

/* A key a program reads. Lists carry a token and the separator the reader
 * splits at, so that "10,000 tokens" are tokens the reader looks at;
 * says_cut: the reader logs when it cuts a long value. */
struct key_input {
    const char *key;
    kind type;
    const char *token = "7";
    const char *separator = " ";
    bool says_cut = false;
    naming named = naming::required;
};

/* One way a value can be bad: the key file's bytes (type line and value), or
 * nullopt for a missing key; the same fault in a plain input file (nullopt:
 * missing; a file that is a FIFO when fifo is set). */
struct key_case {
    const char *name;
    std::optional<std::string> (*key_file)(const key_input &input);
    std::optional<std::string> (*plain_file)(const key_input &input);
    bool fifo;
};

/* missing, wrong type, 1 MiB, binary, 10,000 tokens, 200-digit numbers,
 * negative numbers, no terminator. */
const std::vector<key_case> &key_cases();

/* True when the key store refuses to hand the value out. */
bool unreadable(const key_case &c, const key_input &input);
/* True when the reader must say in a log line that it could not use the
 * key's value: unreadable (as input.named allows), or cut by a reader that
 * says so. */
bool must_name(const key_case &c, const key_input &input);
/* True when the value is read but longer than a reader keeps. */
bool overlong(const key_case &c, const key_input &input);

/* File of a key in the platform directory dir. */
std::string key_path(const std::string &dir, const std::string &key);
/* Writes the key file as another program would (opened, written, closed,
 * directories created); removes it for nullopt. */
void put_key(const std::string &dir, const std::string &key, const std::optional<std::string> &bytes);
/* Writes a plain file (nullopt: removed; fifo: a FIFO in its place). */
void put_file(const std::string &path, const std::optional<std::string> &bytes, bool fifo = false);

/* Every key file below dir (db/ and run/memory/): key name -> bytes. */
using key_snapshot = std::map<std::string, std::string>;
key_snapshot snapshot_keys(const std::string &dir);
/* Keys added, removed or changed between two snapshots. */
std::vector<std::string> changed_keys(const key_snapshot &before, const key_snapshot &after);
/* Puts every key back as the snapshot has it (and removes keys it lacks). */
void restore_keys(const std::string &dir, const key_snapshot &snapshot);

/* A reference database that is bad in one way. make writes the file at path
 * (nothing for the missing one) from the sample database sample. log: what
 * the screens reading tables must log; tool_status: refdb-check's exit
 * status; tool_says: a text of its output. */
struct db_case {
    const char *name;
    void (*make)(const std::string &path, const std::string &sample);
    std::vector<const char *> log;
    int tool_status;
    const char *tool_says;
};
const std::vector<db_case> &db_cases();

std::string read_bytes(const std::string &path);

}  // namespace faults

#endif
