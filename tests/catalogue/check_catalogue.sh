#!/usr/bin/env bash
# Checks the text catalogue against the sources: every REFLCD_NV2_EM_*
# identifier that appears in the application's sources, and every English
# message identifier that the static IP screen passes through the catalogue,
# must be a msgid with a non-empty translation in each .po file.
# Reads SRC_DIR and the .po files; writes nothing. Exit 0 when all is found.
#
# usage: check_catalogue.sh SRC_DIR PO_FILE...
set -u

if [ "$#" -lt 2 ]; then
    echo "usage: $0 SRC_DIR PO_FILE..." >&2
    exit 2
fi
src_dir=$1
shift

# English message identifiers that go through the catalogue as they are.
english_ids=(
    "  Input DNS1 (*necessary in a specific AP)"
    "  Input DNS2 (*necessary in a specific AP)"
    "Fail to init Wi-Fi"
    "Fail to activate Wi-Fi device"
)

mapfile -t source_ids < <(grep -rhoE --include='*.c' --include='*.cpp' --include='*.h' \
                              'REFLCD_NV2_EM_[A-Z0-9_]+' "$src_dir" | sort -u)

passed=0
failed=0
for po in "$@"; do
    if [ ! -r "$po" ]; then
        echo "FAIL: cannot read $po"
        failed=$((failed + 1))
        continue
    fi
    # msgattrib --translated keeps only entries with a non-empty msgstr;
    # --no-wrap keeps each msgid on one line.
    translated=$(msgattrib --translated --no-wrap --no-obsolete "$po") || {
        echo "FAIL: $po does not parse"
        failed=$((failed + 1))
        continue
    }
    for id in "${source_ids[@]}" "${english_ids[@]}"; do
        if grep -qxF "msgid \"$id\"" <<<"$translated"; then
            passed=$((passed + 1))
        else
            echo "FAIL: $(basename "$po") has no translation for \"$id\""
            failed=$((failed + 1))
        fi
    done
done
echo "catalogue: ${#source_ids[@]} identifiers used in the sources"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
