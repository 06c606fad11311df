#!/usr/bin/env bash
# Drives the real workbench under a virtual X server of 1600 × 1000 with the pictures
# people have: a 4000 × 3000 photograph, larger than the screen, and a 10 × 10 picture,
# narrower than the menu bar; from the mouse and from the keyboard; and once more at a
# scale factor of 2. Every check waits for the state it looks at (a pixel of a
# screenshot, a window, a file); the screenshots stay in SHOTS_DIR for a person to look
# at (large-middle.png is the README's docs/large-picture.png).
#
#   PicturesEndToEnd.sh VARDEL VARDEL_CLI VARDEL_SAMPLES MENU_POINTS CLOSE_WINDOW
#                       SAMPLES_DIR SHOTS_DIR
set -euo pipefail
[[ -n "${E2E_TRACE:-}" ]] && set -x
if [[ "${1:-}" != --inside ]]; then
    command -v xdotool > /dev/null || { echo "xdotool is not installed"; exit 1; }
    # A free display from a number of its own (other runs on the machine start at 99),
    # and a server that does not reset while no program is connected between the runs.
    exec xvfb-run -a -n $((200 + RANDOM % 600)) -s "-screen 0 1600x1000x24 -noreset" "$0" \
        --inside "$@"
fi
shift
vardel=$1 cli=$2 painter=$3 points=$4 close_window=$5 samples=$6 shots=$7
work=$(mktemp -d)
mkdir -p "$shots"
export XDG_DATA_HOME="$work/data"
pid=
cleanup() {
    [[ -n "$pid" ]] && kill "$pid" 2> /dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
trap 'echo "FAILED: line $LINENO of $0" >&2' ERR

source "$(dirname "$0")/DriveWorkbench.sh"

screen_width=1600 screen_height=1000
"$(dirname "$0")/../../scripts/install-samples" "$samples" > /dev/null

# The photograph as the README tells: a JPEG turned into a BMP by vardel-cli.
"$painter" --landscape 1000 750 "$work/lake.jpg"
convert "$work/lake.jpg" -resize 4000x3000 -quality 92 "$work/photo.jpg"
"$cli" convert "$work/photo.jpg" "$work/large.bmp"
# Ten by ten: the left half with blue 60, the right half with blue 200.
convert -size 5x10 'xc:rgb(200,120,60)' -size 5x10 'xc:rgb(40,90,200)' +append \
    -type TrueColor "BMP3:$work/small.bmp"

start() {
    "$vardel" &
    pid=$!
    wait_window "$main" > /dev/null
}
stop() {
    local status=0
    wait "$pid" || status=$?
    pid=
    ((status == 0)) || fail "exit status $status"
}
# The main window's frame lies on the screen.
on_screen() {
    local w x y width height
    w=$(window "$main")
    x=$(geometry "$w" X) y=$(geometry "$w" Y) width=$(geometry "$w" WIDTH) height=$(geometry "$w" HEIGHT)
    ((x >= 0 && y >= 0 && x + width <= screen_width && y + height <= screen_height))
}
# The window shows this colour at a point now (a fresh screenshot each time).
shows() {
    shot "$1" probe && [[ "$(pixel probe "$2" "$3")" == "$4" ]]
}
shows_not() {
    shot "$1" probe && [[ "$(pixel probe "$2" "$3")" != "$4" ]]
}
# A pixel of a picture file, as "R G B".
picture_pixel() {
    convert "$1" -crop "1x1+$2+$3" +repage \
        -format '%[fx:int(255*r+0.5)] %[fx:int(255*g+0.5)] %[fx:int(255*b+0.5)]\n' info:
}
# The first row of a screenshot below the menu bar, looking down a column where the
# bar shows only its background.
client_top() {
    convert "$shots/$1.png" -crop "1x200+$2+0" +repage txt:- |
        awk -F': ' 'NR == 2 { bar = $2 }
                    NR > 2 && top == "" && $2 != bar { split($1, p, ","); top = p[2] }
                    END { print top }'
}

step "a photograph larger than the screen"
start
choose "Archivos/Abrir Imagen"
answer_file_dialog "$work/large.bmp"
wait_window Form8 > /dev/null
close Form8
eventually on_screen || fail "the main window with the photograph does not fit on the screen"
w=$(window "$main")
width=$(geometry "$w" WIDTH) height=$(geometry "$w" HEIGHT)
((width > screen_width - 100 && height > screen_height - 100)) ||
    fail "the main window is ${width}x${height}, not as large as the screen holds"
shot "$main" large-top-left
top=$(client_top large-top-left $((width - 40)))
# A point of the JPEG's drawing that Form7 covers when "Cargar Tiff" opens it.
at="300 $((top + 200))"
shown=$(picture_pixel "$work/large.bmp" 300 200)
[[ "$(pixel large-top-left $at)" == "$shown" ]] || fail "the photograph's top-left is not shown under the menu bar"

step "Cargar JPEG, then covered and uncovered, then hidden and shown again"
choose "Cargar JPEG"
eventually shows_not "$main" $at "$shown" || fail "Cargar JPEG drew nothing"
read -r r g b < <(pixel probe $at)
((r > 0 && g == 0 && b == 0)) || fail "the JPEG's area is not red only ($r $g $b)"
shot "$main" large-jpeg
choose "Cargar Tiff"
f7=$(wait_window Form7)
xdotool windowmove "$f7" 1100 600
eventually shows "$main" $at "$shown" || fail "uncovered, the main window still shows the JPEG's drawing"
close Form7
choose "Cargar JPEG"
eventually shows_not "$main" $at "$shown" || fail "Cargar JPEG drew nothing the second time"
xdotool windowunmap --sync "$w"
xdotool windowmap --sync "$w"
eventually shows "$main" $at "$shown" || fail "shown again, the main window still shows the JPEG's drawing"
no_error "Cargar JPEG"

step "scrolled to the middle; the erase brush there"
# A middle click on a scroll bar puts its slider where the click is.
xdotool mousemove --window "$w" $((width / 2 - 8)) $((height - 7)) click 2
xdotool mousemove --window "$w" $((width - 7)) $(((top + height - 15) / 2)) click 2
eventually shows_not "$main" $at "$shown" || fail "the scroll bars did not move"
# Both sliders moved: two screenshots a moment apart are the same.
settled() {
    shot "$main" settling-a && sleep 0.2 && shot "$main" settling-b &&
        [[ "$(compare -metric AE "$shots/settling-a.png" "$shots/settling-b.png" null: 2>&1)" == 0 ]]
}
eventually settled || fail "the window does not settle"
shot "$main" large-middle
choose "popup/Habilitar borrado"
px=$((width / 2)) py=$(((top + height) / 2))
xdotool mousemove --window "$w" "$px" "$py"
eventually shows "$main" "$px" "$py" "255 255 255" || fail "the brush painted nothing under the mouse"
choose "Archivos/Salvar Imagen"
answer_file_dialog "$work/saved.bmp"
saved() { [[ "$("$cli" info "$work/saved.bmp" 2> /dev/null)" == *'"width":4000,"height":3000'* ]]; }
eventually saved || fail "Salvar Imagen wrote no 4000 x 3000 picture"
# The saved picture differs from the photograph in the brush's 3 x 3 square only ...
read -r box < <(convert "$work/large.bmp" "$work/saved.bmp" -alpha off -compose difference \
    -composite -threshold 0 -format '%@\n' info:)
[[ "$box" =~ ^3x3\+([0-9]+)\+([0-9]+)$ ]] || fail "the brush changed $box of the picture, not one 3 x 3 square"
qx=$((BASH_REMATCH[1] + 1)) qy=$((BASH_REMATCH[2] + 1))
# ... and the window showed, around the mouse, the photograph around that square.
convert "$shots/large-middle.png" -crop "61x61+$((px - 30))+$((py - 30))" +repage "$work/seen.png"
convert "$work/large.bmp" -crop "61x61+$((qx - 30))+$((qy - 30))" +repage "$work/there.png"
differing=$(compare -metric AE "$work/seen.png" "$work/there.png" null: 2>&1 || true)
[[ "$differing" == 0 ]] || fail "the brush painted at ($qx, $qy), not under the mouse ($differing pixels differ)"
# The window's middle shows the photograph's middle.
((qx > 1900 && qx < 2100 && qy > 1400 && qy < 1600)) || fail "not scrolled to the middle: ($qx, $qy)"
no_error "erase brush"
choose "Archivos/Salir"
stop

step "a picture of 10 x 10"
start
choose "Archivos/Abrir Imagen"
answer_file_dialog "$work/small.bmp"
wait_window Form8 > /dev/null
close Form8
w=$(window "$main")
small_window() { (($(geometry "$(window "$main")" HEIGHT) < 100)); }
eventually small_window || fail "the main window did not follow the small picture"
width=$(geometry "$w" WIDTH) height=$(geometry "$w" HEIGHT)
# Every item of the menu bar lies in the window, in at most two rows.
rows=()
for item in Archivos Procesamiento "Escala de Grises" Umbral Histogramas "Borrar Histograma" \
            Contraste "Cargar JPEG" "Cargar GIF" "Cargar Tiff" Convolucion Convol2; do
    read -r x y _ < <("$points" "$width" "$item")
    ((x > 0 && x < width && y < height - 10)) || fail "\"$item\" is not inside the window"
    [[ " ${rows[*]} " == *" $y "* ]] || rows+=("$y")
done
((${#rows[@]} <= 2)) || fail "the menu bar takes ${#rows[@]} rows"
eventually shows "$main" 2 $((height - 5)) "200 120 60" || fail "no picture at the top-left"
shot "$main" small
[[ "$(pixel small 7 $((height - 5)))" == "40 90 200" ]] || fail "the picture's right half is not there"
# Beside the picture, the window's colour: that of the menu bar's bottom row there.
[[ "$(pixel small $((width - 5)) $((height - 5)))" == "$(pixel small $((width - 5)) $((height - 11)))" ]] ||
    fail "beside the picture the window does not show its own colour"
choose "Convol2"
wait_window Form8 > /dev/null
close Form8

step "the keyboard: F10 and Alt to Umbral, typed thresholds, Enter and Escape"
# The keys go to the window that has the focus, as the desktop gives it.
xdotool windowfocus --sync "$w"
xdotool key F10 Right Right Right Return
f2=$(wait_window Form2)
xdotool windowfocus --sync "$f2"
xdotool type "100"
xdotool key Return
wait_gone Form2
eventually shows "$main" 2 $((height - 5)) "0 0 0" || fail "Umbral by the keyboard did not threshold at 100"
shows "$main" 7 $((height - 5)) "255 255 255" || fail "Umbral at 100 did not make blue 200 white"
shot "$main" small-umbral
# The second time the field has the focus again, its text selected: "-1" replaces it,
# and Escape closes the dialog as its title-bar button does.
xdotool windowfocus --sync "$w"
xdotool key alt
xdotool key Right Right Right Return
f2=$(wait_window Form2)
xdotool windowfocus --sync "$f2"
xdotool type -- "-1"
xdotool key Escape
wait_gone Form2
eventually shows "$main" 2 $((height - 5)) "255 255 255" || {
    no_error "Umbral with -1"
    fail "Umbral with -1 did not make everything white"
}
no_error "Umbral by the keyboard"
xdotool windowfocus --sync "$w"
xdotool key F10 Down Down Down Return
stop

step "a scale factor of 2"
convert -size 2x2 'xc:rgb(255,0,0)' 'xc:rgb(0,0,255)' +append \( 'xc:rgb(0,255,0)' \
    'xc:rgb(255,255,0)' +append \) -append -filter point -resize 8x8 -type TrueColor \
    "BMP3:$work/checks.bmp"
QT_SCALE_FACTOR=2 "$vardel" &
pid=$!
w=$(wait_window "$main")
eventually on_screen || fail "at a scale factor of 2 the main window is not on the screen"
xdotool windowfocus --sync "$w"
xdotool key F10 Return Return
answer_file_dialog "$work/checks.bmp"
wait_window Form8 > /dev/null
close Form8
eventually small_window || true
height=$(geometry "$w" HEIGHT)
eventually on_screen || fail "at a scale factor of 2 the main window is not on the screen"
# The 8 x 8 picture fills the last 16 rows of the window: each of its pixels a block
# of 2 x 2 pixels of the screen in exactly its colour.
eventually shows "$main" 0 $((height - 16)) "255 0 0" || fail "no picture at a scale factor of 2"
shot "$main" scale-2
convert "$shots/scale-2.png" -crop "16x16+0+$((height - 16))" +repage -filter point \
    -resize 8x8 -filter point -resize 16x16 "$work/blocks.png"
convert "$shots/scale-2.png" -crop "16x16+0+$((height - 16))" +repage "$work/shown.png"
differing=$(compare -metric AE "$work/blocks.png" "$work/shown.png" null: 2>&1 || true)
[[ "$differing" == 0 ]] || fail "the picture is not shown in blocks of 2 x 2 ($differing pixels differ)"
(($(colours scale-2 0 $((height - 16)) 16 16) == 4)) || fail "the picture's colours are mixed"
xdotool windowfocus --sync "$w"
xdotool key F10 Down Down Down Return
stop
echo "large and small pictures, the keyboard and a scale factor of 2 worked; screenshots in $shots"
