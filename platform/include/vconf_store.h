/*
 * Desktop-only extras of the key store, used by the key tool, the micom
 * service and tests. The panel application never includes this header.
 */
#ifndef PANEL_VCONF_STORE_H
#define PANEL_VCONF_STORE_H

#include "vconf.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The largest value a key holds, in bytes (a string's length): 1 MiB.
 * Setters refuse larger values; a larger key file is refused on read. */
#define VCONF_STORE_VALUE_MAX (1024 * 1024)

/* The platform directory in use (PANEL_PLATFORM_DIR or the default),
 * created if missing. Never NULL; the text belongs to the library. */
const char *vconf_store_dir(void);

/* 1 when the key name is acceptable to the store, 0 otherwise. */
int vconf_store_key_valid(const char *key);

/* Calls fn for every key whose name starts with prefix (all keys for NULL
 * or ""), in name order. Returns the number of keys visited or -1. */
typedef void (*vconf_store_list_fn)(const char *key, void *user_data);
int vconf_store_list(const char *prefix, vconf_store_list_fn fn, void *user_data);

/* Type of a stored key (enum vconf_t), VCONF_TYPE_NONE when missing, when
 * it cannot be read (see vconf_store_check) or when the name is refused.
 * Logs nothing. */
int vconf_store_type(const char *key);

/* What a key holds, telling a missing key from one that cannot be read:
 * its type (enum vconf_t) when it holds a readable value, VCONF_TYPE_NONE
 * when it does not exist, VCONF_ERROR when it cannot be read: a refused
 * name, a damaged file (no type line, a bad number), a file that is no
 * regular file, a link, a file larger than the bound, a directory on the way
 * that is a link, or a part of the store that cannot be used. For
 * VCONF_ERROR, when why is not NULL, *why receives a malloc'ed one-line
 * reason the caller frees (else *why is set to NULL). Logs nothing. */
int vconf_store_check(const char *key, char **why);

/* Value of any type rendered as text (ints and bools in decimal). Returns a
 * malloc'ed string or NULL when the key is missing. Logs nothing. */
char *vconf_store_get_text(const char *key);

/* Marks a key read-only (readonly 1) or writable again (0), as the
 * platform's access control would: while marked, every setter and
 * vconf_unset of the key fails with VCONF_ERROR and the error line
 * "FUNCTION: "KEY" is read-only: write refused", and the stored value (or its
 * absence) stays as it is. Reading is not affected. The key need not exist.
 * The mark is the file KEYFILE.ro beside the key's file. Returns VCONF_OK,
 * or VCONF_ERROR (logged) for a refused name or an I/O failure. */
int vconf_store_set_readonly(const char *key, int readonly);

/* 1 when the key is marked read-only, 0 otherwise (refused names included).
 * Logs nothing. */
int vconf_store_is_readonly(const char *key);

/* Registers cb for every key whose name begins with prefix: those that exist
 * and those created later, in directories created later too. prefix is the
 * beginning of a key name: "db/" or "memory/", whole directory names, then
 * possibly part of a name ("memory/refrigerator/", "db/refrigerator/RefOption").
 * The callback gets the node of the key that changed, as for
 * vconf_notify_key_changed, once per write and removal. A directory made
 * after the registration is watched when its creation is reported (within
 * milliseconds); the keys written into it before are reported then, once
 * each with the value they hold, so such early writes of one key may be told
 * as one, and one of them may be told twice.
 * When the kernel's event queue overflows, every key of the prefix is
 * reported once. A directory watched for a prefix costs one event more per
 * write (its temporary file's creation). The same (prefix, cb) pair may be
 * registered once. Returns VCONF_OK, or VCONF_ERROR (logged) for a refused
 * prefix, a NULL callback or a store that cannot be watched. */
int vconf_store_notify_prefix(const char *prefix, vconf_callback_fn cb, void *user_data);
int vconf_store_ignore_prefix(const char *prefix, vconf_callback_fn cb);

#ifdef __cplusplus
}
#endif

#endif
