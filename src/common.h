/*
 * Helpers shared by the screens: the test-view button table, time stamps,
 * string replacement, the micom connection check, configuration-key reads
 * and the fixed-size text formatting that the screens' texts follow.
 */
#ifndef EM_COMMON_H
#define EM_COMMON_H

#include <Elementary.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#define BUTTON_TABLE_SIZE 15

/* Creates a button under parent at (x, y), w x h, raised, not shown, and
 * keeps it in the button table. The table holds 15 buttons; a 16th call is
 * refused (logged, NULL) rather than overrunning it. */
Evas_Object *add_menu_button(Evas_Object *parent, const char *style, const char *label, int x,
                             int y, int w, int h);
int button_count(void);
Evas_Object *button_at(int index);
/* Empties the table after its buttons were deleted. */
void button_table_reset(void);

/* Local time "%Y-%m-%d-%H:%M:%S", a dot and three digits, and a space, into
 * buffer (at least 28 bytes). Returns the text's length. */
int get_current_date(char *buffer);

void play_sound_button(void);

/* New copy of text with every non-overlapping old replaced by replacement
 * (free() it); text itself when old is empty; NULL when memory runs out. */
char *replaceAll(const char *text, const char *old, const char *replacement);

/* 1 when memory/refrigerator/ErrorList reports the micom link broken. */
int check_connection_error(void);

/* What snprintf leaves in a buffer of bufsize bytes: the formatted text cut
 * to at most bufsize - 1 bytes, at the end of the last whole UTF-8 character
 * that fits (ASCII text is cut exactly as snprintf cuts it). */
std::string format_cut(std::size_t bufsize, const char *fmt, ...)
    __attribute__((format(printf, 2, 3)));
/* text cut to at most max_chars bytes, never inside a UTF-8 character
 * (NULL gives ""). */
std::string cut_text(const char *text, std::size_t max_chars);
/* Length of the longest prefix of text (length bytes) that is at most max
 * bytes and does not end inside a UTF-8 multi-byte character. */
std::size_t utf8_cut_length(const char *text, std::size_t length, std::size_t max);

/* Text from outside (micom keys, files) made safe to show in a markup
 * widget: '&', '<', '>', '"' and '\'' become entities, so that the text is
 * shown as it stands and never becomes tags. */
std::string markup_escape(std::string_view text);

/* Key reads; nullopt when the key is missing or of another type. */
std::optional<std::string> key_get_str(const char *key);
std::optional<int> key_get_int(const char *key);

/* Panel language read into a 15-byte buffer; Korean when it begins with
 * "ko_KR". A missing key counts as not Korean. */
bool is_korean_language(void);

/* Path of a file under the application's resource directory. */
std::string app_res_path(std::string_view relative);

/* Text that a widget wraps at words, made to keep Korean words whole: the
 * toolkit may break a line between any two Hangul syllables, so a word
 * joiner (U+2060, invisible, no width) goes between the Hangul characters
 * of each run of at most 12 (a word); longer runs stay breakable, since
 * they must break somewhere. Markup passes unchanged (tags and entities
 * are ASCII). Applied to what the log box appends, the test view's text
 * parts and the main menu's guide; a reader of a widget's text (tests)
 * drops U+2060 to get the text as given. */
std::string keep_hangul_words(std::string_view text);

#endif
