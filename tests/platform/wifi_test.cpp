/*
 * The Wi-Fi library over the simulated radio (results later on the main loop,
 * chosen errors, changes by another process, the state file) and panel-wifi.
 */
#include <wifi.h>
#include <wifi_radio.h>

#include <vconf.h>

#include <gtest/gtest.h>

#include "static/wifi_error.h"
#include "test_support.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

using test_support::EcoreHeld;
using test_support::PlatformDir;
using test_support::spin_until;
using strings = std::vector<std::string>;

namespace {

strings events;

std::string name(int error)
{
    for (const wifi_error_name &entry : wifi_error_names())
        if (entry.value == error)
            return entry.name;
    return std::to_string(error);
}

void on_activated(wifi_error_e result, void *) { events.push_back("activated " + name(result)); }
void on_scanned(wifi_error_e result, void *) { events.push_back("scanned " + name(result)); }
void on_connected(wifi_error_e result, void *) { events.push_back("connected " + name(result)); }
void on_device(wifi_device_state_e state, void *) { events.push_back("device " + std::to_string(state)); }
void on_background(wifi_error_e result, void *) { events.push_back("background " + name(result)); }
void on_rssi(wifi_rssi_level_e level, void *) { events.push_back("rssi " + std::to_string(level)); }
void on_state(wifi_connection_state_e state, wifi_ap_h ap, void *)
{
    char *essid = nullptr;
    wifi_ap_get_essid(ap, &essid);
    events.push_back("state " + std::to_string(state) + " " + (essid ? essid : "?"));
    free(essid);
}

void radio(const std::function<void(wifi_radio::state &)> &change)
{
    std::string error;
    ASSERT_TRUE(wifi_radio::update(change, error)) << error;
}

wifi_radio::state radio_state()
{
    wifi_radio::state s;
    radio([&s](wifi_radio::state &current) { s = current; });
    return s;
}

int wifi_key()
{
    int value = -1;
    vconf_get_int(wifi_radio::state_key, &value);
    return value;
}

test_support::RunResult tool(strings args)
{
    args.insert(args.begin(), PANEL_WIFI_PATH);
    return test_support::run(args);
}

bool wait_events(std::size_t count, double seconds = 5)
{
    return spin_until(seconds, [count] { return events.size() >= count; });
}

/* The access point handles the library knows now, by name. */
std::vector<std::pair<std::string, wifi_ap_h>> found()
{
    std::vector<std::pair<std::string, wifi_ap_h>> out;
    auto add = [](wifi_ap_h ap, void *data) {
        char *essid = nullptr;
        wifi_ap_get_essid(ap, &essid);
        static_cast<decltype(out) *>(data)->emplace_back(essid ? essid : "", ap);
        free(essid);
        return true;
    };
    EXPECT_EQ(wifi_foreach_found_aps(add, &out), WIFI_ERROR_NONE);
    return out;
}

strings names()
{
    strings out;
    for (const auto &ap : found())
        out.push_back(ap.first);
    return out;
}

wifi_ap_h ap_named(const std::string &wanted)
{
    for (const auto &[essid, ap] : found())
        if (essid == wanted)
            return ap;
    return nullptr;
}

/* The library initialised on three access points, the state callbacks
 * recording into events. */
class Wifi : public ::testing::Test {
protected:
    void SetUp() override
    {
        events.clear();
        radio([](wifi_radio::state &s) {
            s.activation_time = 0.2;
            s.scan_time = 0.2;
            s.connect_time = 0.4;
            s.aps = {{"Home", true, "pass word", -50, true, 0},
                     {"Later", false, "", -65, false, 0},
                     {"Open", false, "", -75, true, 0}};
        });
        ASSERT_EQ(wifi_initialize(), WIFI_ERROR_NONE);
        wifi_set_device_state_changed_cb(on_device, nullptr);
        wifi_set_background_scan_cb(on_background, nullptr);
        wifi_set_connection_state_changed_cb(on_state, nullptr);
        wifi_set_rssi_level_changed_cb(on_rssi, nullptr);
    }
    void TearDown() override { wifi_deinitialize(); }

