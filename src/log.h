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

#define RETV_IF(expr, val)                                     \
    do {                                                       \
        if (expr) {                                            \
            LOGE("(%s) -> %s() return", #expr, __func__);      \
            return (val);                                      \
        }                                                      \
    } while (0)

#define RET_IF(expr)                                           \
    do {                                                       \
        if (expr) {                                            \
            LOGE("(%s) -> %s() return", #expr, __func__);      \
            return;                                            \
        }                                                      \
    } while (0)

#endif
