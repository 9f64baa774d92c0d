/*
 * The test view's figures, measured in one process with the application's
 * code, on the canvas the environment chooses (the X engine when DISPLAY is
 * set, the buffer engine with ELM_DISPLAY=buffer):
 *
 * - start phases: where the start-up of the main menu goes in this process
 *   (no bound: bench-launch judges whole processes);
 * - open: the main menu's "Fridge function test" row selected, to the first
 *   frame rendered after it (wall clock), on the sample reference database;
 *   median and 90th percentile over RUNS openings, the view left between
 *   two (bound: median 30 ms).
 * - tick: one tick of every timed screen, as the application's work for
 *   it: the main thread's processor time for the screen's callback, the
 *   text put into the log box, the toolkit's layout and the rest of that
 *   turn of the main loop, up to the frame (bound: median 2 ms); processor
 *   time, so that the figure does not depend on what else the machine
 *   runs. The ticks write the largest log box a run produces, and each
 *   tick writes another text than the one before (a tick that repeats the
 *   shown text costs the toolkit nothing): on the sample database every
 *   load on and the longest error list the screens show (799 characters);
 *   the box filled that way before each screen starts. A second load-status
 *   figure takes the database's limit: the 100 loads the screen holds, each
 *   with a 99-byte name (about 10 KB of text). Ticks that a screen keeps to
 *   itself (the force-run rollback check, the energy report) are measured
 *   over the window in which they fire. A figure above its bound is
 *   followed by where its work went and by what a bare entry takes for the
 *   same texts.
 * - frame: what each tick then costs the toolkit to draw (from the start
 *   of the render, after the layout, to its end; render threads included),
 *   beside its floor: the frame it draws for a bare scrolling entry of the
 *   log box's size, place and style in a window of its own, given the same
 *   texts. No bound: the frame is the toolkit's (the X engine of this
 *   toolkit version takes a new shared-memory image for every region of
 *   every frame; the buffer engine redraws the whole window).
 *
 * usage: bench-view [RUNS]   (default 20). The platform directory (the key
 * store) and the profile go into a new directory under $TMPDIR (/tmp when
 * unset). Prints a line per figure with its bound and PASS or FAIL; exit
 * status 1 when a figure fails.
 */
#include <Ecore.h>
#include <Ecore_Evas.h>
#include <Efreet.h>
#include <Elementary.h>
#include <app.h>
#include <sqlite3.h>
#include <vconf.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "fridge-function-test/controloption.h"
#include "fridge-function-test/energyinfo.h"
#include "fridge-function-test/entry_monitor.h"
#include "fridge-function-test/errorinfo.h"
#include "fridge-function-test/forcerun.h"
#include "fridge-function-test/lcdcheck.h"
#include "fridge-function-test/list_panel.h"
#include "fridge-function-test/loadstatus.h"
#include "fridge-function-test/micom_channel.h"
#include "fridge-function-test/systeminfo.h"
#include "app_base_view.h"
#include "main.h"

namespace {

constexpr const char *SAMPLE_MODEL = "RF-DEMO-01";
constexpr const char *LARGEST_MODEL = "RF-BENCH-MAX";
constexpr double OPEN_BOUND_MS = 30.0;
constexpr double TICK_BOUND_MS = 2.0;
/* Ticks measured of a screen's run: fewer than the shortest run (30), so
 * that the run's last tick, which ends the screen's timer, never comes from
 * here (called from here it could not end the timer); the screen's own
 * timer may add a tick between two of them. */
constexpr int TICKS = 20;
/* The loads the load-status screen holds, and the longest name it shows. */
constexpr int LOADS_HELD = 100;
constexpr std::size_t LOAD_NAME_MAX = 99;

using wall = std::chrono::steady_clock;

double wall_ms(wall::time_point since)
{
    return std::chrono::duration<double, std::milli>(wall::now() - since).count();
}

double clock_ms(clockid_t clock)
{
    timespec t;
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

/* Processor time of the whole process (render threads included). */
double cpu_ms()
{
    return clock_ms(CLOCK_PROCESS_CPUTIME_ID);
}

/* Processor time of the calling thread: the main loop's work, without what
 * the screens' own threads (the energy sampling) do meanwhile. */
double main_cpu_ms()
{
    return clock_ms(CLOCK_THREAD_CPUTIME_ID);
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5)];
}