    /* Switches Wi-Fi on as another program would, dropping the callback. */
    void switch_on()
    {
        radio([](wifi_radio::state &s) { s.activated = true; });
        ASSERT_TRUE(wait_events(1));
        events.clear();
    }
    /* Configures ap statically and connects; the result is in events. */
    static int connect(wifi_ap_h ap, const char *passphrase = nullptr)
    {
        EXPECT_EQ(wifi_ap_set_ip_config_type(ap, WIFI_ADDRESS_FAMILY_IPV4, WIFI_IP_CONFIG_TYPE_STATIC), 0);
        EXPECT_EQ(wifi_ap_set_ip_address(ap, WIFI_ADDRESS_FAMILY_IPV4, "10.1.2.3"), 0);
        EXPECT_EQ(wifi_ap_set_subnet_mask(ap, WIFI_ADDRESS_FAMILY_IPV4, "255.255.255.0"), 0);
        EXPECT_EQ(wifi_ap_set_gateway_address(ap, WIFI_ADDRESS_FAMILY_IPV4, "10.1.2.1"), 0);
        EXPECT_EQ(wifi_ap_set_dns_address(ap, 2, WIFI_ADDRESS_FAMILY_IPV4, "10.1.2.53"), 0);
        if (passphrase) {
            EXPECT_EQ(wifi_ap_set_passphrase(ap, passphrase), 0);
        }
        return wifi_connect(ap, on_connected, nullptr);
    }

    PlatformDir dir_;
    EcoreHeld ecore_;  // for the whole test: the library's own reference ends with each deinitialisation
};

}  // namespace

TEST(WifiLifecycle, CallsNeedOneInitialisation)
{
    PlatformDir dir;
    EcoreHeld ecore;
    bool on = true;
    EXPECT_EQ(wifi_is_activated(&on), WIFI_ERROR_INVALID_OPERATION);
    EXPECT_EQ(wifi_scan(on_scanned, nullptr), WIFI_ERROR_INVALID_OPERATION);
    EXPECT_EQ(wifi_deinitialize(), WIFI_ERROR_INVALID_OPERATION);
    ASSERT_EQ(wifi_initialize(), WIFI_ERROR_NONE);
    EXPECT_EQ(wifi_initialize(), WIFI_ERROR_INVALID_OPERATION);
    EXPECT_EQ(wifi_is_activated(&on), WIFI_ERROR_NONE);
    EXPECT_FALSE(on);
    EXPECT_EQ(wifi_is_activated(nullptr), WIFI_ERROR_INVALID_PARAMETER);
    EXPECT_EQ(wifi_set_rssi_level_changed_cb(nullptr, nullptr), WIFI_ERROR_INVALID_PARAMETER);
    EXPECT_EQ(wifi_deinitialize(), WIFI_ERROR_NONE);
    EXPECT_EQ(wifi_deinitialize(), WIFI_ERROR_INVALID_OPERATION);
}

TEST_F(Wifi, ActivationArrivesLaterAndMovesTheStateKey)
{
    EXPECT_EQ(wifi_scan(on_scanned, nullptr), WIFI_ERROR_INVALID_OPERATION) << "off";
    EXPECT_TRUE(found().empty()) << "off: nothing known";
    double asked = test_support::now();
    ASSERT_EQ(wifi_activate(on_activated, nullptr), WIFI_ERROR_NONE);
    EXPECT_TRUE(events.empty()) << "never inside the call";
    EXPECT_EQ(wifi_activate(on_activated, nullptr), WIFI_ERROR_NOW_IN_PROGRESS);
    ASSERT_EQ(wifi_scan(on_scanned, nullptr), WIFI_ERROR_NONE) << "waits for Wi-Fi to be on";
    bool on = true;
    wifi_is_activated(&on);
    EXPECT_FALSE(on);
    EXPECT_EQ(wifi_key(), 0);

    ASSERT_TRUE(wait_events(3));
    EXPECT_GE(test_support::now() - asked, 0.35) << "activation, then the scan";
    EXPECT_EQ(events, (strings{"activated WIFI_ERROR_NONE", "device 1", "scanned WIFI_ERROR_NONE"}));
    wifi_is_activated(&on);
    EXPECT_TRUE(on);
    EXPECT_EQ(wifi_key(), 1);
    EXPECT_EQ(wifi_activate(on_activated, nullptr), WIFI_ERROR_ALREADY_EXISTS);
    EXPECT_EQ(names(), (strings{"Home", "Later", "Open"}));

    // Switched off by another program, then a chosen result: the activation fails.
    radio([](wifi_radio::state &s) {
        s.activated = false;
        s.failures.push_back({"wifi_activated_cb", WIFI_ERROR_SECURITY_RESTRICTED, true});
    });
    ASSERT_TRUE(wait_events(4));
    EXPECT_EQ(events.back(), "device 0");
    events.clear();
    ASSERT_EQ(wifi_activate(on_activated, nullptr), WIFI_ERROR_NONE);
    ASSERT_TRUE(wait_events(1));
    spin_until(0.2, [] { return false; });
    EXPECT_EQ(events, strings{"activated WIFI_ERROR_SECURITY_RESTRICTED"});
    EXPECT_EQ(wifi_key(), 0);
}

