/*
 * The file format of panel-keys record and replay: the traffic of keys with
 * time stamps, as text, one change a line.
 *
 *   panel-keys recording 1
 *   # comment lines and empty lines are ignored
 *   state memory/refrigerator/ModelName string "RF-DEMO-01"
 *   1.503207 memory/refrigerator/TxMessage string "REQ_STATUS_LOAD_STATUS"
 *   1.504113 db/refrigerator/MicomInfoYear int 37
 *   9.000000 memory/refrigerator/LoadStatus unset
 *
 * A "state" line holds a key's value when the recording began; state lines
 * come before the first change. A change line begins with the seconds since
 * the recording began (a decimal, never less than the line before). Types:
 * int (decimal, 32 bits), bool (0 or 1), double (decimal), string (between
 * double quotes, with \\ \" \n \r \t and \xHH escapes; bytes that are not
 * valid UTF-8 and control bytes are always escaped), unset (no value: the key
 * was removed). Fields are separated by one blank. No state here: plain
 * functions over text.
 */
#ifndef PANEL_KEYS_RECORDING_H
#define PANEL_KEYS_RECORDING_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace recording {

inline constexpr std::string_view kHeader = "panel-keys recording 1";

struct Change {
    bool state = false;   // a state line (seconds 0)
    double seconds = 0;   // since the recording began
    std::string key;
    int type = 0;         // enum vconf_t; VCONF_TYPE_NONE: removed
    std::string value;    // int, bool, double: their text; string: its bytes
    std::size_t line = 0; // in the file, from 1 (parse only)
};

/* One line of the file, without the line end. */
std::string format(const Change &change);

/* bytes between double quotes, escaped as above. */
std::string quote(std::string_view bytes);

/* Reads a whole recording into out. false when it is damaged: error then
 * says where and what ("line 7: bad int value"), and out is unspecified. */
bool parse(std::string_view text, std::vector<Change> &out, std::string &error);

}  // namespace recording

#endif