bool failed = false;

/* The parts of the ticks of one figure: the application's work (the
 * screen's callback, its text put into the log box, the layout and the rest
 * of the main loop's turn) and the frame the toolkit draws of it, with the
 * log box's text after each tick for the toolkit's own frame of it. */
struct tick_parts {
    std::vector<double> work, callback, text, layout, frame;
    std::vector<std::string> shown;
};

/* What a bare entry takes for the same texts (see measure_floor). */
struct floor_figures {
    std::vector<double> work, frame;
};

void print_line(const char *what, const std::vector<double> &v, double bound)
{
    double median = percentile(v, 0.5);
    bool pass = median <= bound;
    failed |= !pass;
    std::printf("%-46s median %6.2f ms  p90 %6.2f ms  max %6.2f ms  n=%-3zu bound %4.1f ms  %s\n",
                what, median, percentile(v, 0.9), percentile(v, 1.0), v.size(), bound,
                pass ? "PASS" : "FAIL");
    std::fflush(stdout);
}

Eina_Bool quit_cb(void *)
{
    ecore_main_loop_quit();
    return ECORE_CALLBACK_CANCEL;
}

/* Runs the main loop for the given seconds. */
void run_loop(double seconds)
{
    ecore_timer_add(seconds, quit_cb, nullptr);
    ecore_main_loop_begin();
}

Evas *canvas = nullptr;
int frames = 0;
bool waiting_for_frame = false;
/* Processor time spent drawing frames, from the start of a render (after
 * the layout) to its end, on any canvas: of the process (render threads
 * included) and of the main thread alone. */
double frame_cpu = 0;
double frame_main_cpu = 0;
double frame_started = -1;
double frame_main_started = 0;

void render_pre_cb(void *, Evas *, void *)
{
    frame_started = cpu_ms();
    frame_main_started = main_cpu_ms();
}

void render_post_cb(void *, Evas *, void *)
{
    if (frame_started >= 0) {
        frame_cpu += cpu_ms() - frame_started;
        frame_main_cpu += main_cpu_ms() - frame_main_started;
    }
    frame_started = -1;
    ++frames;
    if (waiting_for_frame)
        ecore_main_loop_quit();
}

void watch_frames(Evas *e)
{
    evas_event_callback_add(e, EVAS_CALLBACK_RENDER_PRE, render_pre_cb, nullptr);
    evas_event_callback_add(e, EVAS_CALLBACK_RENDER_POST, render_post_cb, nullptr);
}

/* Runs the main loop until the canvas has rendered a frame (at most the
 * given seconds). */
void run_until_frame(double seconds = 2.0)
{
    int seen = frames;
    waiting_for_frame = true;
    Ecore_Timer *limit = ecore_timer_add(seconds, quit_cb, nullptr);
    ecore_main_loop_begin();
    waiting_for_frame = false;
    if (frames != seen)
        ecore_timer_del(limit);
}

/* Lets a frame still being drawn (in a render thread) end, so that its
 * time is not counted in what comes next. */
void settle_frames()
{
    for (int i = 0; i < 100 && frame_started >= 0; ++i)
        run_loop(0.002);
}

/* The log box's text as it stands (what the toolkit draws). */
std::string shown_text()
{
    Evas_Object *entry = entry_monitor_get_entry();
    const char *text = entry ? elm_entry_entry_get(entry) : nullptr;
    return text ? text : "";
}

/* fire() and the given seconds of main loop after it, split into the
 * application's work (the main thread's time outside frames) and the
 * frames drawn. */
void window(tick_parts &t, const std::function<void()> &fire, double seconds)
{
    settle_frames();
    double start = main_cpu_ms();
    double frame_start = frame_cpu, frame_main_start = frame_main_cpu;
    fire();
    run_loop(seconds);
    t.work.push_back(main_cpu_ms() - start - (frame_main_cpu - frame_main_start));
    t.frame.push_back(frame_cpu - frame_start);
    t.shown.push_back(shown_text());
}

