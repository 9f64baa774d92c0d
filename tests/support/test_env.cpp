/*
 * Linked into every test program: the headless toolkit settings and the
 * sanitizer options, set before main() so that every test process gets
 * them however it is started (ctest, by hand, under a debugger). A value
 * already in the environment wins.
 */
#include <cstdlib>

extern "C" const char *__asan_default_options()
{
    return "detect_leaks=1:abort_on_error=0";
}

extern "C" const char *__ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}

/* Leaks inside the toolkit's libraries (caches and module state kept until
 * process exit) are not ours. A suppression matches any frame of a leak's
 * stack, so these also hide leaks of our own code that ran inside a toolkit
 * callback. With EM_TOOLKIT_LEAKS_ONLY in the environment (the endurance
 * test's whole tours) only the toolkit's own allocations are suppressed,
 * from the file that LSAN_OPTIONS names. */
extern "C" const char *__lsan_default_suppressions()
{
    if (getenv("EM_TOOLKIT_LEAKS_ONLY"))
        return "";
    return "leak:libeina.so\n"
           "leak:libeo.so\n"
           "leak:libevas.so\n"
           "leak:libecore\n"
           "leak:libedje.so\n"
           "leak:libelementary.so\n"
           "leak:libefl.so\n"
           "leak:libefreet\n"
           "leak:libeet.so\n"
           "leak:libemile.so\n"
           "leak:libfontconfig.so\n"
           "leak:libglib-2.0.so\n"
           "leak:libdbus-1.so\n";
}

namespace {

struct test_environment {
    test_environment()
    {
        setenv("ELM_DISPLAY", "buffer", 0);
        setenv("ELM_SCALE", "1.0", 0);
        setenv("ELM_ACCEL", "none", 0);
        setenv("PANEL_LOG_LEVEL", "D", 0);
    }
} g_environment;

}  // namespace
