/*
 * What the engineer sees first: the main layout with its naviframe and the
 * main menu; the containers of the refrigerator test view; the blocking
 * overlay the screens raise while they wait for the micom; and the back-key
 * rules (leaving the test view stops every test and removes its widgets;
 * back on the main menu, or on a directly launched test view, ends the
 * application).
 *
 * The main menu's own actions: the system-information popup (kernel and
 * BSP versions from their files, the micom version from the device library
 * or, when it can be read, db/refrigerator/MicomInfoVersion), and the
 * launches of the panel-function-test application (brought to the front
 * when it already runs) and of the firmware-update client.
 *
 * State: the main-menu layout (the naviframe goes back into it when the test
 * view is left) and the test views' conformants. Each opening of the test
 * view makes a conformant holding its base layout, the overlay and the
 * buttons; once the popped item of a view that was left is gone (its pop
 * transition over), a job puts the naviframe back into the main layout and
 * deletes that conformant with everything in it. The rest lives in the
 * application record.
 */
#include "app_base_view.h"

#include <efl_extension.h>
#include <fcntl.h>
#include <libintl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <app_control.h>
#include <aul.h>
#include <device.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "common.h"
#include "fridge-function-test/entry_monitor.h"
#include "fridge-function-test/list_panel.h"
#include "fridge-function-test/micom_channel.h"
#include "log.h"
#include "setting/setting.h"
#include "static/static_ip.h"

#define _(text) dcgettext(NULL, text, LC_MESSAGES)

namespace {

constexpr std::size_t GUIDE_BUFFER_SIZE = 250;
/* The system-information texts and the popup text: 300 bytes each. */
constexpr std::size_t SYSTEM_INFO_BUFFER_SIZE = 300;
constexpr const char *PANEL_FUNCTION_TEST_APP_ID = EM_PANEL_TEST_APP_ID;
constexpr const char *FIRMWARE_UPDATE_APP_ID = EM_FIRMWARE_UPDATE_APP_ID;
constexpr int BLOCK_WIDTH = 1080;
constexpr int BLOCK_HEIGHT = 1360;

/* The main layout made by load_base_view; forgotten when deleted. */
Evas_Object *main_layout = nullptr;

/* A test view's conformant; left once its naviframe item is deleted. */
struct test_view {
    Evas_Object *conform;
    bool left;
};
/* Every test view's conformant still alive, in the order of opening. */
std::vector<test_view> test_views;
Ecore_Job *close_job = nullptr;

void main_layout_del_cb(void *, Evas *, Evas_Object *obj, void *)
{
    if (main_layout == obj)
        main_layout = nullptr;
}

void test_view_del_cb(void *, Evas *, Evas_Object *obj, void *)
{
    std::erase_if(test_views, [obj](const test_view &view) { return view.conform == obj; });
}

/* Deletes a test view that was left. The naviframe still lives in its base
 * layout (unless a newer view took it): it goes back into the main layout,
 * and the base layout of the record with it, before the conformant goes. */
void close_test_view(Evas_Object *conform)
{
    Evas_Object *view_layout = elm_object_content_get(conform);
    Evas_Object *nf = appdata_get_nf();
    if (main_layout && view_layout) {
        if (nf && elm_object_part_content_get(view_layout, "elm.swallow.content") == nf) {
            elm_object_part_content_set(main_layout, "elm.swallow.content", nf);
            /* The background made with the first test view lies above the
             * main layout. */
            evas_object_raise(main_layout);
        }
        if (appdata_get_layout() == view_layout)
            appdata_set_layout(main_layout);
    }
    evas_object_del(conform);
}

void close_left_views_job(void *)
{
    close_job = nullptr;
    std::vector<Evas_Object *> left;
    for (const test_view &view : test_views)
        if (view.left)
            left.push_back(view.conform);
    for (Evas_Object *conform : left)
        close_test_view(conform);
}

/* Delete callback of a test view's naviframe item (its data is the view's
 * conformant): the pop is over, the view can go, after the naviframe has
 * finished with the item. */
void test_view_item_del_cb(void *data, Evas_Object *, void *)
{
    auto *conform = static_cast<Evas_Object *>(data);
    for (test_view &view : test_views)
        if (view.conform == conform)
            view.left = true;
    if (!close_job)
        close_job = ecore_job_add(close_left_views_job, nullptr);
}

void _create_bg(Evas_Object *win)
{
    LOGD("START");
    Evas_Object *bg = elm_bg_add(win);
    evas_object_size_hint_weight_set(bg, EVAS_HINT_EXPAND, EVAS_HINT_EXPAND);
    elm_win_resize_object_add(win, bg);
    evas_object_show(bg);
    appdata_instance()->bg = bg;
    LOGD("END");
}

void _create_navigation_layout(Evas_Object *nf, Evas_Object *content, Evas_Object *conform)
{
    LOGD("START");
    Elm_Object_Item *item = elm_naviframe_item_push(nf, nullptr, nullptr, nullptr, content, nullptr);
    elm_naviframe_item_title_enabled_set(item, EINA_FALSE, EINA_FALSE);
    elm_naviframe_item_pop_cb_set(item, _navi_item_pop_cb, (void *)0);
    elm_object_item_data_set(item, conform);
    elm_object_item_del_cb_set(item, test_view_item_del_cb);
    LOGD("END");
}

void block_signal(const char *signal)
{
    Evas_Object *block = appdata_get_block_edje();
    if (block)
        edje_object_signal_emit(elm_layout_edje_get(block), signal, "bg");
}

/* A system file as the panel has it; ENGINEER_MODE_SYSTEM_ROOT, when set,
 * is put in front of the path (a desktop or a test supplies the files
 * there). */
std::string system_file(const char *path)
{
    const char *root = getenv("ENGINEER_MODE_SYSTEM_ROOT");
    return std::string(root ? root : "") + path;
}

/* The file's last line with its line end, read in pieces of at most 299
 * characters as a 300-byte line buffer does; "" when it cannot be opened or
 * is no regular file (a FIFO would block the main loop; system files are
 * regular files, those of /proc included). */
std::string last_line(const std::string &path)
{
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
        LOGE("%s is not a regular file: not read", path.c_str());
        close(fd);
        return "";
    }
    std::unique_ptr<FILE, decltype(&fclose)> file(fd >= 0 ? fdopen(fd, "r") : nullptr, &fclose);
    if (!file) {
        LOGE("cannot open %s", path.c_str());
        if (fd >= 0)
            close(fd);
        return "";
    }
    std::array<char, SYSTEM_INFO_BUFFER_SIZE> line{};
    while (fgets(line.data(), static_cast<int>(line.size()), file.get())) {
    }
    return line.data();
}

}  // namespace

