/*
 * The toolkit's floor for the start-up comparison: a bare Elementary window
 * of the panel's size with a naviframe and a seven-row list, nothing of the
 * application or its platform. It starts the toolkit as the platform's app
 * framework does (no system modules, no desktop-file cache), prints
 * "first-frame NANOSECONDS" (CLOCK_MONOTONIC) on standard output when its
 * canvas has rendered the first frame, and exits.
 */
#include <Ecore.h>
#include <Ecore_Evas.h>
#include <Efreet.h>
#include <Elementary.h>

#include <cstdio>
#include <ctime>

namespace {

void first_frame_cb(void *, Evas *evas, void *)
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::printf("first-frame %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    std::fflush(stdout);
    evas_event_callback_del(evas, EVAS_CALLBACK_RENDER_POST, first_frame_cb);
    elm_exit();
}

}  // namespace

int main(int argc, char **argv)
{
    ecore_app_no_system_modules();
    efreet_cache_disable();
    elm_init(argc, argv);

    Evas_Object *win = elm_win_util_standard_add("floor", "Floor");
    evas_object_resize(win, 1080, 1645);
    Evas_Object *nf = elm_naviframe_add(win);
    evas_object_size_hint_weight_set(nf, EVAS_HINT_EXPAND, EVAS_HINT_EXPAND);
    elm_win_resize_object_add(win, nf);
    evas_object_show(nf);
    Evas_Object *list = elm_list_add(nf);
    for (int i = 1; i <= 7; ++i) {
        char label[16];
        std::snprintf(label, sizeof label, "Row %d", i);
        elm_list_item_append(list, label, nullptr, nullptr, nullptr, nullptr);
    }
    elm_list_go(list);
    elm_naviframe_item_push(nf, "Floor", nullptr, nullptr, list, nullptr);
    evas_object_show(win);
    evas_event_callback_add(evas_object_evas_get(win), EVAS_CALLBACK_RENDER_POST, first_frame_cb,
                            nullptr);

    elm_run();
    elm_shutdown();
    return 0;
}
