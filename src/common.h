/*
 * Helpers shared by the screens: the test-view button table, time stamps
 * and the micom connection check; with text_util.h, the configuration-key
 * reads, string replacement and the fixed-size text formatting that the
 * screens' texts follow.
 */
#ifndef EM_COMMON_H
#define EM_COMMON_H

#include <Elementary.h>

#include <string>
#include <string_view>

#include "text_util.h"

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

/* 1 when memory/refrigerator/ErrorList reports the micom link broken. */
int check_connection_error(void);

/* Clears *field when obj is deleted, if it still points to obj, so that no
 * record or accessor keeps a dangling widget pointer. One hook per object
 * and field, however often the same object is set again. */
void forget_on_del(Evas_Object *obj, Evas_Object **field);

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