Evas_Object *_create_layout_main(Evas_Object *parent)
{
    LOGD("START");
    RETV_IF(NULL == parent, nullptr);
    Evas_Object *layout = elm_layout_add(parent);
    RETV_IF(NULL == layout, nullptr);
    elm_layout_theme_set(layout, "layout", "application", "default");
    evas_object_size_hint_weight_set(layout, EVAS_HINT_EXPAND, EVAS_HINT_EXPAND);
    /* A window takes its layouts as resize objects (load_base_view adds it);
     * setting window content as well is refused by the toolkit. */
    if (parent != appdata_get_win())
        elm_object_content_set(parent, layout);
    evas_object_show(layout);
    LOGD("END");
    return layout;
}

void load_base_view(appdata_s *ad)
{
    LOGD("START");
    appdata_set_layout(_create_layout_main(ad->win));
    elm_layout_theme_set(ad->layout, "layout", "application", "default");
    elm_win_resize_object_add(ad->win, ad->layout);
    evas_object_show(ad->layout);
    main_layout = ad->layout;
    evas_object_event_callback_add(main_layout, EVAS_CALLBACK_DEL, main_layout_del_cb, nullptr);

    appdata_set_nf(elm_naviframe_add(ad->layout));
    elm_object_part_content_set(ad->layout, "elm.swallow.content", ad->nf);

    Evas_Object *list = create_main_list(ad);
    Elm_Object_Item *item = elm_naviframe_item_push(ad->nf, _("REFLCD_NV2_EM_ENGINEER_MODE"),
                                                    nullptr, nullptr, list, nullptr);
    elm_naviframe_item_pop_cb_set(item, _navi_item_pop_cb, (void *)1);

    eext_object_event_callback_add(ad->nf, EEXT_CALLBACK_BACK, main_back_cb, ad->nf);
    eext_object_event_callback_add(ad->nf, EEXT_CALLBACK_MORE, main_more_cb, ad->nf);
    LOGD("END");
}

