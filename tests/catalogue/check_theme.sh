#!/usr/bin/env bash
# Checks the compiled theme files against what the application and the
# widgets rely on (the tables of THEMES.md): each group exists, has the
# parts the code sets or the widgets fill, and answers or emits the signals
# that the code and the widgets exchange with it. Reads the .edj files with
# edje_inspector; writes nothing. Exit 0 when everything is there.
#
# usage: check_theme.sh PLATFORM_THEME_EDJ APP_EDJE_DIR
set -u

if [ "$#" -ne 2 ]; then
    echo "usage: $0 PLATFORM_THEME_EDJ APP_EDJE_DIR" >&2
    exit 2
fi
theme=$1
edje_dir=$2
passed=0
failed=0

ok()   { passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }

# Each .edj file is read once: index FILE prints one line per fact,
#   GROUP<TAB>part<TAB>NAME, GROUP<TAB>react<TAB>SIGNAL|SOURCE,
#   GROUP<TAB>emit<TAB>SIGNAL|SOURCE, GROUP<TAB>min<TAB>W H
index() {
    { edje_inspector -m parts -d none "$1" 2>/dev/null
      edje_inspector -m programs -d all "$1" 2>/dev/null
      edje_inspector -m groups -d all "$1" 2>/dev/null | grep -E "^(group \{|   min: )"
    } | awk '
        /^group \{ name: / { g = $0; sub(/^group \{ name: \047/, "", g); sub(/\047.*$/, "", g) }
        /^   min: /         { m = $0; sub(/^   min: /, "", m); sub(/;$/, "", m); print g "\tmin\t" m }
        /part \{ name: /    { p = $0; sub(/.*part \{ name: \047/, "", p); sub(/\047.*$/, "", p); print g "\tpart\t" p }
        /^ *program \{/     { sig = ""; src = "" }
        /^ *signal: /       { sig = $0; sub(/^ *signal: "/, "", sig); sub(/";$/, "", sig) }
        /^ *source: /       { src = $0; sub(/^ *source: "/, "", src); sub(/";$/, "", src) }
        /action: SIGNAL_EMIT / { e = $0; sub(/^ *action: SIGNAL_EMIT "/, "", e); sub(/";$/, "", e)
                                 sub(/" "/, "|", e); print g "\temit\t" e }
        /^      \}/ && sig != "" { print g "\treact\t" sig "|" src; sig = "" }'
}
workdir=$(mktemp -d)
trap 'rm -rf "$workdir"' EXIT
declare -A index_file
n=0
for f in "$theme" "$edje_dir/ref_theme.edj" "$edje_dir/monitor.edj" "$edje_dir/blocking.edj"; do
    n=$((n + 1))
    index_file[$f]=$workdir/$n
    if [ -r "$f" ]; then index "$f" > "$workdir/$n"; else : > "$workdir/$n"; fail "cannot read $f"; fi
done
has() {     # FILE GROUP KIND VALUE
    grep -qxF "$2"$'\t'"$3"$'\t'"$4" "${index_file[$1]}"
}

need_parts() {   # FILE GROUP PART...
    local file=$1 group=$2
    shift 2
    if ! cut -f1 "${index_file[$file]}" | grep -qxF "$group"; then
        fail "$(basename "$file"): no group $group"
        return
    fi
    for part in "$@"; do
        if has "$file" "$group" part "$part"; then ok; else fail "$group: no part $part"; fi
    done
}
# need_reaction FILE GROUP SIGNAL SOURCE: a program listens to SIGNAL/SOURCE.
need_reaction() {
    if has "$1" "$2" react "$3|$4"; then ok; else fail "$2: nothing reacts to \"$3\" from \"$4\""; fi
}
# need_emit FILE GROUP SIGNAL SOURCE: a program emits SIGNAL/SOURCE.
need_emit() {
    if has "$1" "$2" emit "$3|$4"; then ok; else fail "$2: nothing emits \"$3\" \"$4\""; fi
}

for style in default basic bottom popup text textbutton; do
    g="elm/button/base/$style"
    need_parts "$theme" "$g" elm.text elm.swallow.content
    need_emit "$theme" "$g" "elm,action,click" elm
    need_emit "$theme" "$g" "elm,action,press" elm
    need_emit "$theme" "$g" "elm,action,unpress" elm
    for s in elm,state,disabled elm,state,enabled elm,state,text,visible \
             elm,state,text,hidden elm,state,icon,visible elm,state,icon,hidden; do
        need_reaction "$theme" "$g" "$s" elm
    done
done

g="elm/check/base/on&off"
need_parts "$theme" "$g" elm.text elm.swallow.content
need_emit "$theme" "$g" "elm,action,check,toggle" elm
need_reaction "$theme" "$g" "elm,state,check,on" elm
need_reaction "$theme" "$g" "elm,state,check,off" elm

g="elm/progressbar/horizontal/process_small"
need_parts "$theme" "$g" elm.swallow.bar elm.cur.progressbar elm.text elm.text.status elm.swallow.content
need_reaction "$theme" "$g" "elm,state,pulse,start" elm
need_reaction "$theme" "$g" "elm,state,pulse,stop" elm

for g in elm/genlist/item/type1/default elm/genlist/item_compress/type1/default \
         elm/genlist/item/default/default elm/genlist/item_compress/default/default; do
    need_parts "$theme" "$g" elm.text elm.text.sub elm.swallow.icon elm.swallow.end
    need_reaction "$theme" "$g" "elm,state,selected" elm
    need_reaction "$theme" "$g" "elm,state,unselected" elm
done

need_parts "$theme" elm/notify/block_events/popup/default block_events
need_emit "$theme" elm/notify/block_events/popup/default "elm,action,click" elm
need_parts "$theme" elm/notify/center/popup/default elm.swallow.content
g="elm/popup/base/default"
need_parts "$theme" "$g" elm.text.title elm.swallow.title.icon elm.bg.title elm.swallow.content \
    elm.swallow.action_area elm.swallow.background
for s in title_area,visible title_area,hidden title,text,visible title,text,hidden \
         title,icon,visible title,icon,hidden action_area,visible action_area,hidden; do
    need_reaction "$theme" "$g" "elm,state,$s" elm
done
need_parts "$theme" elm/popup/content/popup/default elm.swallow.content
need_parts "$theme" elm/popup/buttons1/popup/default elm.swallow.content.button1
need_parts "$theme" elm/popup/buttons2/popup/default elm.swallow.content.button1 elm.swallow.content.button2
need_parts "$theme" elm/popup/buttons3/popup/default elm.swallow.content.button1 \
    elm.swallow.content.button2 elm.swallow.content.button3
need_parts "$theme" elm/label/base/popup/default elm.text

g="elm/radio/base/default"
need_parts "$theme" "$g" elm.text elm.swallow.content
need_emit "$theme" "$g" "elm,action,radio,toggle" elm
need_reaction "$theme" "$g" "elm,state,radio,on" elm
need_reaction "$theme" "$g" "elm,state,radio,off" elm

for g in elm/entry/base-single/default elm/entry/base-password/default; do
    need_parts "$theme" "$g" elm.text elm.guide
    for s in elm,guide,disabled elm,guide,enabled elm,state,disabled elm,state,enabled; do
        need_reaction "$theme" "$g" "$s" elm
    done
done
g="elm/scroller/entry_single/default"
need_parts "$theme" "$g" elm.swallow.content elm.swallow.icon elm.swallow.end \
    elm.dragable.vbar elm.dragable.hbar
need_parts "$theme" elm/entry/cursor/default bar
for s in elm,action,focus elm,action,unfocus elm,action,show,cursor; do
    need_reaction "$theme" elm/entry/cursor/default "$s" elm
done
need_parts "$theme" elm/entry/selection/default wash

need_parts "$theme" elm/layout/application/default elm.swallow.content
need_parts "$theme" elm/layout/editfield/singleline elm.swallow.content
need_parts "$theme" elm/layout/notification/toast elm.text

g="elm/naviframe/item/basic/default"
need_parts "$theme" "$g" elm.text.title title_right_btn title_left_btn \
    elm.swallow.prev_btn elm.swallow.content toolbar_more_btn
need_reaction "$theme" "$g" "elm,state,title,hide" elm
need_reaction "$theme" "$g" "elm,state,title,show" elm
for s in cur,pushed new,pushed cur,popped prev,popped; do
    need_reaction "$theme" "$g" "elm,state,$s,deferred" elm
done
need_emit "$theme" "$g" "elm,action,pushed,finished" elm
need_emit "$theme" "$g" "elm,action,popped,finished" elm
need_emit "$theme" "$g" "elm,action,show,finished" elm

for style in default engineer; do
    f=$theme
    [ "$style" = engineer ] && f=$edje_dir/ref_theme.edj
    need_parts "$f" "elm/list/base/$style" elm.swallow.content
    for item in item item_odd item_compress item_compress_odd; do
        need_parts "$f" "elm/list/$item/$style" elm.text elm.swallow.icon elm.swallow.end
        need_reaction "$f" "elm/list/$item/$style" "elm,state,selected" elm
        need_reaction "$f" "elm/list/$item/$style" "elm,state,unselected" elm
    done
done

for g in elm/genlist/base/default elm/scroller/base/default; do
    need_parts "$theme" "$g" elm.swallow.content elm.dragable.vbar elm.dragable.hbar
    need_reaction "$theme" "$g" "elm,action,show,vbar" elm
    need_reaction "$theme" "$g" "elm,action,hide,vbar" elm
done

need_parts "$edje_dir/ref_theme.edj" elm/scroller/entry/logbox elm.swallow.content \
    elm.swallow.icon elm.swallow.end elm.dragable.vbar elm.dragable.hbar
for s in show hide; do
    need_reaction "$edje_dir/ref_theme.edj" elm/scroller/entry/logbox "elm,action,$s,vbar" elm
done

need_parts "$edje_dir/monitor.edj" main time list.name content.text
need_parts "$edje_dir/monitor.edj" logbox_grp logbox
if has "$edje_dir/monitor.edj" logbox_grp min "1040 540"; then ok; else fail "logbox_grp: min size is not 1040 x 540"; fi

need_parts "$edje_dir/blocking.edj" block_grp shade busy_card
need_reaction "$edje_dir/blocking.edj" block_grp "event,disable" bg
need_reaction "$edje_dir/blocking.edj" block_grp "event,enable" bg

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