TEST_F(Wifi, TheWalkKnowsScannedApsInRadioOrderAndStopsWhenAsked)
{
    switch_on();
    EXPECT_EQ(names(), (strings{"Home", "Open"}));
    int visited = 0;
    EXPECT_EQ(wifi_foreach_found_aps([](wifi_ap_h, void *n) { return ++*static_cast<int *>(n) > 5; }, &visited),
              WIFI_ERROR_NONE);
    EXPECT_EQ(visited, 1);
    EXPECT_EQ(wifi_foreach_found_aps(nullptr, nullptr), WIFI_ERROR_INVALID_PARAMETER);

    ASSERT_EQ(wifi_scan(on_scanned, nullptr), WIFI_ERROR_NONE);
    EXPECT_EQ(names(), (strings{"Home", "Open"})) << "until the scan ends";
    ASSERT_TRUE(wait_events(1));
    EXPECT_EQ(events, strings{"scanned WIFI_ERROR_NONE"});
    EXPECT_EQ(names(), (strings{"Home", "Later", "Open"}));
    EXPECT_EQ(found()[0].second, found()[0].second) << "one handle per name";
}

TEST_F(Wifi, AConnectionPassesItsStatesAndEndsAsTheRadioSays)
{
    struct outcome {
        const char *ap;
        int radio_result;
        const char *passphrase;
        strings expected;
    };
    const outcome outcomes[] = {
        {"Home", 0, "pass word", {"state 1 Home", "state 2 Home", "state 3 Home", "connected WIFI_ERROR_NONE"}},
        {"Home", 0, "Pass word", {"state 1 Home", "state -1 Home", "state 0 Home", "connected WIFI_ERROR_INVALID_KEY"}},
        {"Home", 0, nullptr, {"state 1 Home", "state -1 Home", "state 0 Home", "connected WIFI_ERROR_INVALID_KEY"}},
        {"Open", WIFI_ERROR_DHCP_FAILED, "ignored",
         {"state 1 Open", "state 2 Open", "state -1 Open", "state 0 Open", "connected WIFI_ERROR_DHCP_FAILED"}},
        {"Open", WIFI_ERROR_NO_REPLY, nullptr,
         {"state 1 Open", "state -1 Open", "state 0 Open", "connected WIFI_ERROR_NO_REPLY"}},
        {"Open", WIFI_ERROR_OPERATION_FAILED, nullptr,
         {"state 1 Open", "state -1 Open", "state 0 Open", "connected WIFI_ERROR_OPERATION_FAILED"}},
    };
    switch_on();
    for (const outcome &o : outcomes) {
        radio([&o](wifi_radio::state &s) {
            s.find(o.ap)->result = o.radio_result;
            s.connected_ap.clear();
            s.connection = 0;
        });
        events.clear();
        ASSERT_EQ(connect(ap_named(o.ap), o.passphrase), WIFI_ERROR_NONE);
        EXPECT_TRUE(events.empty()) << "never inside the call";
        ASSERT_TRUE(wait_events(o.expected.size())) << o.ap;
        spin_until(0.1, [] { return false; });
        EXPECT_EQ(events, o.expected);
    }
    EXPECT_EQ(wifi_key(), 1);

    radio([](wifi_radio::state &s) { s.find("Open")->result = 0; });
    events.clear();
    wifi_ap_h open = ap_named("Open");
    ASSERT_EQ(connect(open), WIFI_ERROR_NONE);
    EXPECT_EQ(wifi_connect(open, on_connected, nullptr), WIFI_ERROR_NOW_IN_PROGRESS);
    ASSERT_TRUE(wait_events(4));
    wifi_radio::state s = radio_state();
    EXPECT_EQ(s.connected_ap, "Open");
    EXPECT_EQ(s.applied, (wifi_radio::ip_settings{WIFI_IP_CONFIG_TYPE_STATIC, "10.1.2.3", "255.255.255.0",
                                                  "10.1.2.1", "", "10.1.2.53"}));
    EXPECT_EQ(wifi_key(), 2);

    // Again to the connected access point: nothing changes, it says so.
    events.clear();
    ASSERT_EQ(wifi_connect(open, on_connected, nullptr), WIFI_ERROR_NONE);
    ASSERT_TRUE(wait_events(1));
    EXPECT_EQ(events, strings{"connected WIFI_ERROR_ALREADY_EXISTS"});

    // Without a static configuration the network's DHCP lease applies.
    wifi_ap_h home = ap_named("Home");
    wifi_ap_set_ip_config_type(home, WIFI_ADDRESS_FAMILY_IPV4, WIFI_IP_CONFIG_TYPE_DYNAMIC);
    ASSERT_EQ(wifi_ap_set_passphrase(home, "pass word"), WIFI_ERROR_NONE);
    events.clear();
    ASSERT_EQ(wifi_connect(home, on_connected, nullptr), WIFI_ERROR_NONE);
    ASSERT_TRUE(wait_events(4));
    s = radio_state();
    EXPECT_EQ(s.connected_ap, "Home");
    EXPECT_EQ(s.applied.config_type, WIFI_IP_CONFIG_TYPE_DYNAMIC);
    EXPECT_EQ(s.applied.ip, "192.168.0.100");
}

