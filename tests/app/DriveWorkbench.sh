# Functions that drive the real workbench on an X display with xdotool, as a user
# would, for the end-to-end tests and scripts/screenshot. Sourced by bash scripts that
# set:
#   points         the menu_points program (where each menu item is drawn)
#   close_window   the close_window program (the title-bar close button)
#   shots          the folder for screenshots
# Without a window manager, windows open where their layouts put them; the callers
# move them aside so that screenshots show each window whole. Nothing here waits for a
# fixed time: every step waits until what it needs is on the screen, and fails when it
# does not come.

main="Procesamiento de Imágenes"

fail() {
    echo "FAILED: $*" >&2
    import -window root "$shots/failure.png" 2> /dev/null || true
    exit 1
}
step() { echo "== $*"; }

# The visible window with exactly this title, if any.
window() { xdotool search --onlyvisible --name "^$1\$" 2> /dev/null | head -n 1 || true; }
shown() { [[ -n "$(window "$1")" ]]; }
gone() { [[ -z "$(window "$1")" ]]; }
# Runs a check every tenth of a second until it holds; false once SECONDS have passed
# on the clock (a check can itself take a while).
#   within SECONDS COMMAND [ARGS...]
within() {
    local end=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < end)) || return 1
        sleep 0.1
    done
}
# Twenty seconds and more can pass before a loaded machine shows a change.
eventually() { within 60 "$@"; }
# Waits for the window and prints its id.
wait_window() {
    eventually shown "$1" || fail "window \"$1\" did not appear"
    window "$1"
}
wait_gone() { eventually gone "$1" || fail "window \"$1\" did not go"; }
# The title-bar close button, asked again until the window goes (Qt can leave the
# first request waiting for the next event).
close() {
    for _ in $(seq 30); do
        gone "$1" && return 0
        "$close_window" "$1" 1 > /dev/null 2>&1 || true
        within 2 gone "$1" && return 0
    done
    fail "window \"$1\" did not close"
}
geometry() { xdotool getwindowgeometry --shell "$1" | sed -n "s/^$2=//p"; }
size() { echo "$(geometry "$1" WIDTH)x$(geometry "$1" HEIGHT)"; }
# Moves the window to (x, y) on the screen and waits until it is there.
at() { [[ "$(geometry "$(window "$1")" X),$(geometry "$(window "$1")" Y)" == "$2,$3" ]]; }
move() {
    xdotool windowmove "$(wait_window "$1")" "$2" "$3"
    eventually at "$1" "$2" "$3" || fail "window \"$1\" did not move to $2,$3"
}
# No error message box (captioned with the program's name) is open.
no_error() {
    [[ -z "$(window vardel)" ]] || { shot vardel error; fail "an error message box is open after: $*"; }
}
shot() { import -window "$(window "$1")" "$shots/$2.png"; }
# "R G B" of a pixel of a screenshot.
pixel() {
    convert "$shots/$1.png" -crop "1x1+$2+$3" +repage \
        -format '%[fx:int(255*r+0.5)] %[fx:int(255*g+0.5)] %[fx:int(255*b+0.5)]\n' info:
}
# How many colours a rectangle of a screenshot holds.
colours() { convert "$shots/$1.png" -crop "$4x$5+$2+$3" +repage -format %k info:; }
# A picture file as plain RGB pixels (PNG), for exact comparisons.
rgb() { convert "$1" -alpha off "PNG24:$2"; }
# A rectangle of a screenshot as its own picture.
crop() { convert "$shots/$1.png" -crop "$4x$5+$2+$3" +repage -alpha off "PNG24:$6"; }

