/*
 * The control options' data without widgets, shared by the control-option
 * screen and the option tool: the option records read from the model's
 * reference database, the 13 option keys read and written, the order in
 * which a save makes the micom take them, and the texts of the option
 * reports. The bit layout and the codec are option_layout.h's.
 */
#ifndef EM_OPTION_DATA_H
#define EM_OPTION_DATA_H

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "option_layout.h"

/* Names and choice descriptions hold at most 49 characters (50-byte fields). */
inline constexpr std::size_t OPTION_TEXT_MAX = 49;
/* A save sends one command every 0.1 s. */
inline constexpr double OPTION_SAVE_INTERVAL = 0.1;
/* States of the command series: 1 sends "SET_OPTION_01" ... 13 sends
 * "SET_OPTION_13"; 14 is the series done. */
inline constexpr int OPTION_SAVE_FIRST = 1;
inline constexpr int OPTION_SAVE_DONE = OPTION_BYTES + 1;

struct option_choice {
    std::string description;
};

/* One option as the controloption table describes it, in one language. */
struct option_record {
    int mainNumber = -1;
    int commMode = -1;
    int commData = -1;
    int commBitShift = -1;
    int commBitLength = -1;
    std::string name;
    std::array<option_choice, OPTION_CHOICES> sub;
    int developerOnly = 0;
    int support = 0;
};
using option_records = std::array<option_record, OPTION_COUNT>;

struct option_table_read_result {
    /* The condition that failed before any row was read ("NULL ==
     * modelNmae", "PRIVATE_APP_ERROR_OK != db_open(dbFileName)", "NULL ==
     * st"); the records and the count are then untouched. nullptr when the
     * table was read. */
    const char *failed = nullptr;
    /* "Out of range: Main number" or "Out of range: Sub number" when a row
     * stopped the read (the rows before it stay in effect); else nullptr. */
    const char *stopped = nullptr;
};

/* (Re)reads the records and the option count from the controloption table
 * of the model's reference database (memory/refrigerator/ModelName). Once
 * the statement is ready, every record's numbers go to -1 and its texts to
 * "" (developerOnly and support keep their values) and the count to 0;
 * each row fills record MAIN_NUMBER, its name and choice SUB_NUMBER's
 * description in the language asked for (NULL or empty texts leave the
 * field as it was; texts cut to 49 characters), and the count becomes
 * MAIN_NUMBER + 1 of the last row taken. */
option_table_read_result option_table_read(option_records &records, int &count, bool korean);

/* Reads the 13 option keys into bytes: byte k := the low 8 bits of key k.
 * A key that cannot be read (missing, not an integer) leaves its byte as it
 * was. Returns the numbers k of those keys, empty when all were read. */
std::vector<int> option_keys_read(option_bytes &bytes);

/* Writes byte k to key k, for k from 0 to 12 in order. Returns how many
 * writes failed. */
int option_keys_write(const option_bytes &bytes);

/* The first half of a save: the empty text to memory/refrigerator/TxMessage,
 * then the 13 keys. Returns the TxMessage write's result (0 ok); adds the
 * failed key writes to *failed_keys when given. */
int option_save_begin(const option_bytes &bytes, int *failed_keys);

/* One step of the command series: sends the command of state (1 to 13),
 * "SET_OPTION_01" .. "SET_OPTION_13", to TxMessage. Returns the write's
 * result (0 ok), or -1 without sending for a state outside 1 to 13. */
int option_save_send(int state);

/* "Opt  %02d : %d" as the reports write it (a 25-byte buffer). */
std::string option_report_line(int n, int value);

/* The long form of all 37 values: eight rows, each starting with three
 * tabs, entries separated by five blanks; rows 1 to 7 hold five entries
 * and end with "<br>", row 8 the last two (an 800-byte buffer). */
std::string option_long_form(const option_bytes &bytes);

/* The lines of an option report below its title: for developer value 1 the
 * long form alone; else a report line for each option n from 0 below
 * options (at most 37) whose record shown lets through, in order. */
std::vector<std::string> option_report_body(const option_bytes &bytes,
                                            const option_records &records, int options,
                                            int developer, bool (*shown)(const option_record &));

#endif