TEST_F(Wifi, SettersAndConnectRefuseBadArguments)
{
    switch_on();
    wifi_ap_h ap = ap_named("Home");
    for (const char *bad : {"10.0.0", "10.0.0.256", "abc", "", " 10.0.0.1"})
        EXPECT_EQ(wifi_ap_set_ip_address(ap, WIFI_ADDRESS_FAMILY_IPV4, bad), WIFI_ERROR_INVALID_PARAMETER) << bad;
    EXPECT_EQ(wifi_ap_set_gateway_address(ap, WIFI_ADDRESS_FAMILY_IPV4, nullptr), WIFI_ERROR_INVALID_PARAMETER);
    EXPECT_EQ(wifi_ap_set_subnet_mask(ap, WIFI_ADDRESS_FAMILY_IPV6, "255.0.0.0"),
              WIFI_ERROR_ADDRESS_FAMILY_NOT_SUPPORTED);
    EXPECT_EQ(wifi_ap_set_dns_address(ap, 3, WIFI_ADDRESS_FAMILY_IPV4, "1.2.3.4"), WIFI_ERROR_INVALID_PARAMETER);
    EXPECT_EQ(wifi_ap_set_passphrase(ap, nullptr), WIFI_ERROR_INVALID_PARAMETER);
    EXPECT_EQ(wifi_ap_set_ip_config_type(ap, WIFI_ADDRESS_FAMILY_IPV4, static_cast<wifi_ip_config_type_e>(3)),
              WIFI_ERROR_INVALID_PARAMETER);
    bool required = false;
    EXPECT_EQ(wifi_ap_is_passphrase_required(ap, &required), WIFI_ERROR_NONE);
    EXPECT_TRUE(required);
    EXPECT_EQ(wifi_ap_is_passphrase_required(ap_named("Open"), &required), WIFI_ERROR_NONE);
    EXPECT_FALSE(required);
    wifi_ap_set_ip_config_type(ap, WIFI_ADDRESS_FAMILY_IPV4, WIFI_IP_CONFIG_TYPE_STATIC);
    EXPECT_EQ(wifi_connect(ap, on_connected, nullptr), WIFI_ERROR_INVALID_PARAMETER)
        << "static without address and mask";

    wifi_deinitialize();
    ASSERT_EQ(wifi_initialize(), WIFI_ERROR_NONE);
    char *essid = nullptr;
    EXPECT_EQ(wifi_ap_get_essid(ap, &essid), WIFI_ERROR_INVALID_PARAMETER) << "a handle of before";
    EXPECT_EQ(wifi_connect(nullptr, on_connected, nullptr), WIFI_ERROR_INVALID_PARAMETER);
}

