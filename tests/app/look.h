/*
 * What the look tests share: geometry, the WCAG contrast of the window's
 * pixels as the buffer engine renders them, the text objects drawn on the
 * canvas, where a textblock wrapped its lines, and a fixture with the window
 * focused (as on a panel), the sample database installed and the micom link
 * up.
 */
#ifndef EM_TEST_LOOK_H
#define EM_TEST_LOOK_H

#include <Ecore_Evas.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
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
    rect at = geometry(layout), r{};
    edje_object_part_geometry_get(elm_layout_edje_get(layout), part, &r.x, &r.y, &r.w, &r.h);
    return {at.x + r.x, at.y + r.y, r.w, r.h};
}

/* WCAG contrast ratio of two opaque 0xAARRGGBB pixels. */
inline double contrast(uint32_t a, uint32_t b)
{
    auto luminance = [](uint32_t pixel) {
        double l = 0;
        for (auto [shift, weight] : {std::pair{16, 0.2126}, {8, 0.7152}, {0, 0.0722}}) {
            double c = ((pixel >> shift) & 0xFF) / 255.0;
            l += weight * (c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        return l;
    };
    double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

/* The largest difference of one colour channel. */
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
    /* Calls f with each pixel of the area cut to the window. */
    template <class F> void each(const rect &r, F f) const
    {
        for (int y = std::max(r.y, 0); y < std::min(r.y + r.h, height); ++y)
            for (int x = std::max(r.x, 0); x < std::min(r.x + r.w, width); ++x)
                f(at(x, y));
    }

    /* The colour most pixels of the area have: what the text stands on. */
    uint32_t background(const rect &area) const
    {
        std::map<uint32_t, int> count;
        each(area, [&](uint32_t p) { count[p]++; });
        auto most = std::max_element(count.begin(), count.end(),
                                     [](auto &a, auto &b) { return a.second < b.second; });
        return most == count.end() ? 0 : most->first;
    }
    /* The pixel that stands out most from the background: the full colour
     * of the text in the cores of its strokes. */
    uint32_t text_colour(const rect &area, uint32_t bg) const
    {
        uint32_t best = bg;
        each(area, [&](uint32_t p) { best = contrast(p, bg) > contrast(best, bg) ? p : best; });
        return best;
    }
    /* Contrast of the text drawn in the area against what it stands on. */
    double text_contrast(const rect &area) const
    {
        uint32_t bg = background(area);
        return contrast(text_colour(area, bg), bg);
    }
    /* How far the area's pixels stray from a colour. */
    int spread(const rect &area, uint32_t colour) const
    {
        int d = 0;
        each(area, [&](uint32_t p) { d = std::max(d, channel_distance(p, colour)); });
        return d;
    }
    bool uniform(const rect &area) const { return spread(area, at(std::max(area.x, 0), std::max(area.y, 0))) == 0; }
};

/* A text or textblock object drawn on the canvas, with its text as set
 * (markup for a textblock). */
struct drawn_text {
    std::string text;
    rect area;
    Evas_Object *object;
};

/* The topmost visible text object of the window whose text, without word
 * joiners, contains what; object NULL when there is none. */
inline drawn_text find_text(Evas_Object *win, const std::string &what)
{
    drawn_text found{"", {0, 0, 0, 0}, nullptr};
    std::function<void(Evas_Object *)> visit = [&](Evas_Object *obj) {
        if (!evas_object_visible_get(obj))
            return;
        const char *type = evas_object_type_get(obj);
        const char *t = !type ? nullptr
                        : !strcmp(type, "text")      ? evas_object_text_text_get(obj)
                        : !strcmp(type, "textblock") ? evas_object_textblock_text_markup_get(obj)
                                                     : nullptr;
        std::string text = t ? t : "";
        for (std::size_t at; (at = text.find("\u2060")) != std::string::npos;)
            text.erase(at, 3);
        if (t && text.find(what) != std::string::npos && geometry(obj).w > 0 && geometry(obj).h > 0)
            found = {t, geometry(obj), obj};
        if (!is_smart_object(obj))
            return;
        Eina_List *members = evas_object_smart_members_get(obj);
        void *member;
        EINA_LIST_FREE(members, member)
            visit(static_cast<Evas_Object *>(member));
    };
    for (Evas_Object *o = evas_object_bottom_get(evas_object_evas_get(win)); o; o = evas_object_above_get(o))
        visit(o);
    return found;
}

/* Checks that the textblock wraps (the text is long enough) and that each
 * line starting inside a paragraph (a wrap, not a line break) was broken
 * after a space, not inside a word. */
inline void expect_wraps_between_words(const Evas_Object *textblock)
{
    int wraps = 0;
    Evas_Textblock_Cursor *cur = evas_object_textblock_cursor_new(textblock);
    evas_textblock_cursor_paragraph_first(cur);
    int line = evas_textblock_cursor_line_geometry_get(cur, nullptr, nullptr, nullptr, nullptr);
    std::string previous;
    const Evas_Object_Textblock_Node_Format *paragraph = nullptr;
    do {
        int now = evas_textblock_cursor_line_geometry_get(cur, nullptr, nullptr, nullptr, nullptr);
        char *content = evas_textblock_cursor_content_get(cur);
        const Evas_Object_Textblock_Node_Format *format = evas_textblock_cursor_format_get(cur);
        if (now != line && !previous.empty() && previous != "\n" && previous.front() != '<' && format == paragraph) {
            wraps++;
            EXPECT_EQ(previous, " ") << "a line was broken after \"" << previous << "\", inside a word";
        }
        line = now;
        previous = content ? content : "";
        paragraph = format;
        free(content);
    } while (evas_textblock_cursor_char_next(cur));
    evas_textblock_cursor_free(cur);
    EXPECT_GT(wraps, 0) << "the text is long enough to wrap";
}

/* The application with its window focused, the sample database installed
 * and the micom link up. */
class LookTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        /* The focus manager works as on a panel, whose window has the focus. */
        ecore_evas_focus_set(ecore_evas_ecore_evas_get(evas_object_evas_get(ad_->win)), EINA_TRUE);
        std::ifstream sql(std::filesystem::path(__FILE__).parent_path() / "../../tools/refdb/engineer_mode.sql");
        std::stringstream text;
        text << sql.rdbuf();
        ASSERT_FALSE(text.str().empty()) << "the sample database's SQL was not found";
        make_db("RF-DEMO-01", text.str());
        set_str("memory/refrigerator/ErrorList", "E");  // the micom link is up
        run_loop(0.05);
    }
    /* Checks that the text drawn in the area reads at 4.5:1 or better on
     * what it stands on, as rendered now; returns the contrast. */
    double expect_readable(const rect &area, const std::string &what) const
    {
        double measured = snapshot(ad_->win).text_contrast(area);
        EXPECT_GE(measured, 4.5) << what;
        return measured;
    }
};

}  // namespace look

#endif
