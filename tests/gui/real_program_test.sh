#!/usr/bin/env bash
# Starts the real zembra-tool on the (virtual) display, finds its window by
# its title, checks its size, presses its buttons from the keyboard and
# closes it with Escape.
set -euo pipefail
program=$1
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

HOME=$work XDG_STATE_HOME=$work GSETTINGS_BACKEND=memory "$program" &
pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Zembra_TOOL$' | head -n 1)
[ -n "$window" ] || fail "no window titled Zembra_TOOL"

eval "$(xwininfo -id "$window" | awk '/Width:/ {print "width=" $2} /Height:/ {print "height=" $2}')"
# 168 x 73 dialog units: at least 168 x 73 pixels, and the dialog is wider than high.
[ "$width" -ge 168 ] && [ "$height" -ge 73 ] && [ "$width" -gt "$height" ] ||
  fail "unexpected size ${width}x${height}"

# Presses KEY in the dialog; a window titled TITLE must come up, and is
# closed again with CLOSE-KEY.
press() {  # KEY TITLE CLOSE-KEY
  xdotool windowfocus --sync "$window" key "$1"
  local shown
  shown=$(timeout 10 xdotool search --sync --onlyvisible --name "$2" | head -n 1) ||
    fail "$1 did not show '$2'"
  xdotool windowfocus --sync "$shown" key "$3"
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "$2" >/dev/null || return 0
    sleep 0.1
  done
  fail "'$2' did not close"
}
# Enter presses Save, the default button: no workbook yet.
press Return '^Error$' Return
# Tab moves to Open, whose file dialog comes up.
xdotool windowfocus --sync "$window" key Tab
press space 'Select a file' Escape

xdotool windowfocus --sync "$window" key Escape
for _ in $(seq 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "Escape did not close the dialog"
wait "$pid" || fail "zembra-tool ended with an error"
echo "PASS: window ${width}x${height}, Save and Open answer, Escape closes"
