/*
 * The log box takes what one turn of the main loop writes in one change:
 * the text is the same as line by line, it is in the entry before the next
 * frame, a clear drops what was pending, and nothing pending outlives the
 * box.
 */
#include "fixture.h"

#include <string>

class LogBoxTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        open_test_view();
        settle();
    }
};

TEST_F(LogBoxTest, ATurnOfAppendsIsOneChangeWithTheSameText)
{
    Evas_Object *entry = entry_monitor_get_entry();
    ASSERT_NE(entry, nullptr);
    int changes = 0;
    Evas_Smart_Cb changed_cb = [](void *count, Evas_Object *, void *) { ++*static_cast<int *>(count); };
    evas_object_smart_callback_add(entry, "changed", changed_cb, &changes);

    append_entry_data("started", 1);
    std::string expected = "<br>started";
    for (int i = 0; i < 100; ++i) {
        std::string line = "load " + std::to_string(i);
        append_entry_data(line.c_str(), 0);
        expected += "<br>" + line;
    }
    append_entry_data_no_br(" C");
    expected += " C";

    /* One turn of the main loop puts it into the entry, before the frame. */
    ecore_main_loop_iterate();
    EXPECT_EQ(elm_entry_entry_get(entry), expected);
    settle();
    EXPECT_GE(changes, 1);
    EXPECT_LE(changes, 2) << "the clear and the text, not one change per line";
    evas_object_smart_callback_del(entry, "changed", changed_cb);
}

TEST_F(LogBoxTest, ClearDropsWhatIsPendingReadingTakesInTheRestAndTheBoxTakesItsOwn)
{
    append_entry_data("before", 1);
    append_entry_data("pending", 0);
    append_entry_data("after the clear", 1);
    append_entry_data_no_br(" C");
    /* Read at once, without a turn of the main loop. */
    EXPECT_EQ(log_text(), "<br>after the clear C");

    append_entry_data("next", 0);
    EXPECT_EQ(log_text(), "<br>after the clear C<br>next");
    EXPECT_EQ(elm_entry_cursor_pos_get(entry_monitor_get_entry()),
              static_cast<int>(std::string("\nafter the clear C\nnext").size()))
        << "the cursor, and so the view, at the end";

    // Pending text goes with the box.
    append_entry_data("written as the view is left", 0);
    ASSERT_TRUE(press_back());
    EXPECT_EQ(entry_monitor_get_entry(), nullptr);
    settle();

    open_test_view();
    settle();
    EXPECT_EQ(log_text().find("written as the view is left"), std::string::npos);
    append_entry_data("fresh", 1);
    EXPECT_EQ(log_text(), "<br>fresh");
}
