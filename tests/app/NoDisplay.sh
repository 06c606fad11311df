#!/bin/sh
# Without a display the workbench says so in one sentence and exits non-zero.
#   NoDisplay.sh VARDEL
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$1" 2>&1)
status=$?
echo "$out"
[ "$status" -ne 0 ] || { echo "exit status 0"; exit 1; }
[ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] || { echo "more than one line"; exit 1; }
case "$out" in
    *"cannot start"*"DISPLAY"*.) exit 0 ;;
    *) echo "unexpected message"; exit 1 ;;
esac
