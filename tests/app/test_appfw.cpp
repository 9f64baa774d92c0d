/*
 * The desktop app framework: launcher command line, app control, launching
 * a registered application, the back key and the soft AP.
 */
#include "fixture.h"

#include <app_i18n.h>
#include <vconf.h>
#include <app_control.h>
#include <efl_extension.h>
#include <softap.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

struct control_deleter {
    void operator()(app_control_s *h) const { app_control_destroy(h); }
};
using control_ptr = std::unique_ptr<app_control_s, control_deleter>;

control_ptr parse(std::vector<const char *> args, int *result = nullptr)
{
    args.insert(args.begin(), "engineer-mode");
    app_control_h handle = nullptr;
    int ret = app_control_from_command_line((int)args.size(), const_cast<char **>(args.data()),
                                            &handle);
    if (result)
        *result = ret;
    return control_ptr(handle);
}

/* "operation uri" of a request, "(null)" for an unset one. */
std::string request_of(const control_ptr &h)
{
    std::string out;
    for (auto get : {app_control_get_operation, app_control_get_uri}) {
        char *text = nullptr;
        get(h.get(), &text);
        out += (out.empty() ? "" : " ") + std::string(text ? text : "(null)");
        free(text);
    }
    return out;
}

}  // namespace

TEST(Launcher, CommandLineBecomesTheLaunchRequest)
{
    EXPECT_EQ(request_of(parse({"--uri", "org.fridge.engineermode/fridge"})),
              std::string(APP_CONTROL_OPERATION_VIEW) + " org.fridge.engineermode/fridge");
    EXPECT_EQ(request_of(parse({})), std::string(APP_CONTROL_OPERATION_DEFAULT) + " (null)");
    EXPECT_EQ(request_of(parse({"--operation=custom.op", "--uri=x/y"})), "custom.op x/y");

    int result = 0;
    EXPECT_FALSE(parse({"--verbose"}, &result));
    EXPECT_EQ(result, APP_CONTROL_ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(parse({"--uri"}, &result)) << "a missing value is an error";
}

class AppFrameworkTest : public AppTest {};

TEST_F(AppFrameworkTest, LaunchRequestRunsTheRegisteredExecutableWithItsRequest)
{
    std::filesystem::create_directories(dir_ + "/platform/apps");
    std::string out = dir_ + "/launched.txt";
    std::string exe = dir_ + "/platform/apps/org.example.tool";
    std::ofstream(exe) << "#!/bin/sh\necho \"$@\" > " << out << "\n";
    std::filesystem::permissions(exe, std::filesystem::perms::owner_all);

    app_control_h raw = nullptr;
    app_control_create(&raw);
    control_ptr h(raw);
    app_control_set_app_id(raw, "org.example.tool");
    app_control_set_operation(raw, APP_CONTROL_OPERATION_VIEW);
    int replies = 0;
    ASSERT_EQ(app_control_send_launch_request(
                  raw,
                  [](app_control_h, app_control_h, app_control_result_e result, void *data) {
                      EXPECT_EQ(result, APP_CONTROL_RESULT_APP_STARTED);
                      ++*static_cast<int *>(data);
                  },
                  &replies),
              APP_CONTROL_ERROR_NONE);
    EXPECT_EQ(replies, 0) << "the reply comes later, on the main loop";
    for (int i = 0; i < 50 && !std::filesystem::exists(out); ++i)
        run_loop(0.05);
    run_loop(0.05);
    EXPECT_EQ(replies, 1);
    std::ifstream in(out);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, std::string("--operation ") + APP_CONTROL_OPERATION_VIEW);

    app_control_set_app_id(raw, "org.example.absent");
    EXPECT_EQ(app_control_send_launch_request(raw, nullptr, nullptr),
              APP_CONTROL_ERROR_APP_NOT_FOUND);
    app_control_set_app_id(raw, "../escape");
    EXPECT_EQ(app_control_send_launch_request(raw, nullptr, nullptr),
              APP_CONTROL_ERROR_INVALID_PARAMETER);
    app_control_h bare = nullptr;
    app_control_create(&bare);
    control_ptr no_target(bare);
    EXPECT_EQ(app_control_send_launch_request(bare, nullptr, nullptr),
              APP_CONTROL_ERROR_INVALID_PARAMETER);
}

TEST_F(AppFrameworkTest, BackGoesToTheNewestVisibleRegistrationOnly)
{
    int calls = 0;
    auto record = [](void *data, Evas_Object *, void *) { ++*static_cast<int *>(data); };
    Evas_Object *popup = elm_popup_add(ad_->win);
    Evas_Object *hidden = elm_button_add(ad_->win);
    evas_object_show(popup);
    eext_object_event_callback_add(popup, EEXT_CALLBACK_BACK, record, &calls);
    eext_object_event_callback_add(hidden, EEXT_CALLBACK_BACK, record, &calls);
    EXPECT_EQ(eext_dispatch(EEXT_CALLBACK_BACK), 1);
    EXPECT_EQ(calls, 1) << "the hidden newer registration must be passed over";
    EXPECT_EQ(nf_items(), 1) << "the naviframe's older registration must not run";

    evas_object_del(popup); /* deleting the object ends its registration */
    EXPECT_EQ(eext_object_event_callback_del(popup, EEXT_CALLBACK_BACK, record), nullptr);
    EXPECT_FALSE(press_back()) << "back on the main menu ends the app";
    EXPECT_EQ(calls, 1);
}

TEST_F(AppFrameworkTest, SoftApReportsItsDisablingLater)
{
    softap_h ap = nullptr;
    ASSERT_EQ(softap_create(&ap), SOFTAP_ERROR_NONE);
    ASSERT_EQ(vconf_set_bool("memory/softap/enabled", 1), 0);
    bool enabled = false;
    ASSERT_EQ(softap_is_enabled(ap, &enabled), SOFTAP_ERROR_NONE);
    EXPECT_TRUE(enabled);
    int reports = 0;
    softap_set_disabled_cb(
        ap, [](softap_error_e, softap_disabled_cause_e, void *data) { ++*static_cast<int *>(data); },
        &reports);
    ASSERT_EQ(softap_disable(ap), SOFTAP_ERROR_NONE);
    EXPECT_EQ(reports, 0) << "never inside the call";
    run_loop(0.4);
    EXPECT_EQ(reports, 1);
    softap_is_enabled(ap, &enabled);
    EXPECT_FALSE(enabled);
    EXPECT_EQ(softap_destroy(ap), SOFTAP_ERROR_NONE);
    EXPECT_EQ(softap_destroy(nullptr), SOFTAP_ERROR_INVALID_PARAMETER);
}

/* The catalogue following the panel language: the screens' tests, in
 * English and Korean. */
TEST_F(AppFrameworkTest, AnIdOutsideTheCatalogueIsItsOwnText)
{
    EXPECT_STREQ(i18n_get_text("not in the catalogue"), "not in the catalogue");
}
