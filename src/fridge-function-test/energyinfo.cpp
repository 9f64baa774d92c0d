/*
 * Energy information screen of the refrigerator test view (mode 9).
 *
 * Measures the energy the refrigerator uses while a measurement runs: the
 * micom's share, reported through memory/refrigerator/SmartGridWatt1..4
 * (a report on every change of SmartGridWatt4), and the LCD panel's share,
 * sampled once a second by a thread of its own. The log box shows the
 * running state, start and update times and the instantaneous and
 * cumulative energies; the main list offers start, stop and clear.
 *
 * State: the LCD accumulator tmpLCDEnergy (hundredths of a watt-second
 * since the last report), the one value shared with the sampling thread and
 * guarded by lcdMutex; everything else belongs to the main loop: the run
 * (running flag, thread handle, start and update times) and the six energy
 * values in hundredths of a watt-hour (unsigned, they wrap). Nothing is
 * written to disk. No timers: the thread pauses between samples.
 *
 * Reads memory/refrigerator/SmartGridWatt1..4 (notified on SmartGridWatt4)
 * and memory/refrigerator/ErrorList (connection check); writes the log box,
 * "time" and the list panel.
 *
 * The thread never touches a widget. It can be cancelled only while it
 * pauses between samples, so a cancellation never leaves lcdMutex held,
 * nor a log line or a key read half done.
 */
#include "energyinfo.h"

#include <device.h>
#include <vconf.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <exception>
#include <mutex>
#include <optional>
#include <pthread.h>
#include <semaphore>
#include <string>

#include "common.h"
#include "entry_monitor.h"
#include "list_panel.h"
#include "log.h"
#include "main.h"
#include "micom_channel.h"
#include "screen_util.h"

namespace {

constexpr int ENERGY_MODE = 9;
constexpr intptr_t CMD_START = 100000;
constexpr intptr_t CMD_STOP = 100001;
constexpr intptr_t CMD_CLEAR = 100002;

constexpr std::size_t LINE_BUFFER_SIZE = 50;
constexpr std::size_t DATE_BUFFER_SIZE = 20;
/* An accumulator above this restarts from 0 before the next sample. */
constexpr int LCD_MAX_ENERGY = 600000;
constexpr int SECONDS_PER_HOUR = 3600;

constexpr std::array<const char *, 4> WATT_KEYS{
    VCONFKEY_REFRIGERATOR_SMART_GRID_WATT1, VCONFKEY_REFRIGERATOR_SMART_GRID_WATT2,
    VCONFKEY_REFRIGERATOR_SMART_GRID_WATT3, VCONFKEY_REFRIGERATOR_SMART_GRID_WATT4};

/* Shared with the sampling thread. */
std::mutex lcdMutex;
int tmpLCDEnergy = 0; /* guarded by lcdMutex */
std::atomic<unsigned int> sample_period_us{1000000};
/* The thread's pause: a condition nothing signals, and its mutex. */
pthread_mutex_t pause_mutex = PTHREAD_MUTEX_INITIALIZER;
pthread_cond_t pause_cond = PTHREAD_COND_INITIALIZER;
/* Released by the thread's cleanup handler once it has left its loop. */
std::counting_semaphore<> thread_gone{0};

/* The rest belongs to the main loop. */
struct energy_values {
    uint32_t instant_micom = 0;
    uint32_t instant_lcd = 0;
    uint32_t instant_sum = 0;
    uint32_t total_micom = 0;
    uint32_t total_lcd = 0;
    uint32_t total_sum = 0;
};

struct energy_run {
    unsigned char running = 0;          /* thread started and notification registered */
    std::optional<pthread_t> threadID;  /* the sampling thread, until cancelled */
    std::array<char, DATE_BUFFER_SIZE> start_time{"Ready"};
    std::array<char, DATE_BUFFER_SIZE> update_time{"Ready"};
};

energy_values values;
energy_run run;

void set_ready(std::array<char, DATE_BUFFER_SIZE> &text)
{
    text = {"Ready"};
}

/* Local time "%Y-%m-%d-%H:%M:%S" into a 20-byte buffer. */
void get_date(char *buffer)
{
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    strftime(buffer, DATE_BUFFER_SIZE, "%Y-%m-%d-%H:%M:%S", &local);
}

void append_line(const std::string &line)
{
    append_entry_data(line.c_str(), 0);
}

/* v hundredths of a watt-hour as "v / 100 . v % 100". */
void append_energy(const char *format, uint32_t v)
{
    append_line(format_cut(LINE_BUFFER_SIZE, format, v / 100, v % 100));
}

/* Rewrites the log box with the current report. */
void _update_energyinfo(void)
{
    append_entry_data(format_cut(LINE_BUFFER_SIZE, "====  Energy Information  ====").c_str(), 1);
    append_line(format_cut(LINE_BUFFER_SIZE, "Running Status : %s", run.running ? "Running" : "Stop"));
    append_line(format_cut(LINE_BUFFER_SIZE, "Start Time : %s", run.start_time.data()));
    append_line(format_cut(LINE_BUFFER_SIZE, "Update Time : %s", run.update_time.data()));
    append_energy("Instantaneous Micom Energy : %u.%02u Wh", values.instant_micom);
    append_energy("Instantaneous LCD Energy : %u.%02u Wh", values.instant_lcd);
    append_energy("Instantaneous SUM Energy : %u.%02u Wh", values.instant_sum);
    append_energy("Cumulative Micom Energy : %u.%02u Wh", values.total_micom);
    append_energy("Cumulative LCD Energy : %u.%02u Wh", values.total_lcd);
    append_energy("Cumulative SUM Energy : %u.%02u Wh", values.total_sum);
}

/* Thread: runs when the thread is cancelled. */
void cleanup(void *)
{
    LOGD("Clean Up");
    thread_gone.release();
}

/* Thread: releases the pause's mutex, which a cancellation during the
 * pause has taken again. */
void end_pause(void *)
{
    pthread_mutex_unlock(&pause_mutex);
}

/* Thread body: one sample, then a pause, until cancelled. Cancellation is
 * enabled only during the pause, so the log and the key store never run
 * with a cancellation point of their own live, and lcdMutex is never held
 * when the thread can go. The pause is a timed wait on a condition nothing
 * signals: its cancellation is well defined (the wait's mutex comes back
 * held and end_pause releases it) and one that ThreadSanitizer follows,
 * which it does not for a plain sleep. */
void *energyThread(void *)
{
    int previous = 0;
    pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &previous);
    LOGD("REPORT] Start Thread");
    pthread_cleanup_push(cleanup, nullptr);
    for (;;) {
        energyinfo_sample_once();

        unsigned int us = sample_period_us.load(std::memory_order_relaxed);
        timespec until{};
        clock_gettime(CLOCK_MONOTONIC, &until);
        until.tv_sec += static_cast<time_t>(us / 1000000);
        until.tv_nsec += static_cast<long>(us % 1000000) * 1000;
        if (until.tv_nsec >= 1000000000L) {
            until.tv_sec++;
            until.tv_nsec -= 1000000000L;
        }
        pthread_mutex_lock(&pause_mutex);
        pthread_cleanup_push(end_pause, nullptr);
        pthread_setcancelstate(PTHREAD_CANCEL_ENABLE, &previous);
        while (pthread_cond_clockwait(&pause_cond, &pause_mutex, CLOCK_MONOTONIC, &until) == 0) {
        }
        pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &previous);
        pthread_cleanup_pop(1);
    }
    pthread_cleanup_pop(0);
    return nullptr;
}