Evas_Object *create_main_list(appdata_s *ad)
{
    LOGD("");
    Evas_Object *list = elm_list_add(ad->nf);
    elm_list_mode_set(list, ELM_LIST_COMPRESS);
    evas_object_smart_callback_add(list, "selected", list_selected_cb, nullptr);

    elm_list_item_append(list, _("REFLCD_NV2_EM_SYSTEM_INFORMATION"), nullptr, nullptr,
                         get_system_info_cb, list);
    elm_list_item_append(list, _("REFLCD_NV2_EM_PANEL_FUNCTION_TEST"), nullptr, nullptr,
                         test_panel_function_cb, ad->nf);
    elm_list_item_append(list, _("REFLCD_NV2_EM_FRIDGE_FUNCTION_TEST"), nullptr, nullptr,
                         test_fridge_function_cb2, ad->nf);
    ad->static_ip.navi = ad->nf;
    elm_list_item_append(list, _("REFLCD_NV2_EM_STATIC_IP_SETTING"), nullptr, nullptr,
                         static_ip_cb, &ad->static_ip);
    elm_list_item_append(list, _("REFLCD_NV2_EM_SETTING"), nullptr, nullptr, setting_cb, ad);
    elm_list_item_append(list, "File Transfer", nullptr, nullptr, fota_update_cb, ad);

    std::string guide = format_cut(
        GUIDE_BUFFER_SIZE,
        "<br><br><br><br><br><br><br><br><br><font color=#0014ff>%s</font>",
        _("REFLCD_NV2_EM_GUIDE"));
    elm_list_item_append(list, keep_hangul_words(guide).c_str(), nullptr, nullptr, nullptr,
                         nullptr);

    elm_list_go(list);
    return list;
}

void list_selected_cb(void *, Evas_Object *obj, void *)
{
    Elm_Object_Item *item = elm_list_selected_item_get(obj);
    if (item)
        elm_list_item_selected_set(item, EINA_FALSE);
}

void main_back_cb(void *data, Evas_Object *, void *)
{
    elm_naviframe_item_pop(static_cast<Evas_Object *>(data));
}

void main_more_cb(void *data, Evas_Object *, void *)
{
    Elm_Object_Item *top = elm_naviframe_top_item_get(static_cast<Evas_Object *>(data));
    if (!top)
        return;
    Evas_Object *more = elm_object_item_part_content_get(top, "toolbar_more_btn");
    if (more)
        evas_object_smart_callback_call(more, "clicked", nullptr);
}

void load_base_view2(void)
{
    LOGD("START");
    appdata_s *ad = appdata_instance();
    Evas_Object *win = appdata_get_win();

    if (!appdata_get_bg())
        _create_bg(win);

    Evas_Object *conform = elm_conformant_add(win);
    appdata_set_conform(conform);
    evas_object_size_hint_weight_set(conform, EVAS_HINT_EXPAND, EVAS_HINT_EXPAND);
    elm_win_resize_object_add(win, conform);
    elm_object_style_set(conform, "nokeypad");
    evas_object_show(conform);
    test_views.push_back({conform, false});
    evas_object_event_callback_add(conform, EVAS_CALLBACK_DEL, test_view_del_cb, nullptr);

    Evas_Object *layout = _create_layout_main(conform);
    appdata_set_layout(layout);
    LOGD("layout : %p", (void *)layout);

    Evas_Object *edje = load_edj(layout, app_res_path("edje/monitor.edj").c_str(), "main");
    appdata_set_edje(edje);
    evas_object_show(edje);
    evas_object_name_set(edje, "base_edje");
    /* When a push ends the naviframe is focused, and the window's focus
     * manager passes the focus on to the first focusable object inside it;
     * with none there it logs an error. The test view's widgets all lie
     * outside the naviframe, so the page itself takes the focus. */
    elm_object_focus_allow_set(edje, EINA_TRUE);

    Evas_Object *block = load_edj(layout, app_res_path("edje/blocking.edj").c_str(), "block_grp");
    appdata_set_block_edje(block);
    evas_object_size_hint_weight_set(block, EVAS_HINT_EXPAND, EVAS_HINT_EXPAND);
    block_signal("event,enable");
    evas_object_raise(block);
    evas_object_move(block, 0, 0);
    evas_object_resize(block, BLOCK_WIDTH, BLOCK_HEIGHT);
    evas_object_hide(block);

    _create_navigation_layout(ad->nf, edje, conform);
    elm_object_part_content_set(layout, "elm.swallow.content", ad->nf);
    LOGD("END");
}

void block_view(void)
{
    LOGD("START");
    Evas_Object *block = appdata_get_block_edje();
    block_signal("event,disable");
    evas_object_raise(block);
    evas_object_show(block);
}

