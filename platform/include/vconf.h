/*
 * Key-value configuration store of the panel platform (desktop stand-in).
 *
 * Keys are slash-separated names such as "memory/refrigerator/TxMessage" or
 * "db/menu_widget/language". Keys under "db/" persist; keys under "memory/"
 * are volatile (a fresh platform starts without them). Every key holds one
 * typed value: int, bool, double or string.
 *
 * The store lives in the directory named by PANEL_PLATFORM_DIR (default:
 * $XDG_RUNTIME_DIR/panel-platform, or /tmp/panel-platform-UID). Several
 * processes share it. Writes are atomic: a reader sees the old or the new
 * value, never a mix. A value holds at most 1 MiB (VCONF_STORE_VALUE_MAX of
 * vconf_store.h); larger ones are refused. Nothing below the directory is
 * reached through a link, and a key file that is no regular file (a link, a
 * FIFO, a device) or is larger than the bound fails to read at once. When
 * the volatile part cannot be used, "memory/" keys fail with the reason and
 * "db/" keys keep working.
 *
 * Change notifications are delivered on the Ecore main loop of the process
 * that registered them: one callback for every write through this library by
 * any process, including a write of the value the key already holds and many
 * writers at once, and one for every removal. Changes made in place by other
 * programs may be merged by the kernel, and when the process's kernel event
 * queue overflows every registration gets one callback instead of the lost
 * ones; in every case a registration's last callback comes after its key's
 * last change and shows the value then. The library needs Ecore (not
 * Elementary) only when notifications are used.
 *
 * All functions return VCONF_OK (0) on success and VCONF_ERROR (-1) on
 * failure: missing key, value of another type, refused key name, I/O error.
 * The reason of the last failure is logged at error level with tag "VCONF".
 * Types are strict: a getter fails on a key of another type (vconf_get_int
 * on a bool key, vconf_get_str on an int key); a setter gives the key its
 * own type. Getters and setters may be called from any thread and need no
 * Ecore; registration and the callbacks belong to the main-loop thread.
 */
#ifndef PANEL_VCONF_H
#define PANEL_VCONF_H

#ifdef __cplusplus
extern "C" {
#endif

#define VCONF_OK 0
#define VCONF_ERROR (-1)

enum vconf_t {
    VCONF_TYPE_NONE = 0,
    VCONF_TYPE_STRING = 40,
    VCONF_TYPE_INT = 41,
    VCONF_TYPE_DOUBLE = 42,
    VCONF_TYPE_BOOL = 43,
    VCONF_TYPE_DIR
};

/* A key and its value as handed to a change callback. Valid only during
 * the callback. */
typedef struct _keynode_t keynode_t;

typedef void (*vconf_callback_fn)(keynode_t *node, void *user_data);

int vconf_set_int(const char *in_key, const int intval);
int vconf_set_bool(const char *in_key, const int boolval);
int vconf_set_dbl(const char *in_key, const double dblval);
int vconf_set_str(const char *in_key, const char *strval);

/* Getters leave *out untouched on failure. */
int vconf_get_int(const char *in_key, int *intval);
int vconf_get_bool(const char *in_key, int *boolval);
int vconf_get_dbl(const char *in_key, double *dblval);
/* Returns a malloc'ed copy the caller frees, or NULL on failure. */
char *vconf_get_str(const char *in_key);

/* Removes the key (fails when it does not exist). Watchers are told (their
 * node has type VCONF_TYPE_NONE). */
int vconf_unset(const char *in_key);

/* Registers cb for changes of in_key. The same (key, cb) pair may be
 * registered once; a second registration fails. The callback runs on the
 * Ecore main loop, once per write (a write of the same value included; see
 * above for the kernel's limits); the first registration initialises Ecore
 * if the process has not. A callback may register and unregister (itself
 * included). */
int vconf_notify_key_changed(const char *in_key, vconf_callback_fn cb, void *user_data);
int vconf_ignore_key_changed(const char *in_key, vconf_callback_fn cb);

const char *vconf_keynode_get_name(keynode_t *keynode);
int vconf_keynode_get_type(keynode_t *keynode);
int vconf_keynode_get_int(keynode_t *keynode);
int vconf_keynode_get_bool(keynode_t *keynode);
double vconf_keynode_get_dbl(keynode_t *keynode);
/* Belongs to the node; copy it to keep it. The typed node getters return
 * 0 (NULL for the string) when the node holds another type. */
const char *vconf_keynode_get_str(keynode_t *keynode);

#ifdef __cplusplus
}
#endif

#endif
