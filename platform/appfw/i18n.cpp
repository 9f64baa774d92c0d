/*
 * Text catalogue and locale of the desktop platform.
 *
 * The panel's language setting ("db/menu_widget/language", e.g.
 * "ko_KR.UTF-8") chooses the catalogue language, as the panel's locale
 * would (English when it is unset). gettext ignores LANGUAGE in the plain "C" locale, so when the
 * environment names no locale the platform falls back to C.UTF-8.
 */
#include <app.h>
#include <app_i18n.h>
#include <vconf.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <libintl.h>
#include <memory>
#include <string>

const char *i18n_get_text(const char *message)
{
    if (!message)
        return "";
    return gettext(message);
}

void app_platform_locale_apply(void)
{
    std::unique_ptr<char, decltype(&free)> lang(vconf_get_str("db/menu_widget/language"), &free);
    std::string language;
    if (lang) {
        std::string value(lang.get());
        language = value.substr(0, value.find_first_of("_.@"));
    }
    /* Without a panel language the panel shows English. */
    if (!language.empty())
        setenv("LANGUAGE", language.c_str(), 1);
    else
        setenv("LANGUAGE", "en", 0);
    const char *set = setlocale(LC_ALL, "");
    if (!set || !strcmp(set, "C") || !strcmp(set, "POSIX"))
        setlocale(LC_ALL, "C.UTF-8");
}
