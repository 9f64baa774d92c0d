/*
 * What the look tests share: geometry, the WCAG contrast of rendered
 * pixels, the window's pixels as the buffer engine renders them, the text
 * objects drawn on the canvas, where a textblock wrapped its lines, the
 * toolkit's error lines, and a fixture with the window focused (as on a
 * panel), the sample database installed and the micom link up.
 */
#ifndef EM_TEST_LOOK_H
#define EM_TEST_LOOK_H

#include <Ecore_Evas.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "fixture.h"

namespace look {

struct rect {
    int x, y, w, h;
};

inline bool overlaps(const rect &a, const rect &b)
{
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

inline rect geometry(const Evas_Object *obj)
{
    rect r{};
    evas_object_geometry_get(obj, &r.x, &r.y, &r.w, &r.h);
    return r;
}

/* A part of a layout, in canvas coordinates. */
inline rect part_geometry(Evas_Object *layout, const char *part)
{
    rect at = geometry(layout);
    rect r{};
    edje_object_part_geometry_get(elm_layout_edje_get(layout), part, &r.x, &r.y, &r.w, &r.h);
    return {at.x + r.x, at.y + r.y, r.w, r.h};
}

/* WCAG relative luminance of an opaque 0xAARRGGBB pixel. */
inline double luminance(uint32_t pixel)
{
    auto channel = [](uint32_t value) {
        double c = value / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel((pixel >> 16) & 0xFF) + 0.7152 * channel((pixel >> 8) & 0xFF) +
           0.0722 * channel(pixel & 0xFF);
}

inline double contrast(uint32_t a, uint32_t b)
{
    double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

inline int channel_distance(uint32_t a, uint32_t b)
{
    int d = 0;
    for (int shift : {0, 8, 16})
        d = std::max(d, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return d;
}

/* The window as rendered now. */
struct snapshot {
    std::vector<uint32_t> pixels;
    int width = 0;
    int height = 0;

    explicit snapshot(Evas_Object *win)
    {
        Ecore_Evas *ee = ecore_evas_ecore_evas_get(evas_object_evas_get(win));
        ecore_evas_geometry_get(ee, nullptr, nullptr, &width, &height);
        auto *data = static_cast<const uint32_t *>(ecore_evas_buffer_pixels_get(ee));
        if (data)
            pixels.assign(data, data + std::size_t(width) * height);
    }
    uint32_t at(int x, int y) const { return pixels.at(std::size_t(y) * width + x) | 0xFF000000u; }
    /* The area cut to the window. */
    rect inside(const rect &r) const
    {
        int x1 = std::max(r.x, 0), y1 = std::max(r.y, 0);
        int x2 = std::min(r.x + r.w, width), y2 = std::min(r.y + r.h, height);
        return {x1, y1, std::max(x2 - x1, 0), std::max(y2 - y1, 0)};
    }

    /* The colour most pixels of the area have: what the text stands on. */
    uint32_t background(const rect &area) const
    {
        rect r = inside(area);
        std::map<uint32_t, int> count;
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x)
                count[at(x, y)]++;
        if (count.empty())
            return 0;
        return std::max_element(count.begin(), count.end(),
                                [](auto &a, auto &b) { return a.second < b.second; })
            ->first;
    }
    /* The pixel of the area that stands out most from its background: the
     * full colour of the text in the cores of its strokes. */
    uint32_t text_colour(const rect &area, uint32_t bg) const
    {
        rect r = inside(area);
        uint32_t best = bg;
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x)
                if (contrast(at(x, y), bg) > contrast(best, bg))
                    best = at(x, y);
        return best;
    }
    /* Contrast of the text drawn in the area against what it stands on. */
    double text_contrast(const rect &area) const
    {
        uint32_t bg = background(area);
        return contrast(text_colour(area, bg), bg);
    }
    /* How far the area's pixels stray from a colour (largest channel
     * distance). */
    int spread(const rect &area, uint32_t colour) const
    {
        rect r = inside(area);
        int d = 0;
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x)
                d = std::max(d, channel_distance(at(x, y), colour));
        return d;
    }
    /* Whether every pixel of the area has the same colour. */
    bool uniform(const rect &area) const
    {
        rect r = inside(area);
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x)
                if (at(x, y) != at(r.x, r.y))
                    return false;
        return true;
    }
};

/* A text or textblock object drawn on the canvas, with its text as set
 * (markup for a textblock). */
struct drawn_text {
    std::string text;
    rect area;
    Evas_Object *object;
};

/* Whether obj has members: a smart object, not a basic one (rectangle,
 * text, image ...), on which the canvas refuses the smart calls. */
inline bool is_smart(const Evas_Object *obj)
{
    const char *type = evas_object_type_get(obj);
    for (const char *basic : {"rectangle", "text", "textblock", "textgrid", "image", "line",
                              "polygon", "vectors", "vg"})
        if (type && !strcmp(type, basic))
            return false;
    return type != nullptr;
}

inline void collect_texts(Evas_Object *obj, std::vector<drawn_text> &out)
{
    if (!evas_object_visible_get(obj))
        return;
    const char *type = evas_object_type_get(obj);
    if (type && !strcmp(type, "text")) {
        const char *t = evas_object_text_text_get(obj);
        out.push_back({t ? t : "", geometry(obj), obj});
    } else if (type && !strcmp(type, "textblock")) {
        const char *t = evas_object_textblock_text_markup_get(obj);
        out.push_back({t ? t : "", geometry(obj), obj});
    }
    if (!is_smart(obj))
        return;
    Eina_List *members = evas_object_smart_members_get(obj);
    void *member;
    EINA_LIST_FREE(members, member)
        collect_texts(static_cast<Evas_Object *>(member), out);
}

/* Every visible text object of the window's canvas, top-level first. */
inline std::vector<drawn_text> drawn_texts(Evas_Object *win)
{
    std::vector<drawn_text> out;
    Evas *evas = evas_object_evas_get(win);
    for (Evas_Object *o = evas_object_bottom_get(evas); o; o = evas_object_above_get(o))
        collect_texts(o, out);
    return out;
}

/* The topmost text object whose text, without word joiners, contains what
 * (the last drawn), with its area; object NULL when there is none. */
inline drawn_text find_text(Evas_Object *win, const std::string &what)
{
    drawn_text found{"", {0, 0, 0, 0}, nullptr};
    for (const drawn_text &t : drawn_texts(win)) {
        std::string text = t.text;
        for (std::size_t at; (at = text.find("\u2060")) != std::string::npos;)
            text.erase(at, 3);
        if (text.find(what) != std::string::npos && t.area.w > 0 && t.area.h > 0)
            found = t;
    }
    return found;
}

/* Lines of a textblock that start inside a paragraph (a wrap, not a line
 * break of the text), each with the character before the break. */
inline std::vector<std::string> chars_before_wraps(const Evas_Object *textblock)
{
    std::vector<std::string> before;
    Evas_Textblock_Cursor *cur = evas_object_textblock_cursor_new(textblock);
    evas_textblock_cursor_paragraph_first(cur);
    int line = evas_textblock_cursor_line_geometry_get(cur, nullptr, nullptr, nullptr, nullptr);
    std::string previous;
    const Evas_Object_Textblock_Node_Format *paragraph = nullptr;
    do {
        int now = evas_textblock_cursor_line_geometry_get(cur, nullptr, nullptr, nullptr, nullptr);
        char *content = evas_textblock_cursor_content_get(cur);
        std::string here = content ? content : "";
        free(content);
        const Evas_Object_Textblock_Node_Format *format = evas_textblock_cursor_format_get(cur);
        if (now != line && !previous.empty() && previous != "\n" && previous.front() != '<' &&
            format == paragraph)
            before.push_back(previous);
        line = now;
        previous = here;
        paragraph = format;
    } while (evas_textblock_cursor_char_next(cur));
    evas_textblock_cursor_free(cur);
    return before;
}

/* Each ERR or CRI line of the toolkit's log; other lines go on to stderr. */
inline std::vector<std::string> toolkit_errors;

inline void toolkit_log_cb(const Eina_Log_Domain *domain, Eina_Log_Level level, const char *file,
                           const char *fnc, int line, const char *fmt, void *data, va_list args)
{
    if (level <= EINA_LOG_LEVEL_ERR) {
        va_list copy;
        va_copy(copy, args);
        char message[512];
        vsnprintf(message, sizeof message, fmt, copy);
        va_end(copy);
        toolkit_errors.push_back(std::string(domain ? domain->name : "?") + ": " +
                                 (fnc ? fnc : "?") + ": " + message);
    }
    eina_log_print_cb_stderr(domain, level, file, fnc, line, fmt, data, args);
}

inline std::string sample_database_sql()
{
    std::filesystem::path sql =
        std::filesystem::path(__FILE__).parent_path() / "../../tools/refdb/engineer_mode.sql";
    std::ifstream in(sql);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

/* The application with its window focused, the sample database installed
 * and the micom link up; the toolkit's error lines collected. */
class LookTest : public AppTest {
protected:
    void SetUp() override
    {
        toolkit_errors.clear();
        eina_log_print_cb_set(toolkit_log_cb, nullptr);
        AppTest::SetUp();
        eina_log_print_cb_set(toolkit_log_cb, nullptr);
        /* A panel's window has the focus: the focus manager works as it does
         * on the display. */
        ecore_evas_focus_set(ecore_evas_ecore_evas_get(evas_object_evas_get(ad_->win)),
                             EINA_TRUE);
        std::string sql = sample_database_sql();
        ASSERT_FALSE(sql.empty()) << "the sample database's SQL was not found";
        make_db("RF-DEMO-01", sql);
        set_str("memory/refrigerator/ErrorList", "E");  // the micom link is up
        run_loop(0.05);
    }
    void TearDown() override
    {
        AppTest::TearDown();
        eina_log_print_cb_set(eina_log_print_cb_stderr, nullptr);
    }
    /* The toolkit's error lines since the last call, one per line. */
    static std::string errors()
    {
        std::string all;
        for (const std::string &line : toolkit_errors)
            all += line + "\n";
        toolkit_errors.clear();
        return all;
    }
};

}  // namespace look

#endif