/* One tick: fire(), then what it causes before the engineer sees it, each
 * part timed: the text it wrote put into the log box (a job otherwise),
 * the layout, and the main loop until the next frame has been rendered
 * (the canvas renders at the animator's pace; a tick that changes nothing
 * on the screen waits 0.1 s for none, which costs no processor time). The
 * frame's own time is the frame's; the rest of that turn is the work's. */
void tick(tick_parts &t, const std::function<void()> &fire)
{
    run_loop(0.01);
    settle_frames();
    double t0 = main_cpu_ms();
    fire();
    double t1 = main_cpu_ms();
    entry_monitor_get_entry();
    double t2 = main_cpu_ms();
    evas_smart_objects_calculate(canvas);
    double t3 = main_cpu_ms();
    double frame_start = frame_cpu, frame_main_start = frame_main_cpu;
    run_until_frame(0.1);
    evas_sync(canvas);
    double t4 = main_cpu_ms();
    t.work.push_back(t4 - t0 - (frame_main_cpu - frame_main_start));
    t.callback.push_back(t1 - t0);
    t.text.push_back(t2 - t1);
    t.layout.push_back(t3 - t2);
    t.frame.push_back(frame_cpu - frame_start);
    t.shown.push_back(shown_text());
}

/* What the toolkit itself costs to show the log box's texts: a window of
 * its own with a bare scrolling entry of the log box's size, place and text
 * style, given each text in turn; the processor time of putting the text in
 * and laying it out, and of each frame. Empty when the test view has no
 * log box. */
floor_figures measure_floor(const std::vector<std::string> &shown)
{
    floor_figures ms;
    Evas_Object *box = entry_monitor_get_entry();
    if (!box || shown.empty())
        return ms;
    Evas_Coord x, y, w, h;
    evas_object_geometry_get(box, &x, &y, &w, &h);
    Evas_Object *win = elm_win_add(nullptr, "bench-frame-floor", ELM_WIN_BASIC);
    evas_object_size_hint_min_set(win, 1080, 1645);
    evas_object_resize(win, 1080, 1645);
    Evas_Object *entry = elm_entry_add(win);
    elm_entry_editable_set(entry, EINA_FALSE);
    elm_entry_scrollable_set(entry, EINA_TRUE);
    const char *style = elm_entry_text_style_user_peek(box);
    if (style)
        elm_entry_text_style_user_push(entry, style);
    evas_object_move(entry, x, y);
    evas_object_resize(entry, w, h);
    evas_object_show(entry);
    evas_object_show(win);
    Evas *floor_canvas = evas_object_evas_get(win);
    watch_frames(floor_canvas);
    run_until_frame();
    run_loop(0.05);
    for (const std::string &text : shown) {
        settle_frames();
        double start = main_cpu_ms();
        elm_entry_entry_set(entry, text.c_str());
        elm_entry_cursor_end_set(entry);
        evas_smart_objects_calculate(floor_canvas);
        double frame_start = frame_cpu, frame_main_start = frame_main_cpu;
        run_until_frame(0.1);
        evas_sync(floor_canvas);
        ms.work.push_back(main_cpu_ms() - start - (frame_main_cpu - frame_main_start));
        ms.frame.push_back(frame_cpu - frame_start);
    }
    evas_object_del(win);
    run_loop(0.05);
    return ms;
}

double median_of(const floor_figures &f, bool frame)
{
    return percentile(frame ? f.frame : f.work, 0.5);
}

/* A tick's line: the application's work against the bound (followed, above
 * it, by where it went and by what the toolkit alone takes to show the same
 * texts in a bare entry), then the frame it causes beside the toolkit's
 * frame of that bare entry. */
