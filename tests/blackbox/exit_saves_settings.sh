#!/usr/bin/env bash
# Starts the window program from a fresh folder with a text file on its command line, finds
# its window on a private X server, takes a picture of both pages, opens About with Alt+A
# and the status window with Alt+P, makes sure a second copy starts no window and that a
# second start with a file hands it to the first window, leaves with Alt+X, and checks the
# settings file written into the user's config folder (a copied program with no settings
# file beside it is an installed one); then ends a second run with SIGTERM. Every wait is
# bounded.
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
printf 'Another story\n' > "$work/other.txt"

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
timeout 5 xdotool key --clearmodifiers alt+t
sleep 0.5
shoot "$window" main-formatting-page.png

# Waits (bounded) until a visible window has exactly this title; prints its id.
wait_for() { timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1; }
# Presses Escape until no visible window has this title.
escape_from() {
  local id
  for _ in $(seq 20); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n 1) || return 0
    [ -n "$id" ] || return 0
    timeout 5 xdotool windowfocus --sync "$id" || true
    timeout 5 xdotool key --clearmodifiers Escape
    sleep 0.5
  done
  fail "the window \"$1\" did not close"
}

# Alt+A is "&About", whatever else the window shows.
timeout 5 xdotool key --clearmodifiers alt+a
about=$(wait_for 'About Quireon2') || fail "Alt+A did not open About"
escape_from 'About Quireon2'
timeout 10 xdotool windowfocus --sync "$window" || true
# Alt+P is "&Print": the file from the command line is ready, so the status window opens.
timeout 5 xdotool key --clearmodifiers alt+p
wait_for 'Printing Status' >/dev/null || fail "Alt+P did not open the status window"
escape_from 'Printing Status'
# A second copy ends at once, silently, and shows no window.
second_rc=0
timeout 15 "$work/app/quireon2" >"$work/second.log" 2>&1 || second_rc=$?
[ "$second_rc" -eq 0 ] || fail "second copy ended with $second_rc"
[ "$(xdotool search --onlyvisible --name '^Quireon2$' | wc -l)" -eq 1 ] ||
  fail "a second window appeared"
ini="$work/home/.config/Quireon2/Quireon2.ini"
[ ! -e "$ini" ] || fail "settings written before exit"
# A second start with a file hands it to the first window and ends with 0.
second_rc=0
timeout 15 "$work/app/quireon2" "$work/other.txt" >"$work/second.log" 2>&1 || second_rc=$?
[ "$second_rc" -eq 0 ] || fail "second start with a file ended with $second_rc"
[ "$(xdotool search --onlyvisible --name '^Quireon2$' | wc -l)" -eq 1 ] ||
  fail "a second window appeared"
# The first window prints it: Enter on the counted job is "Print Now", and "Print to PDF"
# asks where the first side of the handed file goes.
timeout 10 xdotool windowfocus --sync "$window" || true
timeout 5 xdotool key --clearmodifiers alt+p
wait_for 'Printing Status' >/dev/null || fail "Alt+P did not open the status window again"
sleep 1
timeout 5 xdotool windowfocus --sync "$(wait_for 'Printing Status')" || true
timeout 5 xdotool key --clearmodifiers Return
wait_for 'Save side 1 of other.txt' >/dev/null ||
  fail "the handed file was not the one printed (no save dialog for other.txt)"
escape_from 'Save side 1 of other.txt'
# Any message of the run, then the status window, go with Escape.
for _ in $(seq 20); do
  xdotool search --onlyvisible --name '^Printing Status$' >/dev/null 2>&1 || break
  timeout 5 xdotool windowfocus --sync "$(xdotool search --onlyvisible --name . | tail -n 1)" ||
    true
  timeout 5 xdotool key --clearmodifiers Escape
  sleep 0.5
done

# Alt+X is "E&xit".
timeout 10 xdotool windowfocus --sync "$window" || true
timeout 5 xdotool key --clearmodifiers alt+x
for _ in $(seq 150); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not end after Alt+X"
rc=0
wait "$app_pid" || rc=$?
app_pid=""
[ "$rc" -eq 0 ] || { cat "$work/app.log" >&2; fail "the program ended with $rc"; }

[ -f "$ini" ] || fail "no Quireon2.ini in the user's config folder"
# A fresh install's file (its every key and their order are the settings tests' business),
# with the file handed over last and the only printer there is.
tr -d '\r' <"$ini" >"$work/actual.ini"
for line in '[Quireon2]' "TextFile=$work/other.txt" 'LastPrinter=Print to PDF' 'Layout= 3'; do
  grep -qxF "$line" "$work/actual.ini" || { cat "$work/actual.ini" >&2; fail "no line $line"; }
done
[ "$(wc -l <"$work/actual.ini")" -eq 49 ] || fail "the settings file has not every key once"
[ ! -e "$work/app/Quireon2.ini" ] || fail "an installed copy wrote beside itself"
# A logout's SIGTERM ends the program as "E&xit" does, without a question: the settings
# saved, the lock given up, and the signal's own status.
rm "$ini"
"$work/app/quireon2" >"$work/term.log" 2>&1 &
app_pid=$!
timeout 20 xdotool search --sync --onlyvisible --name '^Quireon2$' >/dev/null ||
  fail "no window after the restart"
kill -TERM "$app_pid"
rc=0
timeout 15 tail --pid="$app_pid" -f /dev/null || fail "the program did not end at SIGTERM"
wait "$app_pid" || rc=$?
app_pid=""
[ "$rc" -eq 143 ] || { cat "$work/term.log" >&2; fail "SIGTERM ended the program with $rc"; }
[ -f "$ini" ] || fail "SIGTERM did not save the settings"
[ -z "$(ls -A "$work/run")" ] || fail "SIGTERM left $(ls -A "$work/run")"
echo "PASS: window found, pages shown, About and status by their keys, second copy refused" \
  "and its file handed over, Alt+X and SIGTERM saved the settings"
