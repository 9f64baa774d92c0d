/*
 * Helpers shared by the screens.
 *
 * State: the table of the test view's buttons (15 places and a count).
 * Reads: memory/refrigerator/ErrorList (connection check). No timers.
 */
#include "common.h"

#include <app.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <sys/time.h>

#include "fridge-function-test/micom_answers.h"
#include "fridge-function-test/micom_channel.h"
#include "log.h"

namespace {

std::array<Evas_Object *, BUTTON_TABLE_SIZE> g_buttons{};
int g_button_count = 0;

}  // namespace

Evas_Object *add_menu_button(Evas_Object *parent, const char *style, const char *label, int x,
                             int y, int w, int h)
{
    LOGD("START");
    /* The test view uses 10 of the 15 places; refusing an extra button keeps
     * a repeated build from writing past the table. */
    RETV_IF(g_button_count >= BUTTON_TABLE_SIZE, nullptr);
    Evas_Object *button = elm_button_add(parent);
    RETV_IF(NULL == button, nullptr);
    g_buttons[g_button_count] = button;
    elm_object_text_set(button, label);
    elm_object_style_set(button, style);
    evas_object_move(button, x, y);
    evas_object_resize(button, w, h);
    evas_object_raise(button);
    g_button_count++;
    return button;
}

int button_count(void)
{
    return g_button_count;
}

Evas_Object *button_at(int index)
{
    if (index < 0 || index >= g_button_count)
        return nullptr;
    return g_buttons[index];
}

void button_table_reset(void)
{
    g_buttons.fill(nullptr);
    g_button_count = 0;
}

int get_current_date(char *buffer)
{
    if (!buffer)
        return 0;
    time_t now = time(nullptr);
    struct timeval tv;
    gettimeofday(&tv, nullptr);
    struct tm local;
    localtime_r(&now, &local);
    char date[20];
    strftime(date, sizeof date, "%Y-%m-%d-%H:%M:%S", &local);
    /* ".%04ld" into 5 bytes keeps the dot and the first three digits. */
    std::string fraction = format_cut(5, ".%04ld", (long)(tv.tv_usec / 1000));
    return snprintf(buffer, 28, "%s%s ", date, fraction.c_str());
}

void play_sound_button(void)
{
    LOGD("START");
}

int check_connection_error(void)
{
    std::optional<std::string> list = key_get_str(VCONFKEY_REFRIGERATOR_ERROR_LIST);
    if (!list)
        return 1;
    return error_list_connection_error(*list);
}

namespace {

void forget_cb(void *data, Evas *, Evas_Object *deleted, void *)
{
    auto **slot = static_cast<Evas_Object **>(data);
    if (*slot == deleted)
        *slot = nullptr;
}

}  // namespace

void forget_on_del(Evas_Object *obj, Evas_Object **field)
{
    evas_object_event_callback_del_full(obj, EVAS_CALLBACK_DEL, forget_cb, field);
    evas_object_event_callback_add(obj, EVAS_CALLBACK_DEL, forget_cb, field);
}

std::string app_res_path(std::string_view relative)
{
    std::unique_ptr<char, decltype(&free)> dir(app_get_resource_path(), &free);
    std::string path = dir ? dir.get() : "";
    path += relative;
    return path;
}

namespace {

/* Hangul characters of one word joined at most; see keep_hangul_words. */
constexpr std::size_t HANGUL_WORD_MAX = 12;
constexpr std::string_view WORD_JOINER = "\u2060";

/* Whether text holds, at pos, a Hangul syllable (U+AC00..U+D7A3) or a
 * Hangul compatibility letter (U+3131..U+318E): three UTF-8 bytes. */
bool hangul_at(std::string_view text, std::size_t pos)
{
    if (pos + 3 > text.size())
        return false;
    auto b0 = static_cast<unsigned char>(text[pos]);
    auto b1 = static_cast<unsigned char>(text[pos + 1]);
    auto b2 = static_cast<unsigned char>(text[pos + 2]);
    if ((b0 & 0xF0) != 0xE0 || (b1 & 0xC0) != 0x80 || (b2 & 0xC0) != 0x80)
        return false;
    char32_t cp = ((b0 & 0x0Fu) << 12) | ((b1 & 0x3Fu) << 6) | (b2 & 0x3Fu);
    return (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0x3131 && cp <= 0x318E);
}

}  // namespace

std::string keep_hangul_words(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (hangul_at(text, end))
            end += 3;
        if (end == pos) {
            out += text[pos++];
            continue;
        }
        std::size_t count = (end - pos) / 3;
        for (std::size_t i = 0; i < count; ++i) {
            if (i > 0 && count <= HANGUL_WORD_MAX)
                out += WORD_JOINER;
            out.append(text.substr(pos + 3 * i, 3));
        }
        pos = end;
    }
    return out;
}
