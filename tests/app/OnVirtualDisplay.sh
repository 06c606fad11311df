#!/usr/bin/env bash
# Runs a command on a virtual X server of its own (1920 x 1080 unless told, 24 bits) and
# stops the server afterwards; the command's exit status is the script's.
#   OnVirtualDisplay.sh [--screen WIDTHxHEIGHT] COMMAND [ARGS...]
#
# The server chooses a free display number itself and tells it once it accepts
# clients, and only clients with this run's key may connect: runs that start at the
# same moment (other test programs, other builds on the machine) never share or take
# each other's display, as two xvfb-run -a can.
set -euo pipefail
screen=1920x1080
if [[ "${1:-}" == --screen ]]; then
    screen=$2
    shift 2
fi
dir=$(mktemp -d)
server=
stop() {
    if [[ -n "$server" ]]; then
        kill "$server" 2> /dev/null || true
        wait "$server" 2> /dev/null || true
    fi
    rm -rf "$dir"
}
trap stop EXIT

key=$(mcookie)
xauth -q -f "$dir/auth" add :0 . "$key" 2> /dev/null  # the file is new
# Without -noreset the server starts afresh each time its last client leaves, and
# refuses clients meanwhile: a check that connected, then the program's own
# connection, would race with that.
Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp -noreset -auth "$dir/auth" \
    3> "$dir/display" 2> "$dir/server.log" &
server=$!
# The number arrives when the server is ready, however long a busy machine takes.
until [[ -s "$dir/display" ]]; do
    kill -0 "$server" 2> /dev/null || { cat "$dir/server.log" >&2; exit 1; }
    sleep 0.1
done
display=:$(head -n 1 "$dir/display")
xauth -q -f "$dir/auth" add "$display" . "$key" 2> /dev/null
export DISPLAY=$display XAUTHORITY=$dir/auth
# Until a client gets through.
until xdotool getdisplaygeometry > /dev/null 2>&1; do
    kill -0 "$server" 2> /dev/null || { cat "$dir/server.log" >&2; exit 1; }
    sleep 0.1
done

status=0
"$@" || status=$?
# A failure may be the server's: its own words go with it.
((status == 0)) || sed "s/^/Xvfb $display: /" "$dir/server.log" >&2
exit "$status"
