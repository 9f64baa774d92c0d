/*
 * Command line of the simulated micom service.
 *
 * State: none. Timers: none. Reads the arguments, writes a micom_config.
 */
#include "micom_args.h"
#include "micom_sim.h"

#include "db.h"
#include "text_util.h"

#include <cstdlib>
#include <string_view>

namespace {

constexpr std::size_t MODEL_MAX = 40;     /* it becomes a directory of the database path */
constexpr std::size_t HISTORY_MAX = 799;  /* what the error-history screen shows */
constexpr double ENERGY_PERIOD_MAX = 3600.0;

constexpr const char *USAGE =
    "Usage: micom-service [OPTION]...\n"
    "Simulated micom service: answers the commands written to the key\n"
    "memory/refrigerator/TxMessage in the platform directory (PANEL_PLATFORM_DIR).\n"
    "\n"
    "  --link-down            the link to the micom is broken: the error list is \"41\"\n"
    "  --errors \"CODES\"       error codes the micom reports, e.g. \"22 35\";\n"
    "                         a self test finds them one by one; \"\" = healthy\n"
    "                         (no code beginning with 41: see --link-down)\n"
    "  --history TEXT         error history written at start, e.g. \"22 35 E\"\n"
    "  --silent               never answer (commands are still printed)\n"
    "  --model NAME           model name written at start (default " "RF-DEMO-01" ")\n"
    "  --rollback             overwrite the force-run status with 0 0.1 s after a run\n"
    "  --energy-period SECONDS  seconds between energy reports (default 5)\n"
    "  --reset                overwrite every start-up key with its default\n"
    "  -h, --help             show this text\n"
    "\n"
    "Without --reset, start-up keys that already hold a value keep it; the\n"
    "conditions --model, --errors, --link-down and --history are written always.\n"
    "Stops on SIGINT or SIGTERM.\n";

bool valid_code(std::string_view code)
{
    if (code.empty() || code.size() > 3)
        return false;
    for (char c : code)
        if (c < '0' || c > '9')
            return false;
    return true;
}

/* Splits "22 35" into codes; false when one is not a number of 1 to 3 digits,
 * or begins with 41: the application reads such a code as a broken link. */
bool parse_codes(std::string_view text, std::vector<std::string> *codes, std::string *message)
{
    codes->clear();
    for (std::string &code : split_words(text)) {
        if (!valid_code(code)) {
            *message = "--errors: \"" + printable_text(code, 20) + "\" is not an error code (1 to 3 digits)";
            return false;
        }
        if (code.starts_with("41")) {
            *message = "--errors: \"" + code +
                       "\" begins with 41, which means no link to the micom; use --link-down";
            return false;
        }
        codes->push_back(std::move(code));
    }
    return true;
}

bool parse_period(std::string_view text, double *period, std::string *message)
{
    std::string copy(text);
    char *end = nullptr;
    double value = std::strtod(copy.c_str(), &end);
    if (copy.empty() || *end != '\0' || !(value >= 0.1 && value <= ENERGY_PERIOD_MAX)) {
        *message = "--energy-period: \"" + printable_text(copy, 20) +
                   "\" is not a number of seconds from 0.1 to 3600";
        return false;
    }
    *period = value;
    return true;
}

}  // namespace

const char *micom_args_usage()
{
    return USAGE;
}

int micom_args_parse(int argc, char **argv, micom_config *config, std::string *message)
{
    *config = micom_config{};
    for (int i = 1; i < argc; ++i) {
        std::string_view arg(argv[i] ? argv[i] : "");
        std::string_view value;
        bool has_value = false;
        if (std::size_t eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            has_value = true;
        }
        auto take_value = [&]() {
            if (has_value)
                return true;
            if (i + 1 >= argc || argv[i + 1] == nullptr)
                return false;
            value = argv[++i];
            return true;
        };
        auto needs = [&](const char *what) {
            *message = std::string(arg) + " needs " + what;
            return -1;
        };

        if (arg == "-h" || arg == "--help") {
            *message = USAGE;
            return 1;
        } else if (arg == "--link-down" && !has_value) {
            config->link_down = true;
        } else if (arg == "--silent" && !has_value) {
            config->silent = true;
        } else if (arg == "--rollback" && !has_value) {
            config->rollback = true;
        } else if (arg == "--reset" && !has_value) {
            config->reset = true;
        } else if (arg == "--errors") {
            if (!take_value())
                return needs("a list of error codes");
            if (!parse_codes(value, &config->errors, message))
                return -1;
            config->errors_given = true;
        } else if (arg == "--history") {
            if (!take_value())
                return needs("a text");
            if (value.size() > HISTORY_MAX) {
                *message = "--history: the text is longer than 799 characters";
                return -1;
            }
            config->history = value;
            config->history_given = true;
        } else if (arg == "--model") {
            if (!take_value())
                return needs("a model name");
            /* The application's rule for a directory of the profile, and
             * at most 40 characters. */
            const char *fault = db_model_name_fault(value);
            if (fault || value.size() > MODEL_MAX) {
                *message = "--model: \"" + printable_text(value, MODEL_MAX) + "\" is not a model name: " +
                           (fault ? fault : "it is longer than 40 characters");
                return -1;
            }
            config->model = value;
            config->model_given = true;
        } else if (arg == "--energy-period") {
            if (!take_value())
                return needs("a number of seconds");
            if (!parse_period(value, &config->energy_period, message))
                return -1;
        } else {
            *message = "unknown option \"" + printable_text(argv[i] ? argv[i] : "", 40) +
                       "\" (see --help)";
            return -1;
        }
    }
    return 0;
}