TEST_F(Wifi, ChosenErrorsComeBackFromTheirCall)
{
    switch_on();
    wifi_ap_h ap = ap_named("Home");
    ASSERT_EQ(tool({"fail", "wifi_scan", "NOW_IN_PROGRESS"}).status, 0);
    ASSERT_EQ(tool({"fail", "wifi_ap_get_essid", "0xFE3B0305", "--once"}).status, 0);
    EXPECT_EQ(wifi_scan(on_scanned, nullptr), WIFI_ERROR_NOW_IN_PROGRESS);
    EXPECT_EQ(wifi_scan(on_scanned, nullptr), WIFI_ERROR_NOW_IN_PROGRESS) << "until cleared";
    char *essid = nullptr;
    EXPECT_EQ(wifi_ap_get_essid(ap, &essid), static_cast<int>(0xFE3B0305u));
    EXPECT_EQ(wifi_ap_get_essid(ap, &essid), WIFI_ERROR_NONE) << "once";
    free(essid);
    ASSERT_EQ(tool({"fail", "wifi_scan", "none"}).status, 0);
    EXPECT_EQ(wifi_scan(on_scanned, nullptr), WIFI_ERROR_NONE);
    EXPECT_TRUE(radio_state().failures.empty());

    ASSERT_EQ(tool({"fail", "wifi_initialize", "permission_denied"}).status, 0);
    wifi_deinitialize();
    EXPECT_EQ(wifi_initialize(), WIFI_ERROR_PERMISSION_DENIED);
    ASSERT_EQ(tool({"fail", "wifi_initialize", "none"}).status, 0);
    EXPECT_EQ(wifi_initialize(), WIFI_ERROR_NONE);
}

TEST_F(Wifi, ChangesByAnotherProcessReachTheStateCallbacks)
{
    switch_on();
    ASSERT_EQ(connect(ap_named("Open")), WIFI_ERROR_NONE);  // level 3
    ASSERT_TRUE(wait_events(4));
    const std::pair<strings, strings> changes[] = {
        {{"ap", "Open", "--signal", "-85"}, {"rssi 1"}},
        {{"ap", "Home", "--signal", "-20"}, {}},  // not the connected one
        {{"scan"}, {"background WIFI_ERROR_NONE"}},
        {{"disconnect"}, {"state 0 Open"}},
        {{"off"}, {"device 0"}},
        {{"on"}, {"device 1"}},
    };
    for (const auto &[args, expected] : changes) {
        events.clear();
        ASSERT_EQ(tool(args).status, 0) << args[0];
        spin_until(1.0, [&] { return events.size() >= expected.size() && !expected.empty(); });
        spin_until(0.15, [] { return false; });
        EXPECT_EQ(events, expected) << args[0];
    }

    // Switched off while connecting: the connection is aborted.
    events.clear();
    ASSERT_EQ(connect(ap_named("Later")), WIFI_ERROR_NONE);
    ASSERT_TRUE(wait_events(1));
    ASSERT_EQ(tool({"off"}).status, 0);
    const std::string aborted = "connected WIFI_ERROR_OPERATION_ABORTED";
    EXPECT_TRUE(spin_until(2, [&] { return std::count(events.begin(), events.end(), aborted) == 1; }))
        << ::testing::PrintToString(events);
    EXPECT_EQ(wifi_key(), 0);
}

