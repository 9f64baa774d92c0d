/*
 * What the screens read from the model's reference database and the rules
 * they apply to it, without widgets or keys: the four SELECT statements
 * (tab characters included, as the screens send them), the table sizes, the
 * characters that separate load IDs in the micom's load status, and the
 * force-run status of a command. The screens and the database checker link
 * this one copy.
 */
#ifndef EM_REFERENCE_TABLES_H
#define EM_REFERENCE_TABLES_H

#include <array>
#include <cstddef>
#include <string_view>

inline constexpr const char LOAD_STATUS_QUERY[] =
    "SELECT ERROR_NUMBER, ID, USE_ENGINEER_MODE,\tNAME_EN_US, NAME_KR FROM loadstatus";
inline constexpr const char SELF_DIAGNOSIS_QUERY[] =
    "SELECT ERROR_NUMBER, ID, USE_ENGINEER_MODE,\tNAME_EN_US, NAME_KR, DESCRIPTION_EN_US, "
    "DESCRIPTION_KR FROM selfdiagnosis";
inline constexpr const char FORCE_RUN_QUERY[] =
    "SELECT \tMODE, FORCE_RUN_NUMBER, TEXT_EN_US, TEXT_KR FROM forcerun";
inline constexpr const char CONTROL_OPTION_QUERY[] =
    "SELECT \tDEVELOPER_ONLY, SUPPORT, MAIN_NUMBER, SUB_NUMBER, ENGINEER_MODE, \tCOMM_MODE, "
    "COMM_DATA, COMM_BIT_SHIFT, COMM_BIT_LENGTH, \tNAME_EN_US, NAME_KR, DESCRIPTION_EN_US, "
    "DESCRIPTION_KR FROM controloption";

/* Records of the load and error tables; entries of the force-run table. */
inline constexpr int LOAD_TABLE_SIZE = 100;
inline constexpr int ERROR_TABLE_SIZE = 100;
inline constexpr int FORCE_RUN_ENTRIES = 7;

/* The most bytes of a column that a screen keeps (its field holds one more
 * for the terminator); longer texts are cut at a whole UTF-8 character.
 * Load records: ID and both names. Error records: ID and name, and the
 * description. Force-run entries: MODE and the label. Option records: the
 * name and each choice's description. */
inline constexpr std::size_t LOAD_TEXT_MAX = 99;
inline constexpr std::size_t ERROR_ID_MAX = 99;
inline constexpr std::size_t ERROR_NAME_MAX = 99;
inline constexpr std::size_t ERROR_CONTENT_MAX = 499;
inline constexpr std::size_t FORCE_RUN_TEXT_MAX = 39;
inline constexpr std::size_t CONTROL_OPTION_TEXT_MAX = 49;

/* The load-status value is cut into IDs at every run of these characters
 * (so the "<br>" between two IDs separates them): an ID holding one of them
 * can never be found. */
inline constexpr std::string_view LOAD_ID_SEPARATORS = "<br>";

/* The force-run commands and the status each stands for, tried in this
 * order by forcerun_status_of; the micom answers exactly these commands.
 * Each is a prefix test over exactly the prefix's length, so
 * "SET_KEY_FORCE_TEST_RUN12" is RUN1 and a truncated
 * "SET_KEY_FORCE_TEST_LONG" is nothing. */
struct forcerun_status_prefix {
    std::string_view prefix;
    int status;
};
inline constexpr std::array<forcerun_status_prefix, 8> FORCE_RUN_STATUS_BY_PREFIX = {{
    {"SET_KEY_FORCE_TEST_RUN1", 1},
    {"SET_KEY_FORCE_TEST_RUN2", 2},
    {"SET_KEY_FORCE_TEST_RUN3", 3},
    {"SET_KEY_FORCE_TEST_RUN4", 4},
    {"SET_KEY_FORCE_TEST_RDEF", 16},
    {"SET_KEY_FORCE_TEST_FDEF", 17},
    {"SET_KEY_FORCE_TEST_FCVDEF", 18},
    {"SET_KEY_FORCE_TEST_LONGDEF", 32},
}};

/* Force-run status of a command by the first prefix that matches:
 * SET_KEY_FORCE_TEST_RUN1..RUN4 give 1..4, RDEF 16, FDEF 17, FCVDEF 18,
 * LONGDEF 32; anything else (a cancel command, NULL) gives 0. */
int forcerun_status_of(const char *mode);

#endif