void unblock_view(void)
{
    LOGD("START");
    block_signal("event,enable");
    evas_object_hide(appdata_get_block_edje());
}

Eina_Bool _navi_item_pop_cb(void *data, Elm_Object_Item *)
{
    LOGD("START");
    if ((intptr_t)data == 1) {
        elm_exit();
        return EINA_TRUE;
    }
    start_mode(0);
    unblock_view();
    delete_logbox();
    delete_box();
    delete_button();
    if (appdata_get_fridgeLaunchFlag() == 1)
        elm_exit();
    return EINA_TRUE;
}

void ok_btn_clicked_cb(void *data, Evas_Object *, void *)
{
    evas_object_del(static_cast<Evas_Object *>(data));
}

void get_system_info_cb(void *data, Evas_Object *, void *)
try {
    LOGD("START");
    auto *list = static_cast<Evas_Object *>(data);
    std::string release = last_line(system_file("/proc/sys/kernel/osrelease"));
    std::string version = last_line(system_file("/proc/sys/kernel/version"));
    std::string bsp = last_line(system_file("/etc/bsp_version"));

    int micom_version = 1;
    device_get_micom_version(&micom_version);
    micom_version = key_get_int(VCONFKEY_REFRIGERATOR_MICOM_INFO_VERSION).value_or(micom_version);

    /* The files' texts come from outside: shown as they stand. */
    std::string text = format_cut(
        SYSTEM_INFO_BUFFER_SIZE,
        "<font_size=33><br> Kernel Version<br> - Linux %s %s<br><br> BSP Version<br> - %s<br><br>"
        " Micom Version<br> - %d</font_size>",
        markup_escape(release).c_str(), markup_escape(version).c_str(),
        markup_escape(bsp).c_str(), micom_version);
    LOGD("system information: %s", text.c_str());

    Evas_Object *popup = elm_popup_add(list);
    elm_object_text_set(popup, text.c_str());
    elm_object_part_text_set(popup, "title,text", _("REFLCD_NV2_EM_SYSTEM_INFORMATION"));
    Evas_Object *ok = elm_button_add(popup);
    elm_object_style_set(ok, "bottom");
    elm_object_text_set(ok, "OK");
    elm_object_part_content_set(popup, "button1", ok);
    evas_object_smart_callback_add(ok, "clicked", ok_btn_clicked_cb, popup);
    evas_object_show(popup);
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

int launch_alt_app(const char *appid)
{
    LOGD("START");
    LOGD("launch alt app");
    LOGD("appid: %s", appid ? appid : "(null)");
    if (!appid || !*appid) {
        LOGE("launch app error");
        return 0;
    }
    LOGD("launching: %s", appid);
    int running = aul_app_is_running(appid);
    if (running) {
        LOGD("app is running: %d", running);
        aul_open_app(appid);
        return 1;
    }
    LOGD("app is no running: %d", running);
    app_control_h request = nullptr;
    app_control_create(&request);
    app_control_set_app_id(request, appid);
    app_control_set_operation(request, APP_CONTROL_OPERATION_VIEW);
    int ret = app_control_send_launch_request(request, nullptr, nullptr);
    if (ret != APP_CONTROL_ERROR_NONE)
        LOGE("app_control_send_launch_request failed: %d", ret);
    app_control_destroy(request);
    return 0;
}

void test_panel_function_cb(void *, Evas_Object *, void *)
{
    LOGD("test panel function");
    launch_alt_app(PANEL_FUNCTION_TEST_APP_ID);
}

void fota_update_cb(void *, Evas_Object *, void *)
{
    LOGD("START");
    app_control_h request = nullptr;
    if (app_control_create(&request) != APP_CONTROL_ERROR_NONE)
        LOGD("app_control_create failed");
    if (app_control_set_app_id(request, FIRMWARE_UPDATE_APP_ID) != APP_CONTROL_ERROR_NONE)
        LOGD("app_control_set_app_id failed");
    if (app_control_set_operation(request, APP_CONTROL_OPERATION_VIEW) != APP_CONTROL_ERROR_NONE)
        LOGD("app_control_set_operation failed");
    if (app_control_send_launch_request(request, nullptr, nullptr) != APP_CONTROL_ERROR_NONE)
        LOGD("app_control_send_launch_request failed");
    if (app_control_destroy(request) != APP_CONTROL_ERROR_NONE)
        LOGD("app_control_destroy failed");
}
