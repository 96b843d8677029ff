#!/usr/bin/env bash
# Starts the window program from a fresh folder with a text file on its command line, finds
# its window on a private X server, takes a picture of both pages, makes sure a
# second copy starts no window, leaves with Alt+X, and checks the settings file written
# beside the program. Every wait is bounded.
set -euo pipefail

exe=$1 help_page=$2 grab=$3 shots=$4

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
finish() { kill $app_pid $xvfb_pid 2>/dev/null || true; rm -rf "$work"; }
trap finish EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p "$work/app" "$work/home" "$work/run" "$shots"
chmod 700 "$work/run"
cp "$exe" "$work/app/quireon2"
cp "$help_page" "$work/app/quireon2.html"
printf 'Chapter one\n\tIt begins.\n' > "$work/My notes.txt"

# A display nobody uses: Xvfb picks it and names it once it is ready.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=$(cat "$work/display")
[ -n "$display" ] || fail "Xvfb did not start"

# A private user: no settings, no running copy, no printers but the built-in PDF one.
export DISPLAY=":$display" HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
export XDG_RUNTIME_DIR="$work/run" CUPS_SERVER="$work/no-cups.sock" QT_QPA_PLATFORM=xcb
unset SESSION_MANAGER
# Under the sanitizers, leaks of the system's D-Bus and font libraries are theirs.
export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(dirname "$0")/lsan.supp"

# The path has a blank; given as two arguments, the program joins them into one name.
"$work/app/quireon2" "$work/My" "notes.txt" >"$work/app.log" 2>&1 &
app_pid=$!

window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Quireon2$' | head -n 1) ||
  fail "no window titled Quireon2 within 20 s"
sleep 1
timeout 10 xdotool windowfocus --sync "$window" || fail "could not focus the window"

shoot() { timeout 10 "$grab" "$1" "$shots/$2" || echo "warning: no screenshot $2" >&2; }
shoot "$window" main-layout-page.png
timeout 5 xdotool key --clearmodifiers alt+f
sleep 0.5
shoot "$window" main-formatting-page.png
# A second copy ends at once, silently, and shows no window.
second_rc=0
timeout 15 "$work/app/quireon2" >"$work/second.log" 2>&1 || second_rc=$?
[ "$second_rc" -eq 0 ] || fail "second copy ended with $second_rc"
[ "$(xdotool search --onlyvisible --name '^Quireon2$' | wc -l)" -eq 1 ] ||
  fail "a second window appeared"
[ ! -e "$work/app/Quireon2.ini" ] || fail "settings written before exit"

# Alt+X is "E&xit".
timeout 10 xdotool windowfocus --sync "$window" || true
timeout 5 xdotool key --clearmodifiers alt+x
for _ in $(seq 150); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not end after Alt+X"
rc=0
wait "$app_pid" || rc=$?
app_pid=""
[ "$rc" -eq 0 ] || { cat "$work/app.log" >&2; fail "the program ended with $rc"; }

ini="$work/app/Quireon2.ini"
[ -f "$ini" ] || fail "no Quireon2.ini beside the program"
# A fresh install's file (its every key and their order are the settings tests' business),
# with the file from the command line and the only printer there is.
tr -d '\r' <"$ini" >"$work/actual.ini"
for line in '[Quireon2]' "TextFile=$work/My notes.txt" 'LastPrinter=Print to PDF' 'Layout= 3'; do
  grep -qxF "$line" "$work/actual.ini" || { cat "$work/actual.ini" >&2; fail "no line $line"; }
done
[ "$(wc -l <"$work/actual.ini")" -eq 49 ] || fail "the settings file has not every key once"
[ ! -e "$work/home/.config/Quireon2" ] || fail "a portable copy wrote into the user's folder"
echo "PASS: window found, pages shown, second copy refused, Alt+X saved the settings"
