/*
 * Force run screen.
 */
#ifndef EM_FORCERUN_H
#define EM_FORCERUN_H

#include <Elementary.h>

/* Builds the button and reads the force-run table; called while the test
 * view is built. */
void init_forcerun(void);
/* Drops a pending rollback check (the key keeps what it holds); called at
 * termination, after which no check may run. */
void delete_forcerun(void);

void _btn_forcerun_cb(void *data, Evas_Object *obj, void *event_info);
/* Fills the force-run table from the reference database. A failed read
 * (logged) keeps the table as it was. Returns 0 in every case. */
int _forcerun_db_read(void);

#endif
