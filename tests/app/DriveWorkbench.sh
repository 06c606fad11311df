# Functions that drive the real workbench on an X display with xdotool, as a user
# would, for the end-to-end tests and scripts/screenshot. Sourced by bash scripts that
# set:
#   points         the menu_points program (where each menu item is drawn)
#   close_window   the close_window program (the title-bar close button)
#   shots          the folder for screenshots
# Without a window manager, windows open where their layouts put them; the callers
# move them aside so that screenshots show each window whole.

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
# Runs a check every tenth of a second until it holds; false after 15 seconds.
eventually() {
    for _ in $(seq 150); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
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
        sleep 0.5
    done
    fail "window \"$1\" did not close"
}
geometry() { xdotool getwindowgeometry --shell "$1" | sed -n "s/^$2=//p"; }
size() { echo "$(geometry "$1" WIDTH)x$(geometry "$1" HEIGHT)"; }
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

# How many windows of the program are visible (drop-downs included).
program_windows() { xdotool search --onlyvisible --classname '^vardel$' 2> /dev/null | wc -l; }
more_windows_than() { (($(program_windows) > $1)); }
# Chooses a command: a click on the menu bar, then Down presses and Return in the
# drop-down; "popup/..." opens the view's pop-up menu with the right button.
choose() {
    local w x y downs before
    w=$(window "$main")
    read -r x y downs < <("$points" "$(geometry "$w" WIDTH)" "$1")
    xdotool mousemove --window "$w" "$x" "$y"
    before=$(program_windows)
    if [[ "$1" == popup/* ]]; then xdotool click 3; else xdotool click 1; fi
    if ((downs > 0)); then
        # The keys go to the drop-down only once it is open: on a busy machine that
        # can take a while.
        eventually more_windows_than "$before" || true
        sleep 0.2
        for _ in $(seq "$downs"); do xdotool key Down; done
        xdotool key Return
    fi
    sleep 0.5
}
# The open or save file dialog, if any: the window with one of their titles.
file_dialog() { window "(Abrir imagen|Abrir imagen para filtrar|Guardar imagen)"; }
file_dialog_open() { [[ -n "$(file_dialog)" ]]; }
file_dialog_closed() { [[ -z "$(file_dialog)" ]]; }
# Answers the open or save dialog with a full path.
answer_file_dialog() {
    eventually file_dialog_open || fail "no file dialog"
    xdotool type --delay 2 "$1"
    xdotool key Return
    eventually file_dialog_closed || fail "the file dialog did not close"
}
# The top of the main window's client area: the window is the menu bar above the
# client area, which is as large as Image1's picture.
client_top() { echo $(($(geometry "$(window "$main")" HEIGHT) - $1)); }

