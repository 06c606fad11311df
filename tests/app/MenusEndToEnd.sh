#!/usr/bin/env bash
# Drives the real workbench under a virtual X server as a user would, with xdotool:
# clicks on the menu bar (where menu_points says each item is), keys in the drop-downs,
# the file dialogs and the threshold dialog, a right click for the pop-up menu and a
# mouse stroke for the erase brush. After every command it waits until the window
# shows exactly what vardel-cli, which runs the same command on the same windows
# offscreen, makes of the same picture. Screenshots are kept in SHOTS_DIR for a person
# to look at.
#
#   MenusEndToEnd.sh VARDEL VARDEL_CLI MENU_POINTS CLOSE_WINDOW SAMPLES_DIR SHOTS_DIR
#
# Without a window manager, windows that open over the main window are moved aside so
# that screenshots show each window whole.
set -euo pipefail
[[ -n "${E2E_TRACE:-}" ]] && set -x
if [[ "${1:-}" != --inside ]]; then
    command -v xdotool > /dev/null || { echo "xdotool is not installed"; exit 1; }
    exec bash "$(dirname "$0")/OnVirtualDisplay.sh" bash "$0" --inside "$@"
fi
shift
vardel=$1 cli=$2 points=$3 close_window=$4 samples=$5 shots=$6
work=$(mktemp -d)
mkdir -p "$shots"
rm -f "$shots"/*.png "$shots"/*.differing  # the screenshots of an earlier run
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
"$cli" convert "$samples/saturn.tif" "$work/saturn.bmp"

# What a command makes of the picture $current (a BMP file), offscreen, as OUT.bmp and
# as plain pixels in OUT.png: expect COMMAND OUT [--editN T ...].
expect() { "$cli" run "$1" "$current" "$2.bmp" "${@:3}" && rgb "$2.bmp" "$2.png"; }
# A picture as Form8's view shows it: stretched to the view's 577 x 345, each pixel
# taking the source pixel under its centre, in integers as the view computes it
# (ImageMagick's own sampling rounds some exact halves down).
as_form8() {
    convert -size 577x345 xc: \( "$1" -alpha off \) -interpolate integer \
        -fx 'v.p{floor((2*i+1)*v.w/(2*w)),floor((2*j+1)*v.h/(2*h))}' -alpha off "PNG24:$2"
}
# The main window shows Image1's picture (W x H) below its menu bar.
main_shows() { wait_shows "$main" 0 "$(client_top "$3")" "$2" "$3" "$1" "$4"; }

step "start"
"$vardel" &
pid=$!
wait_window "$main" > /dev/null
move "$main" 0 0

step "Cargar Tiff"
choose "Cargar Tiff"
move Form7 1000 0
rgb "$work/saturn.bmp" "$work/saturn.png"
wait_shows Form7 0 0 512 320 "$work/saturn.png" form7-tiff
[[ "$(size "$(window Form7)")" == 512x320 ]] || fail "Form7 is $(size "$(window Form7)"), not 512x320"
no_error "Cargar Tiff"

step "Cargar GIF"
# Over the TIFF's bitmap: the animation's first frame exactly, at the top left.
"$cli" convert "$samples/DIDOR_AZE.gif" "$work/first-frame.bmp"
convert "$work/saturn.png" "$work/first-frame.bmp" -composite -alpha off "PNG24:$work/gif.png"
choose "Cargar GIF"
wait_shows Form7 0 0 512 320 "$work/gif.png" form7-gif
[[ "$(size "$(window Form7)")" == 512x320 ]] || fail "Form7 is $(size "$(window Form7)") after Cargar GIF"
no_error "Cargar GIF"

step "Cargar JPEG"
# Drawn on the main window over the empty 721 x 321 view, red only.
convert "$work/lake.bmp" -alpha off -channel GB -evaluate set 0 +channel "PNG24:$work/red.png"
choose "Cargar JPEG"
wait_shows "$main" 0 "$(client_top 321)" 640 320 "$work/red.png" main-jpeg
no_error "Cargar JPEG"

step "Abrir Imagen"
# The planet fits Form8's view, so that Convol2 below draws all of it there.
choose "Archivos/Abrir Imagen"
answer_file_dialog "$work/saturn.bmp"
move Form8 1000 400
as_form8 "$work/saturn.png" "$work/form8-open.png"
wait_shows Form8 24 16 577 345 "$work/form8-open.png" form8-open
close Form8
main_shows "$work/saturn.png" 512 320 main-open
current=$work/saturn.bmp

# A pixel command of the main window on the picture shown, checked against the same
# command offscreen: run NAME MENU-PATH [--editN T ...]
run() {
    local name=$1 path=$2
    step "$path"
    expect "$(basename "$path")" "$work/$name" "${@:3}"
    choose "$path"
    main_shows "$work/$name.png" 512 320 "main-$name"
    no_error "$path"
    current=$work/$name.bmp
}

run grey "Escala de Grises/Componente Roja"

step "erase brush"
choose "popup/Habilitar borrado"
w=$(window "$main")
top=$(client_top 320)
# A busy program merges quick mouse moves: the stroke waits at each place checked
# until it shows white there.
for x in $(seq 100 2 300); do
    xdotool mousemove --window "$w" "$x" $((top + 250))
    case $x in 120 | 200 | 280) wait_pixel "$main" "$x" $((top + 250)) "255 255 255" main-erased ;; esac
done
choose "popup/Deshabilitar borrado"
# Once the picture is repainted where the pop-up menu was, above the stroke, the
# screen holds the erased picture. The brush also painted where the mouse went to
# open the menu (40, 40).
convert "$work/grey.png" -fill white -draw 'rectangle 39,39 41,41' -crop 512x240+0+0 +repage \
    "$work/grey-top.png"
wait_shows "$main" 0 "$top" 512 240 "$work/grey-top.png" main-erased
crop main-erased 0 "$top" 512 320 "$work/erased.png"
convert "$work/erased.png" "BMP3:$work/erased.bmp"
current=$work/erased.bmp
no_error "erase brush"

step "Umbral"
# Typed into the dialog: 120, not the default 50.
expect Umbral "$work/umbral" --edit1 120
choose "Umbral"
f2=$(wait_window Form2)
xdotool mousemove --window "$f2" 200 66 click --repeat 3 1
xdotool key ctrl+a
xdotool type "120"
xdotool mousemove --window "$f2" 157 124 click 1
wait_gone Form2
main_shows "$work/umbral.png" 512 320 main-umbral
no_error "Umbral"
current=$work/umbral.bmp

step "Histograma Gris, Borrar Histograma"
expect "Histograma Gris" "$work/histogram"
choose "Histogramas/Histograma Gris"
move Form3 1000 400
wait_shows Form3 16 8 505 465 "$work/histogram.png" form3-histogram
# "Borrar Histograma" clears the plot (values 0 to 255 in columns 51 to 306, above the
# axis row 400) and leaves the axes.
convert "$work/histogram.png" -fill white -draw 'rectangle 51,0 306,399' \
    -fill black -draw 'rectangle 51,400 306,400' "PNG24:$work/cleared.png"
choose "Borrar Histograma"
wait_shows Form3 16 8 505 465 "$work/cleared.png" form3-cleared
no_error "Borrar Histograma"
close Form3

step "Contraste"
# Closed by its title-bar button, the dialog leads on with its default values.
expect Contraste "$work/contrast"
choose "Contraste"
wait_window "Parámetros del contraste" > /dev/null
close "Parámetros del contraste"
main_shows "$work/contrast.png" 512 320 main-contrast
no_error "Contraste"
current=$work/contrast.bmp

step "Convol2"
# Into Form8's picture, still the planet that Abrir Imagen put there: offscreen the
# view starts white, so only the filtered inside is taken from there.
expect Convol2 "$work/convol2"
convert "$work/saturn.png" \( "$work/convol2.png" -crop 510x318+1+1 \) -geometry +1+1 -composite \
    -alpha off "PNG24:$work/convol2-planet.png"
as_form8 "$work/convol2-planet.png" "$work/form8-convol2.png"
choose "Convol2"
move Form8 1000 400
wait_shows Form8 24 16 577 345 "$work/form8-convol2.png" form8-convol2
close Form8
no_error "Convol2"

step "Convolucion"
picture=$current current=$work/lake.bmp
expect Convolucion "$work/convolucion"
current=$picture
as_form8 "$work/convolucion.png" "$work/form8-convolucion.png"
choose "Convolucion"
answer_file_dialog "$work/lake.bmp"
move Form8 1000 400
wait_shows Form8 24 16 577 345 "$work/form8-convolucion.png" form8-convolucion
close Form8
no_error "Convolucion"

run blue "Procesamiento/Toda Azul"
run red "Procesamiento/Toda Roja"
run green "Procesamiento/Toda Verde"
run blue-grey "Escala de Grises/Componente Azul"
run green-grey "Escala de Grises/Componente Verde"

step "Salvar Imagen"
choose "Archivos/Salvar Imagen"
answer_file_dialog "$work/saved.bmp"
eventually test -s "$work/saved.bmp" || fail "Salvar Imagen wrote nothing"
[[ "$(head -c 2 "$work/saved.bmp")" == BM ]] || fail "Salvar Imagen wrote no BMP file"
rgb "$work/saved.bmp" "$work/saved.png"
differing=$(compare -metric AE "${current%.bmp}.png" "$work/saved.png" null: 2>&1 || true)
[[ "$differing" == 0 ]] || fail "the saved file is not the picture shown ($differing pixels differ)"

step "Salir"
choose "Archivos/Salir"
status=0
wait "$pid" || status=$?
pid=
((status == 0)) || fail "exit status $status"
echo "all menu commands worked; screenshots in $shots"
