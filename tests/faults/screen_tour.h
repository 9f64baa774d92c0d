/*
 * A person's tour of the application's screens on the buffer engine, shared
 * by the fault matrix and the endurance test: a healthy refrigerator to start
 * from, and each screen used as a person uses it (clicks at its buttons,
 * list taps, back; its one-second ticks called directly), each step checking
 * that its screen ended (nothing left blocked or running).
 */
#ifndef EM_SCREEN_TOUR_H
#define EM_SCREEN_TOUR_H

#include <string>

#include "fixture.h"

class ScreenTour : public AppTest {
public:
    /* A whole run of each screen (every tick, every row), or a short visit
     * (started, a few ticks, stopped as a person stops it). */
    enum class depth { whole, short_visit };

    /* Test-view screens, from the opening of the view to its leaving. */
    static void open_view(ScreenTour &t);
    static void system_info(ScreenTour &t);
    static void model_option(ScreenTour &t);
    static void load_status(ScreenTour &t);
    static void force_run(ScreenTour &t);
    static void control_option(ScreenTour &t);
    static void energy(ScreenTour &t);
    static void lcd_check(ScreenTour &t);
    static void error_history(ScreenTour &t);
    static void self_diagnosis(ScreenTour &t);
    static void leave_view(ScreenTour &t);
    /* Main-menu screens. */
    static void system_info_popup(ScreenTour &t);
    static void panel_function_test(ScreenTour &t);
    static void static_ip(ScreenTour &t);
    static void settings(ScreenTour &t);

    std::string platform() const { return dir_ + "/platform"; }
    std::string system_root() const { return dir_ + "/system"; }
    std::string db_path(const std::string &model) const;

protected:
    /* The fixture, quick naviframe transitions, the system files' root, an
     * energy thread that samples once per start, and a healthy refrigerator:
     * the link up, every key the screens read, the sample database, the
     * system files, an active radio with one access point. */
    void SetUp() override;

    /* What the micom writes while the self diagnosis runs (nothing here). */
    virtual void during_self_test() {}
    /* The micom's energy report: a write of the fourth watt key; false when
     * the energy screen's callback did not run. */
    virtual bool energy_report();

    static bool blocked();
    static void tick(Eina_Bool (*cb)(void *), int times);
    /* Taps a main-menu entry by its text. */
    void choose(const char *text);
    /* Presses back until the main menu is the only page. */
    void back_to_menu();
    /* The popup shown on top, or NULL. */
    static Evas_Object *popup();

    depth depth_ = depth::whole;
    Evas_Object *main_layout_ = nullptr;
};

#endif
