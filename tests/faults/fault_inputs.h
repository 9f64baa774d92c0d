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
 * platform rewrites the value before it is read). */
enum class naming { required, unless_missing, never };

/* A key a program reads. A list carries a token and the separator its reader
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

/* One way a value can be bad: the key file's bytes (type line and value) and
 * the same fault in a plain input file; nullopt for a missing one; fifo: the
 * plain file is a FIFO. */
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
/* True when the reader must name the key in a log line: unreadable (as
 * input.named allows), or cut by a reader that says so. */
bool must_name(const key_case &c, const key_input &input);

/* File of a key in the platform directory dir. */
std::string key_path(const std::string &dir, const std::string &key);
/* Writes the key file as another program would; removes it for nullopt. */
void put_key(const std::string &dir, const std::string &key, const std::optional<std::string> &bytes);
/* Writes a plain file, directories created (nullopt: removed; fifo: a FIFO). */
void put_file(const std::string &path, const std::optional<std::string> &bytes, bool fifo = false);
std::string read_bytes(const std::string &path);
/* As root (who writes anywhere), hands root and every file below it to an
 * unprivileged user (65534); false when that fails. */
bool give_to_nobody(const std::string &root);
/* Sets the mode of dir and of every directory below it; false on a failure. */
bool chmod_dirs(const std::string &dir, unsigned mode);

/* Every key file below dir (db/ and run/memory/): key name -> bytes. */
using key_snapshot = std::map<std::string, std::string>;
key_snapshot snapshot_keys(const std::string &dir);
/* Keys added, removed or changed between two snapshots. */
std::vector<std::string> changed_keys(const key_snapshot &before, const key_snapshot &after);

/* A reference database bad in one way. make writes it at path (nothing for
 * the missing one) from the sample database. log: what the screens reading
 * tables must log; tool_status and tool_says: refdb-check's exit status and
 * a text of its output. */
struct db_case {
    const char *name;
    void (*make)(const std::string &path, const std::string &sample);
    std::vector<const char *> log;
    int tool_status;
    const char *tool_says;
};
const std::vector<db_case> &db_cases();

}  // namespace faults

#endif
