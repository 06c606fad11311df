#!/usr/bin/env bash
# Drives the real workbench under a virtual X server as a user would, with xdotool:
# clicks on the menu bar (where menu_points says each item is), keys in the drop-downs,
# the file dialogs and the threshold dialog, a right click for the pop-up menu and a
# mouse stroke for the erase brush. Checks the windows that appear and the pixels of
# screenshots, which are kept in SHOTS_DIR for a person to look at.
#
#   MenusEndToEnd.sh VARDEL VARDEL_CLI MENU_POINTS CLOSE_WINDOW SAMPLES_DIR SHOTS_DIR
#
# Without a window manager, windows that open over the main window are moved aside so
# that screenshots show each window whole.
set -euo pipefail
[[ -n "${E2E_TRACE:-}" ]] && set -x
if [[ "${1:-}" != --inside ]]; then
    command -v xdotool > /dev/null || { echo "xdotool is not installed"; exit 1; }
    exec xvfb-run -a -s "-screen 0 1920x1080x24" "$0" --inside "$@"
fi
shift
vardel=$1 cli=$2 points=$3 close_window=$4 samples=$5 shots=$6
work=$(mktemp -d)
mkdir -p "$shots"
export XDG_DATA_HOME="$work/data"
pid=
cleanup() {
    [[ -n "$pid" ]] && kill "$pid" 2> /dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

source "$(dirname "$0")/DriveWorkbench.sh"

"$(dirname "$0")/../../scripts/install-samples" "$samples" > /dev/null
"$cli" convert "$samples/1.jpg" "$work/lake.bmp"

step "start"
"$vardel" &
pid=$!
wait_window "$main" > /dev/null
xdotool windowmove "$(window "$main")" 0 0
sleep 0.5

step "Cargar Tiff"
choose "Cargar Tiff"
f7=$(wait_window Form7)
xdotool windowmove "$f7" 1000 0
sleep 0.5
[[ "$(size "$f7")" == 512x320 ]] || fail "Form7 is $(size "$f7"), not the TIFF's 512x320"
shot Form7 form7-tiff
read -r r g b < <(pixel form7-tiff 226 150)
((r > 80 && r > b)) || fail "no planet in Form7 ($r $g $b)"
no_error "Cargar Tiff"

step "Cargar GIF"
# Over the TIFF's bitmap: the animation's first frame exactly, at the top left.
"$cli" convert "$samples/DIDOR_AZE.gif" "$work/first-frame.bmp"
choose "Cargar GIF"
shot Form7 form7-gif
convert "$shots/form7-gif.png" -crop "320x200+0+0" +repage "$work/shown.png"
differing=$(compare -metric AE "$work/first-frame.bmp" "$work/shown.png" null: 2>&1 || true)
[[ "$differing" == 0 ]] || fail "Form7 does not show the GIF's first frame ($differing pixels differ)"
[[ "$(size "$f7")" == 512x320 ]] || fail "Form7 is $(size "$f7") after Cargar GIF, not 512x320"
no_error "Cargar GIF"

step "Cargar JPEG"
choose "Cargar JPEG"
shot "$main" main-jpeg
top=$(client_top 321)
read -r r g b < <(pixel main-jpeg 100 $((top + 60)))
((r > 0 && g == 0 && b == 0)) || fail "the JPEG's area is not red only ($r $g $b)"
no_error "Cargar JPEG"

step "Abrir Imagen"
choose "Archivos/Abrir Imagen"
answer_file_dialog "$work/lake.bmp"
f8=$(wait_window Form8)
xdotool windowmove "$f8" 1000 400
sleep 0.5
shot Form8 form8-open
close Form8
[[ "$(geometry "$(window "$main")" WIDTH)" == 640 ]] || fail "the main window did not take the picture's width"
top=$(client_top 320)
shot "$main" main-open
(($(colours main-open 0 "$top" 640 320) > 1000)) || fail "the lake is not in the main window"

step "Componente Roja"
choose "Escala de Grises/Componente Roja"
shot "$main" main-grey
read -r r g b < <(pixel main-grey 300 $((top + 250)))
((r == g && g == b)) || fail "not grey after Componente Roja ($r $g $b)"
no_error "Componente Roja"

step "erase brush"
choose "popup/Habilitar borrado"
w=$(window "$main")
# A busy program receives only the last of several quick moves: the stroke rests a
# moment at each place checked below, so that those moves are not merged away.
for x in $(seq 100 2 300); do
    xdotool mousemove --window "$w" "$x" $((top + 250))
    case $x in 120 | 200 | 280) sleep 0.3 ;; esac
done
sleep 0.5
choose "popup/Deshabilitar borrado"
shot "$main" main-erased
for x in 120 200 280; do
    [[ "$(pixel main-erased "$x" $((top + 250)))" == "255 255 255" ]] || fail "no white stroke at $x"
done
no_error "erase brush"

step "Umbral"
choose "Umbral"
f2=$(wait_window Form2)
xdotool mousemove --window "$f2" 200 66 click --repeat 3 1
xdotool key ctrl+a
xdotool type "120"
xdotool mousemove --window "$f2" 157 124 click 1
wait_gone Form2
sleep 0.5
shot "$main" main-umbral
[[ "$(colours main-umbral 0 "$top" 640 320)" == 2 ]] || fail "Umbral left more than black and white"
# With the typed 120, not the default 50: white exactly where blue was above 120.
convert "$shots/main-erased.png" -crop "640x320+0+$top" +repage -fx 'b > 120/255 ? 1 : 0' \
    "$work/expected.png"
convert "$shots/main-umbral.png" -crop "640x320+0+$top" +repage "$work/umbral.png"
differing=$(compare -metric AE "$work/expected.png" "$work/umbral.png" null: 2>&1 || true)
[[ "$differing" == 0 ]] || fail "Umbral did not use the typed threshold ($differing pixels differ)"
no_error "Umbral"

step "Histograma Gris, Borrar Histograma"
choose "Histogramas/Histograma Gris"
f3=$(wait_window Form3)
xdotool windowmove "$f3" 1000 400
sleep 0.5
shot Form3 form3-histogram
(($(colours form3-histogram 0 0 400 400) >= 2)) || fail "no histogram plotted"
choose "Borrar Histograma"
no_error "Borrar Histograma"
close Form3

step "Contraste"
choose "Contraste"
wait_window "Parámetros del contraste" > /dev/null
close "Parámetros del contraste"
no_error "Contraste"

step "Convol2, Convolucion"
choose "Convol2"
f8=$(wait_window Form8)
xdotool windowmove "$f8" 1000 400
sleep 0.3
shot Form8 form8-convol2
close Form8
choose "Convolucion"
answer_file_dialog "$work/lake.bmp"
wait_window Form8 > /dev/null
close Form8
no_error "Convolucion"

step "Toda Azul, Toda Roja, Toda Verde, Componente Azul, Componente Verde"
for item in "Procesamiento/Toda Azul" "Procesamiento/Toda Roja" "Procesamiento/Toda Verde" \
            "Escala de Grises/Componente Azul" "Escala de Grises/Componente Verde"; do
    choose "$item"
    no_error "$item"
done

step "Salvar Imagen"
choose "Archivos/Salvar Imagen"
answer_file_dialog "$work/saved.bmp"
[[ "$(head -c 2 "$work/saved.bmp")" == BM ]] || fail "Salvar Imagen wrote no BMP file"

step "Salir"
choose "Archivos/Salir"
status=0
wait "$pid" || status=$?
pid=
((status == 0)) || fail "exit status $status"
echo "all menu commands worked; screenshots in $shots"
