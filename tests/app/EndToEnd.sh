#!/bin/sh
# Starts the real workbench on a virtual X server of its own, waits for its main window,
# closes it by the title-bar button's request and expects a clean exit. The main
# window's client area is 721 pixels wide at start.
#   EndToEnd.sh VARDEL CLOSE_WINDOW
#
# Qt's X connection can sit on a message that arrives while the program is still
# starting until the next event comes; the request is repeated once a second for as
# long as the window stays open, as an impatient user would click again.
exec bash "$(dirname "$0")/OnVirtualDisplay.sh" sh -c '
    title="Procesamiento de Imágenes"
    "$1" &
    pid=$!
    size=$("$2" "$title" 60) || { kill "$pid"; exit 3; }
    tries=0
    while sleep 1 && kill -0 "$pid" 2>/dev/null; do
        tries=$((tries + 1))
        [ "$tries" -le 30 ] || { echo "the window did not close"; kill "$pid"; exit 5; }
        "$2" "$title" 1 > /dev/null 2>&1
    done
    wait "$pid"
    status=$?
    echo "window $size, exit status $status"
    case "$size" in
        721x*) ;;
        *) echo "unexpected window size $size"; exit 4 ;;
    esac
    exit "$status"
' end-to-end "$1" "$2"
