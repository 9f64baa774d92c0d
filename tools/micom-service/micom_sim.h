/*
 * Simulated micom service: the refrigerator side of the micom message
 * channel, without any main loop of its own. The caller hands it every
 * command read from "memory/refrigerator/TxMessage" and calls the tick
 * function often (a few times a second); all times are seconds on a
 * monotonic clock chosen by the caller, so tests can drive it with a
 * virtual clock.
 */
#ifndef MICOM_SIM_H
#define MICOM_SIM_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

/* Model name of the sample reference database (tools/refdb). */
inline constexpr const char *MICOM_DEMO_MODEL = "RF-DEMO-01";

/* The refrigerator's condition, as chosen on the command line. */
struct micom_config {
    std::string model = MICOM_DEMO_MODEL;
    bool model_given = false;          /* --model: written even when set */
    std::vector<std::string> errors;   /* --errors: error codes (digits) */
    bool errors_given = false;
    bool link_down = false;            /* --link-down: error list "41" */
    std::string history;               /* --history: error history text */
    bool history_given = false;
    bool silent = false;               /* --silent: never answers */
    bool rollback = false;             /* --rollback: force-run status 0 after 0.1 s */
    bool reset = false;                /* --reset: start-up keys overwritten */
    double energy_period = 5.0;        /* --energy-period: seconds between reports */
};

/* The blank-separated words of a text (runs of blanks count as one). */
std::vector<std::string> split_words(std::string_view text);

/* An error list or history as the micom keeps it: codes separated by
 * blanks and closed by a word beginning with "E"; a word beginning with
 * "41" (in a list) means no link to the micom. */
struct error_list_condition {
    std::vector<std::string> codes;  /* the words before "E" or "41" */
    bool link_down = false;          /* a "41" word came first */
    bool closed = false;             /* an "E" word came first */
};
error_list_condition error_list_parse(std::string_view text);

/* The error list the micom reports: "41" while the link is down, else the
 * first count codes, each followed by a blank, and "E". */
std::string error_list_compose(const std::vector<std::string> &codes, std::size_t count,
                               bool link_down);

/* The history with code added before its closing "E": the codes before the
 * history's first "E" word, in order, then code and " E". nullopt when one of
 * those codes is code already (nothing to add). An empty history or one
 * beginning with "E" holds no code. */
std::optional<std::string> error_history_add(std::string_view history, const std::string &code);

/* Resets the whole simulation and writes the start-up keys. now: the
 * caller's clock. false when a start-up key could not be written (each
 * failure logged). */
bool micom_sim_start(const micom_config &config, double now);

/* Handles one command as read from the command key.
 * Returns 1 when the command was answered (or started something),
 * 0 when it was ignored on purpose (empty or blank text, silent service),
 * -1 when it is not a command of the channel (logged). */
int micom_sim_command(const char *command, double now);

/* Runs everything that is due by now: load-status refreshes, the self-test
 * progress, a pending force-run rollback and the energy reports. */
void micom_sim_tick(double now);

#endif