void report(const char *what, const tick_parts &t, double bound)
{
    print_line(what, t.work, bound);
    bool over = percentile(t.work, 0.5) > bound;
    /* Ticks that leave the box as it was draw no box to compare. */
    bool box_changes = std::adjacent_find(t.shown.begin(), t.shown.end(),
                                          std::not_equal_to<>()) != t.shown.end();
    double frame = percentile(t.frame, 0.5);
    floor_figures floor;
    if (box_changes && (over || frame >= 0.05))
        floor = measure_floor(t.shown);
    if (over && !t.callback.empty()) {
        std::printf("    of which (medians): callback %.2f ms, text into the entry %.2f ms, "
                    "toolkit layout %.2f ms",
                    percentile(t.callback, 0.5), percentile(t.text, 0.5),
                    percentile(t.layout, 0.5));
        if (!floor.work.empty())
            std::printf("; a bare entry given the same texts: %.2f ms", median_of(floor, false));
        std::printf("\n");
    }
    if (floor.frame.empty() || frame < 0.05)
        std::printf("    frame %.2f ms\n", frame);
    else
        std::printf("    frame %.2f ms; the toolkit's frame of a bare entry with the same texts "
                    "%.2f ms (%.2f x)\n",
                    frame, median_of(floor, true),
                    frame / std::max(median_of(floor, true), 0.01));
    std::fflush(stdout);
}

/* A copy of the sample database whose load table holds as many loads as
 * the screen keeps, each named by a 99-byte text of words. */
bool make_largest_database(const std::string &sample, const std::string &path)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::filesystem::copy_file(sample, path, std::filesystem::copy_options::overwrite_existing);
    sqlite3 *db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK)
        return false;
    std::string sql = "BEGIN; DELETE FROM loadstatus;";
    for (int i = 0; i < LOADS_HELD; ++i) {
        std::string name = "Load " + std::to_string(i) + " of the refrigerator";
        while (name.size() < LOAD_NAME_MAX)
            name += " word";
        name.resize(LOAD_NAME_MAX);
        sql += "INSERT INTO loadstatus VALUES (" + std::to_string(i + 1) + ", '" +
               std::to_string(i) + "', 1, '" + name + "', '" + name + "');";
    }
    sql += "COMMIT;";
    bool ok = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

/* The IDs of the database's loads in use, "<br>" between them as the micom
 * service writes them. */
std::vector<std::string> load_ids(const std::string &path)
{
    std::vector<std::string> ids;
    sqlite3 *db = nullptr;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db, "SELECT ID FROM loadstatus WHERE USE_ENGINEER_MODE = 1", -1, &stmt,
                           nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW)
            ids.emplace_back(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return ids;
}

/* Every load but the first `skip` ones, with the given separator. */
std::string loads_on(const std::vector<std::string> &ids, std::size_t skip, const char *separator)
{
    std::string value;
    for (std::size_t i = skip; i < ids.size(); ++i)
        value += (i > skip ? separator : "") + ids[i];
    return value;
}

/* The longest error list the screens show (799 characters), beginning with
 * the given code. */
std::string longest_errors(int first)
{
    std::string errors = "E" + std::to_string(first);
    while (errors.size() + 3 <= 799)
        errors += " 22";
    return errors;
}

/* A process of its own that writes the micom's energy report each time it
 * reads a byte from the pipe, as the micom service does. */
struct report_writer {
    pid_t pid = -1;
    int fd = -1;

    void start()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        pid = fork();
        if (pid == 0) {
            close(fds[1]);
            char c;
            for (int n = 0; read(fds[0], &c, 1) == 1; ++n) {
                vconf_set_int(VCONFKEY_REFRIGERATOR_SMART_GRID_WATT1, 100 + n);
                vconf_set_int(VCONFKEY_REFRIGERATOR_SMART_GRID_WATT2, 200 + n);
                vconf_set_int(VCONFKEY_REFRIGERATOR_SMART_GRID_WATT3, 300 + n);
                vconf_set_int(VCONFKEY_REFRIGERATOR_SMART_GRID_WATT4, 400 + n);
            }
            _exit(0);
        }
        close(fds[0]);
        fd = fds[1];
    }
    void write_report() const
    {
        if (fd >= 0 && write(fd, "r", 1) != 1)
            std::perror("bench-view: report writer");
    }
    void stop()
    {
        if (fd >= 0)
            close(fd);
        if (pid > 0)
            waitpid(pid, nullptr, 0);
        fd = -1;
        pid = -1;
    }
};

