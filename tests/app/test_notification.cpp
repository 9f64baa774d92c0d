/*
 * The notification library's toast in a running application: the message
 * shown as it stands near the bottom of the window, one toast at a time,
 * letting clicks through, gone after three seconds.
 */
#include <notification.h>

#include "fixture.h"

namespace {

Evas_Object *toast()
{
    return evas_object_name_find(evas_object_evas_get(appdata_get_win()), "notification_toast");
}

}  // namespace

class NotificationToastTest : public AppTest {};

TEST_F(NotificationToastTest, ShowsTheNewestMessageOverTheWindowForThreeSeconds)
{
    ASSERT_EQ(notification_status_message_post("first"), NOTIFICATION_ERROR_NONE);
    Evas_Object *first = toast();
    ASSERT_NE(first, nullptr);
    bool first_gone = false;
    evas_object_event_callback_add(
        first, EVAS_CALLBACK_DEL, [](void *d, Evas *, Evas_Object *, void *) { *static_cast<bool *>(d) = true; },
        &first_gone);

    const char *markup = "<b>bold</b> & <br>";
    ASSERT_EQ(notification_status_message_post(markup), NOTIFICATION_ERROR_NONE);
    EXPECT_TRUE(first_gone) << "a newer message replaces the toast";
    Evas_Object *shown = toast();
    ASSERT_NE(shown, nullptr);
    EXPECT_STREQ(elm_object_part_text_get(shown, "elm.text"), markup);
    EXPECT_TRUE(evas_object_visible_get(shown));

    int x, y, w, h;  // centred in the lower half of the 1080 x 1645 window
    evas_object_geometry_get(shown, &x, &y, &w, &h);
    EXPECT_GT(w, 100);
    EXPECT_NEAR(x + w / 2, 540, 2);
    EXPECT_GT(y, 1645 / 2);
    EXPECT_LE(y + h, 1645);

    /* A click on the toast reaches the main menu below it. */
    Evas *evas = evas_object_evas_get(appdata_get_win());
    Evas_Object *below = evas_object_top_at_xy_get(evas, x + w / 2, y + h / 2, EINA_FALSE, EINA_FALSE);
    EXPECT_NE(below, nullptr);
    for (Evas_Object *o = below; o; o = evas_object_smart_parent_get(o))
        EXPECT_NE(o, shown);

    run_loop(2.0);
    EXPECT_EQ(toast(), shown);
    run_loop(1.5);
    EXPECT_EQ(toast(), nullptr);
}
