/*
 * Text catalogue lookup of the application (desktop stand-in). The
 * application binds its gettext domain at start-up; i18n_get_text looks a
 * message identifier up in the default domain.
 */
#ifndef PANEL_APP_I18N_H
#define PANEL_APP_I18N_H

#ifdef __cplusplus
extern "C" {
#endif

/* Never NULL: the identifier itself when the catalogue has no entry. */
const char *i18n_get_text(const char *message);

#ifdef __cplusplus
}
#endif

#endif