/* Main loop: the micom's report, on every change of SmartGridWatt4. */
void _vconf_callback_fn(keynode_t *, void *)
try {
    LOGD("_vconf_callback_fn");
    get_date(run.update_time.data());

    std::array<int, 4> watt{};
    for (std::size_t i = 0; i < WATT_KEYS.size(); ++i)
        watt[i] = key_get_int(WATT_KEYS[i]).value_or(0);
    uint32_t micom = 0;
    for (int w : watt)
        micom = micom << 8 | (static_cast<uint32_t>(w) & 255);
    LOGD("REPORT] vconf1: %d, vconf2: %d, vconf3: %d, vconf4: %d, final: %d", watt[0], watt[1],
         watt[2], watt[3], static_cast<int>(micom));
    LOGD("REPORT] Micom energy Wh: %d", static_cast<int>(micom));
    values.instant_micom = micom;
    values.total_micom += micom;

    {
        std::lock_guard<std::mutex> lock(lcdMutex);
        LOGD("REPORT] LCD energy RAW: %d", tmpLCDEnergy);
        int lcd = tmpLCDEnergy / SECONDS_PER_HOUR;
        LOGD("REPORT] LCD energy Convert Wh: %d", lcd);
        values.instant_lcd = static_cast<uint32_t>(lcd);
        values.total_lcd += static_cast<uint32_t>(lcd);
        tmpLCDEnergy %= SECONDS_PER_HOUR;
        LOGD("REPORT] save Wh: %d", tmpLCDEnergy);
    }

    values.instant_sum = values.instant_micom + values.instant_lcd;
    values.total_sum = values.total_micom + values.total_lcd;

    if (get_mode() == ENERGY_MODE) {
        LOGD("get_mode : %d, energy : %d", get_mode(), static_cast<int>(values.instant_sum));
        _update_energyinfo();
    }
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

void start_measurement(void)
{
    LOGD("Start");
    if (run.running)
        return;
    run.running = 1;
    pthread_t id;
    if (pthread_create(&id, nullptr, energyThread, nullptr) == 0) {
        pthread_detach(id);
        run.threadID = id;
        LOGD("Energy Thread Success");
    } else {
        LOGD("Energy Thread Fail");
    }
    if (vconf_notify_key_changed(VCONFKEY_REFRIGERATOR_SMART_GRID_WATT4, _vconf_callback_fn,
                                 nullptr) != VCONF_OK)
        LOGE("cannot watch %s", VCONFKEY_REFRIGERATOR_SMART_GRID_WATT4);
    get_date(run.start_time.data());
}

void clear_measurement(void)
{
    LOGD("Clear");
    if (!run.running)
        set_ready(run.start_time);
    set_ready(run.update_time);
    values = energy_values{};
}

/* The three main-list items; data is the command number. A row does not
 * stay selected, so that every tap on it counts (a second Clear after a
 * report, a second Stop). */
void _energy_item_clicked_cb(void *data, Evas_Object *, void *event_info)
try {
    LOGD("START");
    auto command = reinterpret_cast<intptr_t>(data);
    LOGD("main clicked: %d", static_cast<int>(command));
    switch (command) {
    case CMD_START:
        start_measurement();
        break;
    case CMD_STOP:
        LOGD("Stop");
        delete_energyinfo();
        break;
    case CMD_CLEAR:
        clear_measurement();
        break;
    default:
        break;
    }
    _update_energyinfo();
    if (event_info)
        elm_list_item_selected_set(static_cast<Elm_Object_Item *>(event_info), EINA_FALSE);
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

}  // namespace

void energyinfo_sample_once(void)
{
    int reading = device_get_power_measurement_value();
    if (reading <= 0)
        return;
    std::lock_guard<std::mutex> lock(lcdMutex);
    LOGD("REPORT] LCD energy : %d", reading);
    if (tmpLCDEnergy > LCD_MAX_ENERGY) {
        LOGD("REPORT] OVER LCD MAX ENERGY : %d", tmpLCDEnergy);
        tmpLCDEnergy = 0;
    }
    /* Wraps like the unsigned values instead of overflowing. */
    tmpLCDEnergy = static_cast<int>(static_cast<uint32_t>(tmpLCDEnergy) + static_cast<uint32_t>(reading));
}

void energyinfo_set_sample_period_us(unsigned int microseconds)
{
    sample_period_us.store(microseconds, std::memory_order_relaxed);
}

void init_energyinfo(void)
try {
    LOGD("init_energyinfo");
    LOGD("START");
    screen_button_add("REFLCD_NV2_EM_FRIDGE_ENERGY_INFO", 10, 1585, _btn_energyinfo_cb);
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

void _btn_energyinfo_cb(void *, Evas_Object *, void *)
try {
    LOGD("START");
    if (check_connection_error()) {
        LOGE("Connection Error !!");
        append_entry_data("=== No Connection === ", 1);
        return;
    }
    start_mode(ENERGY_MODE);
    screen_time_set("-");
    _update_energyinfo();

    Evas_Object *li_main = get_li_main();
    Evas_Object *li_sub = get_li_sub();
    RET_IF(NULL == li_main || NULL == li_sub);
    elm_list_clear(li_main);
    elm_list_item_append(li_main, "Start Option", nullptr, nullptr, _energy_item_clicked_cb,
                         reinterpret_cast<void *>(CMD_START));
    elm_list_item_append(li_main, "Stop Option", nullptr, nullptr, _energy_item_clicked_cb,
                         reinterpret_cast<void *>(CMD_STOP));
    elm_list_item_append(li_main, "Clear Option", nullptr, nullptr, _energy_item_clicked_cb,
                         reinterpret_cast<void *>(CMD_CLEAR));
    elm_list_go(li_main);

    append_entry_data("==============================", 0);

    elm_list_clear(li_sub);
    elm_list_go(li_sub);
    play_sound_button();
} catch (const std::exception &e) {
    LOGE("%s", e.what());
}

void delete_energyinfo(void)
{
    LOGD("delete_energyinfo");
    if (run.running) {
        run.running = 0;
        vconf_ignore_key_changed(VCONFKEY_REFRIGERATOR_SMART_GRID_WATT4, _vconf_callback_fn);
    }
    if (run.threadID) {
        pthread_cancel(*run.threadID);
        run.threadID.reset();
        /* The thread leaves at its next pause; afterwards it touches nothing
         * of this module, so the process may end or start another. */
        if (!thread_gone.try_acquire_for(std::chrono::seconds(2)))
            LOGE("the sampling thread did not end within 2 s");
    }
}
