/*
 * Fuzz target: the command line of the simulated micom service.
 *
 * The input is the argument list, one argument per NUL-terminated piece
 * (at most 64). Invariants: the parse runs (0), asks for help (1, the usage
 * text) or refuses with a reason (-1); a configuration it runs with holds
 * only what the options allow (error codes of 1 to 3 digits not beginning
 * with 41, a history of at most 799 bytes, a model name of 1 to 40 bytes
 * without '/' that is not "." or "..", an energy period from 0.1 to 3600 s);
 * and that configuration, given again as options, parses to itself.
 */
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "micom_args.h"
#include "micom_sim.h"

namespace {

constexpr std::size_t MAX_ARGS = 64;

int parse(const std::vector<std::string> &args, micom_config &config, std::string &message)
{
    std::vector<char *> argv;
    std::string program = "micom-service";
    argv.push_back(program.data());
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    return micom_args_parse(static_cast<int>(argv.size() - 1), argv.data(), &config, &message);
}

bool code_allowed(const std::string &code)
{
    return !code.empty() && code.size() <= 3 &&
           code.find_first_not_of("0123456789") == std::string::npos && !code.starts_with("41");
}

/* The options that give config. */
std::vector<std::string> options_of(const micom_config &config)
{
    std::vector<std::string> args;
    if (config.link_down)
        args.push_back("--link-down");
    if (config.silent)
        args.push_back("--silent");
    if (config.rollback)
        args.push_back("--rollback");
    if (config.reset)
        args.push_back("--reset");
    if (config.errors_given) {
        std::string codes;
        for (const std::string &code : config.errors)
            codes += (codes.empty() ? "" : " ") + code;
        args.push_back("--errors=" + codes);
    }
    if (config.history_given) {
        args.push_back("--history");
        args.push_back(config.history);
    }
    if (config.model_given)
        args.push_back("--model=" + config.model);
    char period[32];
    std::snprintf(period, sizeof period, "%.17g", config.energy_period);
    args.push_back("--energy-period");
    args.push_back(period);
    return args;
}

bool same(const micom_config &a, const micom_config &b)
{
    return a.model == b.model && a.model_given == b.model_given && a.errors == b.errors &&
           a.errors_given == b.errors_given && a.link_down == b.link_down && a.history == b.history &&
           a.history_given == b.history_given && a.silent == b.silent && a.rollback == b.rollback &&
           a.reset == b.reset && a.energy_period == b.energy_period;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::string_view input = fuzz::as_text(data, size);
    std::vector<std::string> args;
    for (std::size_t start = 0; start < input.size() && args.size() < MAX_ARGS;) {
        std::size_t end = std::min(input.find('\0', start), input.size());
        args.emplace_back(input.substr(start, end - start));
        start = end + 1;
    }

    micom_config config;
    std::string message;
    int result = parse(args, config, message);
    FUZZ_CHECK(result == 0 || result == 1 || result == -1, "%d", result);
    if (result == 1) {
        FUZZ_CHECK(message == micom_args_usage());
        return 0;
    }
    if (result == -1) {
        FUZZ_CHECK(!message.empty());
        return 0;
    }
    for (const std::string &code : config.errors)
        FUZZ_CHECK(code_allowed(code), "code \"%s\"", code.c_str());
    FUZZ_CHECK(config.errors.empty() || config.errors_given);
    FUZZ_CHECK(config.history.size() <= 799);
    FUZZ_CHECK(!config.model.empty() && config.model.size() <= 40 &&
                   config.model.find('/') == std::string::npos && config.model != "." &&
                   config.model != "..",
               "model \"%s\"", config.model.c_str());
    FUZZ_CHECK(std::isfinite(config.energy_period) && config.energy_period >= 0.1 &&
                   config.energy_period <= 3600.0,
               "period %g", config.energy_period);

    micom_config again;
    std::string again_message;
    std::vector<std::string> options = options_of(config);
    FUZZ_CHECK(parse(options, again, again_message) == 0, "%s", again_message.c_str());
    FUZZ_CHECK(same(config, again));
    return 0;
}