# Whether the W x H rectangle at (X, Y) of a window shows exactly the picture EXPECTED
# (a file); the screenshot is kept as NAME, the number of differing pixels in
# $shots/NAME.differing.
#   shows WINDOW X Y W H EXPECTED NAME
shows() {
    shot "$1" "$7" 2> /dev/null || return 1
    crop "$7" "$2" "$3" "$4" "$5" "$shots/$7.shown.png"
    compare -metric AE "$6" "$shots/$7.shown.png" null: > /dev/null 2> "$shots/$7.differing"
}
# Waits for a repaint that shows the picture.
wait_shows() {
    eventually shows "$@" ||
        fail "$1 does not show $(basename "$6") at $4x$5+$2+$3 ($(cat "$shots/$7.differing") pixels differ; see $7.png)"
}
# Waits until a pixel of a window shows the colour "R G B"; the screenshot is NAME.
shows_pixel() { shot "$1" "$5" 2> /dev/null && [[ "$(pixel "$5" "$2" "$3")" == "$4" ]]; }
wait_pixel() { eventually shows_pixel "$@" || fail "$1 does not show $4 at $2,$3 (see $5.png)"; }

# The visible windows of the program (drop-downs and dialogs included), one id a line.
program_windows() { xdotool search --onlyvisible --classname '^vardel$' 2> /dev/null | sort || true; }
# Whether any of the windows listed in $1 is still visible.
any_visible() {
    local w
    for w in $1; do
        [[ -n "$(xdotool search --onlyvisible --classname '^vardel$' 2> /dev/null | grep -x "$w")" ]] &&
            return 0
    done
    return 1
}
# Windows that have appeared since the list in $1 was taken.
new_windows() { comm -13 <(echo "$1") <(program_windows); }
menu_opened() { [[ -n "$(new_windows "$1")" ]]; }
# Chooses a command: a click on the menu bar, then Down presses and Return in the
# drop-down; "popup/..." opens the view's pop-up menu with the right button. A menu
# that does not open fails the test. A busy program can lose a click, or close a menu
# at once as another window goes away; and keys pressed before an opening menu takes
# the keyboard are lost and leave it open. Each time the menu is closed if need be
# and chosen again, three times at most.
choose() {
    local w x y downs before menu
    w=$(window "$main")
    read -r x y downs < <("$points" "$(geometry "$w" WIDTH)" "$1") || true
    [[ -n "$downs" ]] || fail "menu_points does not know \"$1\""
    for _ in 1 2 3; do
        xdotool mousemove --window "$w" "$x" "$y"
        before=$(program_windows)
        if [[ "$1" == popup/* ]]; then xdotool click 3; else xdotool click 1; fi
        ((downs > 0)) || return 0  # a command of the menu bar itself
        within 7 menu_opened "$before" || continue
        menu=$(new_windows "$before")
        for _ in $(seq "$downs"); do xdotool key Down; done
        xdotool key Return
        eventually eval '! any_visible "$menu"' && return 0
        xdotool key Escape
        eventually eval '! any_visible "$menu"' || fail "the menu stays open for \"$1\""
    done
    fail "the menu did not open, or took no keys, for \"$1\""
}
# The open or save file dialog, if any: the window with one of their titles.
file_dialog() { window "(Abrir imagen|Abrir imagen para filtrar|Guardar imagen)"; }
file_dialog_open() { [[ -n "$(file_dialog)" ]]; }
file_dialog_closed() { [[ -z "$(file_dialog)" ]]; }
# Answers the open or save dialog with a full path. Keys go to the window that has the
# keyboard focus, which a busy program gives a new dialog some time after showing it:
# typed before, they would reach the main window. The dialog is given the focus, as a
# click on it would, before anything is typed.
answer_file_dialog() {
    local dialog
    eventually file_dialog_open || fail "no file dialog"
    dialog=$(file_dialog)
    xdotool windowfocus --sync "$dialog"
    xdotool type --delay 2 "$1"
    xdotool key Return
    eventually file_dialog_closed || {
        import -window "$dialog" "$shots/file-dialog.png"
        fail "the file dialog did not close (see file-dialog.png)"
    }
}
# The top of the main window's client area: the window is the menu bar above the
# client area, which is as large as Image1's picture.
client_top() { echo $(($(geometry "$(window "$main")" HEIGHT) - $1)); }
