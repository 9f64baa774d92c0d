/*
 * Command line of the simulated micom service: the refrigerator's
 * condition and the service's behaviour (see USAGE.md).
 */
#ifndef MICOM_ARGS_H
#define MICOM_ARGS_H

#include "micom_sim.h"

#include <string>

/* Fills config from the arguments (argv[0] is the program).
 * Returns 0 to run, 1 when help was asked for (the text is in *message),
 * -1 for a bad argument (a one-line reason is in *message). */
int micom_args_parse(int argc, char **argv, micom_config *config, std::string *message);

/* The --help text. */
const char *micom_args_usage();

#endif
