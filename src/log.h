/*
 * Logging macros of the application. Every line carries the package ID as
 * tag and the prefix "FILE: FUNCTION(LINE) > ". RETV_IF/RET_IF log a failed
 * precondition as "(COND) -> FUNCTION() return" at error level and return.
 */
#ifndef EM_LOG_H
#define EM_LOG_H

#include <dlog.h>
#include <string.h>

#define EM_LOG_TAG "org.fridge.engineermode"

constexpr const char *em_basename(const char *path)
{
    const char *base = path;
    for (const char *p = path; *p; ++p)
        if (*p == '/')
            base = p + 1;
    return base;
}

#define EM_LOG_PRINT(prio, tag, fmt, ...)                                                     \
    __dlog_print(LOG_ID_MAIN, prio, tag, "%s: %s(%d) > " fmt, em_basename(__FILE__), __func__, \
                 __LINE__, ##__VA_ARGS__)

#define LOGD(fmt, ...) EM_LOG_PRINT(DLOG_DEBUG, EM_LOG_TAG, fmt, ##__VA_ARGS__)
#define LOGI(fmt, ...) EM_LOG_PRINT(DLOG_INFO, EM_LOG_TAG, fmt, ##__VA_ARGS__)
#define LOGE(fmt, ...) EM_LOG_PRINT(DLOG_ERROR, EM_LOG_TAG, fmt, ##__VA_ARGS__)

/* System log buffer, used by the LCD check. */
#define SLOGD(fmt, ...)                                                                          \
    __dlog_print(LOG_ID_SYSTEM, DLOG_DEBUG, EM_LOG_TAG, "%s: %s(%d) > " fmt, em_basename(__FILE__), \
                 __func__, __LINE__, ##__VA_ARGS__)

/* Logs the failed condition as written (text, stringified by the caller's
 * macro before NULL and the like are expanded) and returns, with the value
 * when one is given. */
#define EM_RETURN_IF(tag, expr, text, ...)                                              \
    do {                                                                                \
        if (expr) {                                                                     \
            EM_LOG_PRINT(DLOG_ERROR, tag, "(%s) -> %s() return", text, __func__);       \
            return __VA_ARGS__;                                                         \
        }                                                                               \
    } while (0)

#define RETV_IF(expr, val) EM_RETURN_IF(EM_LOG_TAG, expr, #expr, val)
#define RET_IF(expr) EM_RETURN_IF(EM_LOG_TAG, expr, #expr)

#endif
