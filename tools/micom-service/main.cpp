/*
 * micom-service: the simulated micom service as a program.
 *
 * Parses the command line, starts the simulation (which writes the start-up
 * keys), then runs a plain Ecore main loop until SIGINT or SIGTERM.
 * State: the tick timer and the exit-signal handler.
 * Timers: one 0.05 s timer driving the simulation's clock.
 * Reads: "memory/refrigerator/TxMessage" through a change notification;
 * every value written there is printed as one line on standard output.
 */
#include "micom_args.h"
#include "micom_channel.h"
#include "micom_sim.h"
#include "text_util.h"

#include <Ecore.h>
#include <vconf.h>
#include <vconf_store.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr double TICK_PERIOD = 0.05;

Ecore_Timer *tick_timer = nullptr;
Ecore_Event_Handler *exit_handler = nullptr;

/* One line on standard output, flushed at once (people and tests read it
 * while the service runs). */
void say(const std::string &line)
{
    std::fputs(("micom-service: " + line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

}  // namespace

static void _tx_message_changed_cb(keynode_t *node, void *user_data)
{
    (void)user_data;
    try {
        const char *text = nullptr;
        if (node && vconf_keynode_get_type(node) == VCONF_TYPE_STRING)
            text = vconf_keynode_get_str(node);
        if (text == nullptr) {
            say("received a value that is not a text (ignored)");
            return;
        }
        const int result = micom_sim_command(text, ecore_time_get());
        const std::string shown = printable_text(text, 200);
        if (result > 0)
            say("received " + shown);
        else if (result < 0)
            say("received " + shown + " (unknown command, ignored)");
        else if (shown.find_first_not_of(' ') == std::string::npos)
            say("received \"" + shown + "\" (blank, ignored)");
        else
            say("received " + shown + " (silent, not answered)");
    } catch (...) {
        say("failed to handle a command");
    }
}

static Eina_Bool _tick_cb(void *data)
{
    (void)data;
    try {
        micom_sim_tick(ecore_time_get());
    } catch (...) {
        say("failed to advance the simulation");
    }
    return ECORE_CALLBACK_RENEW;
}

static Eina_Bool _exit_signal_cb(void *data, int type, void *event)
{
    (void)data;
    (void)type;
    (void)event;
    ecore_main_loop_quit();
    return ECORE_CALLBACK_DONE;
}

int main(int argc, char **argv)
{
    micom_config config;
    std::string message;
    const int parsed = micom_args_parse(argc, argv, &config, &message);
    if (parsed > 0) {
        std::fputs(message.c_str(), stdout);
        return 0;
    }
    if (parsed < 0) {
        std::fprintf(stderr, "micom-service: %s\n", message.c_str());
        return 2;
    }

    ecore_app_no_system_modules();
    if (!ecore_init()) {
        std::fprintf(stderr, "micom-service: cannot initialise the main loop\n");
        return 1;
    }
    /* A service that cannot write answers nothing: it says so and ends. */
    if (!micom_sim_start(config, ecore_time_get())) {
        std::fprintf(stderr, "micom-service: cannot write the start-up keys in %s\n", vconf_store_dir());
        ecore_shutdown();
        return 1;
    }
    if (vconf_notify_key_changed(VCONFKEY_REFRIGERATOR_TX_MESSAGE, _tx_message_changed_cb, nullptr) != VCONF_OK) {
        std::fprintf(stderr, "micom-service: cannot watch %s\n", VCONFKEY_REFRIGERATOR_TX_MESSAGE);
        ecore_shutdown();
        return 1;
    }
    exit_handler = ecore_event_handler_add(ECORE_EVENT_SIGNAL_EXIT, _exit_signal_cb, nullptr);
    tick_timer = ecore_timer_add(TICK_PERIOD, _tick_cb, nullptr);

    char *model = vconf_get_str(VCONFKEY_REFRIGERATOR_MODEL_NAME);
    say(std::string("ready (model ") + (model ? model : "?") + ", platform " +
        vconf_store_dir() + ")");
    std::free(model);
    ecore_main_loop_begin();

    vconf_ignore_key_changed(VCONFKEY_REFRIGERATOR_TX_MESSAGE, _tx_message_changed_cb);
    ecore_timer_del(tick_timer);
    ecore_event_handler_del(exit_handler);
    ecore_shutdown();
    say("stopped");
    return 0;
}
