/*
 * LCD check: full brightness when the test view opens, the two hidden
 * buttons, and the backlight cycle through the device library (levels by
 * maximum, stop and continue, the real one-second timer).
 */
#include <fstream>
#include <vector>

#include "common.h"
#include "fixture.h"
#include "lcdcheck.h"

namespace {

class LcdCheckTest : public AppTest {
protected:
    /* The brightness values set so far, oldest first (the device library's
     * history file: "SECONDS DISPLAY VALUE" per line). */
    std::vector<int> brightness() const
    {
        std::ifstream in(dir_ + "/platform/run/device/brightness.history");
        std::vector<int> values;
        double when;
        int display, value;
        while (in >> when >> display >> value)
            values.push_back(value);
        return values;
    }

    static Evas_Object *button(const char *label)
    {
        for (int i = 0; i < button_count(); ++i)
            if (std::string(elm_object_text_get(button_at(i))) == label)
                return button_at(i);
        return nullptr;
    }

    /* The hidden button cannot be clicked; its handler is what a tap runs. */
    static void press_backlight()
    {
        evas_object_smart_callback_call(button("Backlight Check"), "clicked", nullptr);
    }
};

}  // namespace

TEST_F(LcdCheckTest, OpeningSetsFullBrightnessAndBothButtonsStayHidden)
{
    open_test_view();
    EXPECT_TRUE(logged("device_get_max_brightness ret=0, val=100"));
    for (auto [label, x, y] : {std::tuple{"Backlight Check", 890, 1455}, {"Reserved", 890, 1390}}) {
        Evas_Object *btn = button(label);
        ASSERT_NE(btn, nullptr) << label;
        int bx, by, bw, bh;
        evas_object_geometry_get(btn, &bx, &by, &bw, &bh);
        EXPECT_EQ(std::vector<int>({bx, by, bw, bh}), std::vector<int>({x, y, 210, 60})) << label;
        EXPECT_FALSE(evas_object_visible_get(btn)) << label;
        click_at(x + 105, y + 30);  // nothing there to tap
    }
    EXPECT_FALSE(logged("_btn_pixelcheck_cb("));
    EXPECT_FALSE(logged("_btn_backlightcheck_cb("));
    run_loop(1.3);
    EXPECT_EQ(brightness(), std::vector<int>{100}) << "the cycle runs without a start";
}

TEST_F(LcdCheckTest, LevelsFollowTheMaximumAndTheCycleContinuesWhereItStopped)
{
    set_int("db/device/display0/max_brightness", 7);
    open_test_view();
    press_backlight();
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(backlight_step_cb(nullptr), ECORE_CALLBACK_RENEW);
    EXPECT_EQ(brightness(), (std::vector<int>{7, 0, 2, 4, 7, 0}));
    backlight_step_cb(nullptr);  // 2

    press_backlight();  // stopped at 2: the timer stays frozen
    run_loop(1.5);
    EXPECT_EQ(brightness().size(), 7u);
    press_backlight();  // continues with 4 a second later
    for (int i = 0; i < 50 && brightness().size() < 8; ++i)
        run_loop(0.1);
    EXPECT_EQ(brightness(), (std::vector<int>{7, 0, 2, 4, 7, 0, 2, 4}));
    EXPECT_TRUE(logged("device_set_brightness ret=0, val=4"));
    press_backlight();

    // A failed read keeps the maximum known so far; a failed set is only logged.
    ASSERT_TRUE(press_back());
    set_int("db/device/display0/max_brightness", 50);
    set_int("memory/device/fail/device_get_max_brightness", -1);
    set_int("memory/device/fail/device_set_brightness", -2);
    open_test_view();
    EXPECT_TRUE(logged("device_get_max_brightness ret=-1, val=7"));
    EXPECT_TRUE(logged("device_set_brightness ret=-2 "));
    EXPECT_EQ(brightness().size(), 8u);
}