Elm_Object_Item *list_row(Evas_Object *list, int n)
{
    Elm_Object_Item *item = list ? elm_list_first_item_get(list) : nullptr;
    while (item && n-- > 0)
        item = elm_list_item_next(item);
    return item;
}

/* The main menu's "Fridge function test" row (the third). */
void open_test_view(appdata_s *ad)
{
    Evas_Object *menu = elm_object_item_content_get(elm_naviframe_bottom_item_get(ad->nf));
    elm_list_item_selected_set(list_row(menu, 2), EINA_TRUE);
}

void leave_test_view(appdata_s *ad)
{
    elm_naviframe_item_pop(ad->nf);
    run_loop(0.6);
}

/* The log box as the largest load-status tick leaves it. */
void fill_log_box()
{
    _btn_loadstatus_cb(nullptr, nullptr, nullptr);
    _timer1_loadstatus_cb(nullptr);
    stop_loadstatus();
    run_loop(0.02);
}

/* Load-status ticks, every other one with one load less. */
void measure_load_status(const char *what, const std::vector<std::string> &ids,
                         const char *separator)
{
    tick_parts t;
    fill_log_box();
    _btn_loadstatus_cb(nullptr, nullptr, nullptr);
    for (int i = 0; i < TICKS; ++i) {
        vconf_set_str(VCONFKEY_REFRIGERATOR_LOAD_STATUS, loads_on(ids, i % 2, separator).c_str());
        tick(t, [] { _timer1_loadstatus_cb(nullptr); });
    }
    stop_loadstatus();
    report(what, t, TICK_BOUND_MS);
}

/* Self-diagnosis and error-history ticks, the list changing at each. */
void measure_error_screens()
{
    tick_parts t;
    fill_log_box();
    _btn_selfdiagnosis_cb(nullptr, nullptr, nullptr);
    for (int i = 0; i < TICKS; ++i) {
        vconf_set_str(VCONFKEY_REFRIGERATOR_ERROR_LIST, longest_errors(21 + i % 2).c_str());
        tick(t, [] { _timer1_selfdiagnosis_cb(nullptr); });
    }
    stop_selfdiagnosis();
    report("tick: self diagnosis (799-character list)", t, TICK_BOUND_MS);

    t = {};
    fill_log_box();
    /* A stop clears the history's tick count, which a press keeps. */
    stop_errorHistory();
    _btn_errorhistory_cb(nullptr, nullptr, nullptr);
    for (int i = 0; i < TICKS; ++i) {
        vconf_set_str(VCONFKEY_REFRIGERATOR_ERROR_HISTORY, longest_errors(21 + i % 2).c_str());
        tick(t, [] { _timer1_errorHistory_cb(nullptr); });
    }
    stop_errorHistory();
    report("tick: error history (799 characters)", t, TICK_BOUND_MS);
}

/* Control option: the commands of a save and the refresh after them. The
 * refresh's work is done as its timer does it (the block lifted, the keys
 * read, the report written); the timer's last command is left out: both
 * end their timer, which a call from here could not. */
void measure_control_option()
{
    tick_parts save, refresh;
    for (int i = 0; i < 4; ++i) {
        fill_log_box();
        _btn_controloption_cb(nullptr, nullptr, nullptr);
        run_loop(0.05);
        Evas_Object *main_list = get_li_main();
        Elm_Object_Item *row = main_list ? elm_list_last_item_get(main_list) : nullptr;
        if (!row) {
            std::printf("tick: control option: no Save row\n");
            failed = true;
            return;
        }
        elm_list_item_selected_set(row, EINA_TRUE);
        for (int step = 0; step < 12; ++step)
            tick(save, [] { onOptionSavedCb(nullptr); });
        tick(refresh, [] {
            unblock_view();
            _read_option_vconf();
            _display_saved_option_value();
        });
        /* The screen's own timers of this save go with it. */
        delete_controloption();
    }
    report("tick: control option save command", save, TICK_BOUND_MS);
    report("tick: control option refresh", refresh, TICK_BOUND_MS);
}

