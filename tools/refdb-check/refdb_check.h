/*
 * The checks of refdb-check over an open reference database: the screens'
 * statements run and their rules applied, one line per finding.
 */
#ifndef REFDB_CHECK_H
#define REFDB_CHECK_H

#include <sqlite3.h>

#include <cstdio>
#include <string>

struct refdb_findings {
    int errors = 0;
    int warnings = 0;
};

/* Checks the four tables of db and writes one line per finding to out,
 * "NAME: table TABLE[ row N]: error|warning: TEXT" (values quoted on one
 * line). Returns how many errors and warnings it wrote. Only reads db. */
refdb_findings refdb_check(sqlite3 *db, const std::string &name, std::FILE *out);

#endif