TEST_F(Wifi, AfterDeinitialisationNoCallbackComesButTheRadioFinishes)
{
    ASSERT_EQ(wifi_activate(on_activated, nullptr), WIFI_ERROR_NONE);
    ASSERT_EQ(wifi_deinitialize(), WIFI_ERROR_NONE);
    spin_until(0.5, [] { return false; });
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(radio_state().activated) << "read later, the activation has ended";
    EXPECT_EQ(wifi_key(), 1);
    ASSERT_EQ(wifi_initialize(), WIFI_ERROR_NONE);
}

TEST(WifiRadio, StateFileKeepsAnyNameAndRefusesABrokenFile)
{
    PlatformDir dir;
    EcoreHeld ecore;
    wifi_radio::state s;
    s.aps = {{"a b=c%d", true, "p\tq\n", -40, false, WIFI_ERROR_NO_REPLY}, {"Café \"x\"", false, "", -90, true, 0}};
    s.failures = {{"wifi_connect", -29687035, true}};
    s.connected_ap = "a b=c%d";
    s.connection = WIFI_CONNECTION_STATE_CONNECTED;
    s.applied = {WIFI_IP_CONFIG_TYPE_STATIC, "1.2.3.4", "255.0.0.0", "1.0.0.1", "", "8.8.4.4"};
    s.pending = {{7, wifi_radio::op_kind::connect, 1.5, 2.25, WIFI_ERROR_DHCP_FAILED, "x y", {}, true}};
    s.recent = {{3, WIFI_ERROR_OPERATION_ABORTED}};
    s.next_id = 8;
    std::string text = wifi_radio::serialize(s), error;
    wifi_radio::state back;
    ASSERT_TRUE(wifi_radio::parse(text, back, error)) << error;
    EXPECT_EQ(wifi_radio::serialize(back), text);
    EXPECT_EQ(back.aps[0].passphrase, "p\tq\n");
    EXPECT_EQ(back.aps[1].name, "Café \"x\"");
    for (const char *broken : {"wifi maybe\n", "ap name=x secured=2\n", "ap secured=1\n", "times scan=fast\n",
                               "ap name=%4\n", "ap name=a%00b\n", "whatever\n", "fail call=x error=1 once=0 junk\n"})
        EXPECT_FALSE(wifi_radio::parse(broken, back, error)) << broken;

    std::ofstream(wifi_radio::dir() + "/radio") << "wifi on\nap name=x secured=yes\n";
    ASSERT_EQ(wifi_initialize(), WIFI_ERROR_OPERATION_FAILED) << "a broken radio is no radio";
    std::remove((wifi_radio::dir() + "/radio").c_str());
    ASSERT_EQ(wifi_initialize(), WIFI_ERROR_NONE);
    wifi_deinitialize();
}

TEST(WifiRadio, ConcurrentToolsLoseNoChange)
{
    PlatformDir dir;
    std::vector<std::unique_ptr<test_support::Child>> writers;
    for (const char *prefix : {"a", "b", "c"}) {
        std::string script;
        for (int i = 0; i < 10; ++i)
            script += std::string(PANEL_WIFI_PATH) + " ap " + prefix + std::to_string(i) + " || exit 1\n";
        writers.push_back(std::make_unique<test_support::Child>(strings{"/bin/sh", "-c", script}));
    }
    for (auto &w : writers)
        EXPECT_EQ(w->stop(0), 0);
    EXPECT_EQ(radio_state().aps.size(), 30u);
}