void measure_ticks(appdata_s *ad, const std::string &sample_db, report_writer &writer)
{
    open_test_view(ad);
    run_loop(0.6);

    std::vector<std::string> ids = load_ids(sample_db);
    vconf_set_str(VCONFKEY_REFRIGERATOR_LOAD_STATUS, loads_on(ids, 0, "<br>").c_str());
    std::string title = "tick: load status (all " + std::to_string(ids.size()) + " loads on)";
    measure_load_status(title.c_str(), ids, "<br>");
    measure_error_screens();

    tick_parts t;
    vconf_set_int(VCONFKEY_REFRIGERATOR_MODELDIODEOPTION, 0xA5);
    for (int i = 0; i < 10; ++i) {
        fill_log_box();
        _btn_modeloption_cb(nullptr, nullptr, nullptr);
        tick(t, [] { _timer1_modeloption_cb(nullptr); });
        tick(t, [] { _timer1_modeloption_cb(nullptr); });
    }
    report("tick: model option", t, TICK_BOUND_MS);

    measure_control_option();

    t = {};
    fill_log_box();
    for (int i = 0; i < 20; ++i)
        tick(t, [] { backlight_step_cb(nullptr); });
    report("tick: backlight step", t, TICK_BOUND_MS);

    /* Force run: the rollback check 0.3 s after a tap, measured over the
     * window from 0.2 s to 0.45 s after it. */
    t = {};
    fill_log_box();
    _btn_forcerun_cb(nullptr, nullptr, nullptr);
    run_loop(0.05);
    for (int i = 0; i < 10; ++i) {
        /* Two programs in turn: a row does not run again while selected. */
        Elm_Object_Item *row = list_row(get_li_main(), i % 2);
        if (!row)
            break;
        elm_list_item_selected_set(row, EINA_TRUE);
        run_loop(0.2);
        window(t, [] {}, 0.25);
    }
    report("tick: force-run rollback check", t, TICK_BOUND_MS);

    /* Energy: a report of the micom, written by another process, rewrites
     * the log box; measured over the 0.1 s after the write. */
    t = {};
    fill_log_box();
    _btn_energyinfo_cb(nullptr, nullptr, nullptr);
    run_loop(0.05);
    elm_list_item_selected_set(list_row(get_li_main(), 0), EINA_TRUE);
    run_loop(0.1);
    for (int i = 0; i < 10; ++i)
        window(t, [&writer] { writer.write_report(); }, 0.1);
    writer.stop();
    report("tick: energy report", t, TICK_BOUND_MS);
    delete_energyinfo();
    leave_test_view(ad);

    /* The database's limit: 100 loads of 99-byte names. */
    vconf_set_str(VCONFKEY_REFRIGERATOR_MODEL_NAME, LARGEST_MODEL);
    open_test_view(ad);
    run_loop(0.6);
    std::vector<std::string> many;
    for (int i = 0; i < LOADS_HELD; ++i)
        many.push_back(std::to_string(i));
    /* The shortest separator the screen splits at lets all 100 IDs fit the
     * 499 characters it reads. */
    measure_load_status("tick: load status (database limit: 100 x 99 B)", many, ">");
    leave_test_view(ad);
}

}  // namespace

