/*
 * Start-up measurement: how long the application takes, on the buffer
 * engine, to build its main menu, to open the refrigerator test view (with
 * the sample reference database read three times), to leave it, and to
 * append 5,000 lines to the log box and show one more line after them. Prints one line per step in
 * milliseconds (median of RUNS repetitions where a step can repeat).
 *
 * usage: bench-startup [DATABASE]   (default: the sample database built
 * with the project). BENCH_RUNS and BENCH_LINES change the repetitions (5)
 * and the number of log-box lines (5000).
 */
#include <Ecore.h>
#include <Efreet.h>
#include <Elementary.h>
#include <app.h>
#include <vconf.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app_base_view.h"
#include "fridge-function-test/entry_monitor.h"
#include "main.h"

namespace {

using clock_type = std::chrono::steady_clock;

double ms_since(clock_type::time_point start)
{
    return std::chrono::duration<double, std::milli>(clock_type::now() - start).count();
}

Eina_Bool quit_cb(void *)
{
    ecore_main_loop_quit();
    return ECORE_CALLBACK_CANCEL;
}

void run_loop(double seconds)
{
    ecore_timer_add(seconds, quit_cb, nullptr);
    ecore_main_loop_begin();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char **argv)
{
    const int runs = getenv("BENCH_RUNS") ? atoi(getenv("BENCH_RUNS")) : 5;
    std::string db = argc > 1 ? argv[1] : BENCH_REFDB_PATH;
    char tmpl[] = "/tmp/em-bench-XXXXXX";
    if (!mkdtemp(tmpl)) {
        perror("mkdtemp");
        return 1;
    }
    std::string dir = tmpl;
    setenv("PANEL_PLATFORM_DIR", (dir + "/platform").c_str(), 1);
    setenv("ENGINEER_MODE_PROFILE_DIR", (dir + "/profile").c_str(), 1);
    setenv("ELM_DISPLAY", "buffer", 1);
    setenv("PANEL_LOG_LEVEL", "E", 1);
    std::filesystem::create_directories(dir + "/profile/RF-DEMO-01/db");
    std::filesystem::copy_file(db, dir + "/profile/RF-DEMO-01/db/engineer_mode.db");
    vconf_set_str("memory/refrigerator/ModelName", "RF-DEMO-01");
    vconf_set_str("memory/refrigerator/ErrorList", "E");

    auto start = clock_type::now();
    ecore_app_no_system_modules();
    efreet_cache_disable();
    elm_init(argc, argv);
    app_platform_locale_apply();
    app_platform_theme_apply();
    double init_ms = ms_since(start);

    appdata_s *ad = appdata_instance();
    ad->name = EM_PACKAGE_ID;
    start = clock_type::now();
    _create(ad);
    run_loop(0.0);
    double create_ms = ms_since(start);

    std::vector<double> open_ms, close_ms;
    for (int i = 0; i < runs; ++i) {
        start = clock_type::now();
        test_fridge_function_cb2(ad->nf, nullptr, nullptr);
        run_loop(0.0);
        open_ms.push_back(ms_since(start));
        run_loop(0.3);
        start = clock_type::now();
        elm_naviframe_item_pop(ad->nf);
        run_loop(0.0);
        close_ms.push_back(ms_since(start));
        run_loop(0.3);
    }

    test_fridge_function_cb2(ad->nf, nullptr, nullptr);
    start = clock_type::now();
    const int lines = getenv("BENCH_LINES") ? atoi(getenv("BENCH_LINES")) : 5000;
    for (int i = 0; i < lines; ++i)
        append_entry_data("=== LOAD STATUS - STARTED ===", 0);
    double append_ms = ms_since(start);
    start = clock_type::now();
    run_loop(0.0);
    double render_ms = ms_since(start);
    std::vector<double> next_ms;
    for (int i = 0; i < runs; ++i) {
        start = clock_type::now();
        append_entry_data("one more line", 0);
        run_loop(0.0);
        next_ms.push_back(ms_since(start));
    }

    printf("toolkit and theme start:     %8.1f ms\n", init_ms);
    printf("main menu built:             %8.1f ms\n", create_ms);
    printf("test view opened (median):   %8.1f ms\n", median(open_ms));
    printf("test view left (median):     %8.1f ms\n", median(close_ms));
    printf("5000 log-box lines appended: %8.1f ms\n", append_ms);
    printf("first render after that:     %8.1f ms\n", render_ms);
    printf("one more line and render:    %8.1f ms\n", median(next_ms));

    _terminate(ad);
    elm_shutdown();
    std::filesystem::remove_all(dir);
    return 0;
}