TEST(PanelWifi, CommandsShowWhatTheyDidAndRefuseMistakes)
{
    PlatformDir dir;
    struct step {
        strings args;
        int status;
        std::string err;  // part of the one error line
    };
    const step steps[] = {
        {{"ap", "Shop Wi-Fi", "--passphrase", "k=1 %", "--signal", "-67", "--after-scan", "--result", "dhcp-failure"},
         0, ""},
        {{"ap", "Open", "--open", "--result", "0xFE3B0305"}, 0, ""},
        {{"times", "--connect", "0.5", "--scan", "0"}, 0, ""},
        {{"fail", "wifi_connect", "invalid_key", "--once"}, 0, ""},
        {{"softap", "on"}, 0, ""},
        {{"on"}, 0, ""},
        {{"ap", "x", "--signal", "5"}, 2, "signal is in dBm"},
        {{"ap", "x", "--result", "maybe"}, 2, "unknown outcome: maybe"},
        {{"ap", "x", "--passphrase"}, 2, "unknown or incomplete option"},
        {{"ap"}, 2, "ap takes a NAME"},
        {{"times", "--scan", "-1"}, 2, "seconds from 0 to 3600"},
        {{"times", "--slow", "1"}, 2, "unknown option for times"},
        {{"fail", "wifi_teleport", "1"}, 2, "unknown call: wifi_teleport"},
        {{"fail", "wifi_scan", "WIFI_ERROR_NONE"}, 2, "unknown error"},
        {{"remove", "nobody"}, 1, "no access point \"nobody\""},
        {{"softap", "maybe"}, 2, "softap takes on or off"},
        {{"dance"}, 2, "unknown command: dance"},
        {{"scan", "now"}, 2, "scan takes no argument"},
    };
    for (const step &s : steps) {
        test_support::RunResult r = tool(s.args);
        EXPECT_EQ(r.status, s.status) << s.args[0] << r.err;
        EXPECT_NE(r.err.find(s.err.empty() ? "" : "panel-wifi: " + s.err), std::string::npos) << r.err;
    }
    int softap = 0;
    EXPECT_EQ(vconf_get_bool(wifi_radio::softap_key, &softap), 0);
    EXPECT_EQ(softap, 1);
    EXPECT_EQ(wifi_key(), 1);
    EXPECT_EQ(tool({"show"}).out,
              "wifi: on\n"
              "soft AP: on\n"
              "connection: none\n"
              "times: activation 1 s, scan 0 s, connect 0.5 s\n"
              "access points:\n"
              "  \"Shop Wi-Fi\"  passphrase \"k=1 %\"  signal -67 dBm (level 3)  after a scan  ends: dhcp-failure\n"
              "  \"Open\"  open  signal -50 dBm (level 4)  known  ends: -29687035 (no name)\n"
              "failures:\n"
              "  wifi_connect  WIFI_ERROR_INVALID_KEY (-29687033)  once\n");

    EXPECT_EQ(tool({"remove", "Open"}).status, 0);
    EXPECT_EQ(tool({"scan"}).status, 0);
    EXPECT_TRUE(radio_state().aps[0].known);
    EXPECT_EQ(tool({"off"}).status, 0);
    EXPECT_EQ(wifi_key(), 0);
    EXPECT_EQ(tool({"reset"}).status, 0);
    EXPECT_TRUE(radio_state().aps.empty());
    std::string errors = tool({"errors"}).out;
    std::size_t key = errors.find("WIFI_ERROR_INVALID_KEY ");
    ASSERT_NE(key, std::string::npos) << errors;
    EXPECT_EQ(errors.substr(key, errors.find('\n', key) - key).substr(40), "   -29687033  0xFE3B0307");
    EXPECT_EQ(tool({"--help"}).status, 0);
    EXPECT_EQ(tool({}).status, 2);

    // Errors by name, short name, decimal value or 32-bit pattern.
    const std::pair<const char *, int> spellings[] = {{"no_reply", WIFI_ERROR_NO_REPLY},
                                                      {"WIFI_ERROR_Dhcp_Failed", WIFI_ERROR_DHCP_FAILED},
                                                      {"-13", WIFI_ERROR_PERMISSION_DENIED},
                                                      {"0xC0000002", WIFI_ERROR_NOT_SUPPORTED}};
    for (const auto &[text, value] : spellings) {
        ASSERT_EQ(tool({"fail", "wifi_scan", text}).status, 0) << text;
        EXPECT_EQ(radio_state().failures.back().error, value) << text;
    }
    for (const char *bad : {"0x1FFFFFFFF", "12x", "", "0x"})
        EXPECT_EQ(tool({"fail", "wifi_scan", bad}).status, 2) << bad;
}