int main(int argc, char **argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const char *tmpdir = getenv("TMPDIR");
    std::string dir = std::string(tmpdir && *tmpdir ? tmpdir : "/tmp") + "/em-bench-view-XXXXXX";
    if (!mkdtemp(dir.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    std::string profile = dir + "/profile";
    setenv("PANEL_PLATFORM_DIR", (dir + "/platform").c_str(), 1);
    setenv("ENGINEER_MODE_PROFILE_DIR", profile.c_str(), 1);
    setenv("PANEL_LOG_LEVEL", "E", 0);
    std::filesystem::create_directories(profile + "/" + SAMPLE_MODEL + "/db");
    std::filesystem::copy_file(BENCH_REFDB_PATH,
                               profile + "/" + SAMPLE_MODEL + "/db/engineer_mode.db");
    if (!make_largest_database(BENCH_REFDB_PATH,
                               profile + "/" + LARGEST_MODEL + "/db/engineer_mode.db")) {
        std::fprintf(stderr, "bench-view: cannot make the largest database\n");
        return 1;
    }
    vconf_set_str(VCONFKEY_REFRIGERATOR_MODEL_NAME, SAMPLE_MODEL);
    vconf_set_str(VCONFKEY_REFRIGERATOR_ERROR_LIST, "E");
    vconf_set_int(VCONFKEY_REFRIGERATOR_FORCERUN_STATUS, 0);
    /* What the micom service keeps: the panel language, the region, the
     * option bytes. */
    vconf_set_str(VCONFKEY_LANGSET, "en_US.UTF-8");
    vconf_set_str(VCONFKEY_REGIONCODE, "KR");
    vconf_set_int(VCONFKEY_REFRIGERATOR_ENGINEER_DEVELOPER_MODE, 0);
    vconf_set_int(VCONFKEY_REFRIGERATOR_MODEL_SUPPORTED_ICEMAKER, 1);
    for (int i = 1; i <= 13; ++i) {
        char key[64];
        std::snprintf(key, sizeof key, "%s%02d", VCONFKEY_REFRIGERATOR_REF_OPTION_PREFIX, i);
        vconf_set_int(key, i);
    }

    /* The report writer is forked while this process is small: later, each
     * page the two processes still share would cost this one a copy at its
     * first write, which the figures would count. */
    report_writer writer;
    writer.start();

    /* The toolkit started as the app framework starts it, each phase timed
     * (in this process, whose libraries are loaded already). */
    auto phase = wall::now();
    auto next_phase = [&phase] {
        double ms = wall_ms(phase);
        phase = wall::now();
        return ms;
    };
    app_platform_locale_apply();
    double locale_ms = next_phase();
    ecore_app_no_system_modules();
    efreet_cache_disable();
    elm_init(argc, argv);
    double toolkit_ms = next_phase();
    app_platform_theme_apply();
    double theme_ms = next_phase();

    appdata_s *ad = appdata_instance();
    ad->name = EM_PACKAGE_ID;
    if (!_create(ad)) {
        std::fprintf(stderr, "bench-view: the main menu was not built\n");
        return 1;
    }
    double create_ms = next_phase();
    canvas = evas_object_evas_get(ad->win);
    watch_frames(canvas);
    run_until_frame();
    double frame_ms = next_phase();
    std::printf("start phases (wall): panel language and locale %.2f ms, toolkit start %.2f ms, "
                "platform theme overlay %.2f ms, main menu built (catalogue, theme extension, "
                "window, base view) %.2f ms, first frame %.2f ms\n",
                locale_ms, toolkit_ms, theme_ms, create_ms, frame_ms);
    run_loop(0.3);

    std::vector<double> open_ms, open_cpu, build_cpu;
    for (int i = 0; i < runs; ++i) {
        double cpu = cpu_ms();
        auto start = wall::now();
        open_test_view(ad);
        build_cpu.push_back(cpu_ms() - cpu);
        run_until_frame();
        open_ms.push_back(wall_ms(start));
        open_cpu.push_back(cpu_ms() - cpu);
        run_loop(0.3);
        leave_test_view(ad);
    }
    print_line("open: menu to test view rendered (wall)", open_ms, OPEN_BOUND_MS);
    std::printf("    processor time: median %.2f ms, of which building the view %.2f ms and "
                "the first frame %.2f ms\n",
                percentile(open_cpu, 0.5), percentile(build_cpu, 0.5),
                percentile(open_cpu, 0.5) - percentile(build_cpu, 0.5));

    measure_ticks(ad, profile + "/" + SAMPLE_MODEL + "/db/engineer_mode.db", writer);

    _terminate(ad);
    elm_shutdown();
    std::filesystem::remove_all(dir);
    return failed ? 1 : 0;
}
