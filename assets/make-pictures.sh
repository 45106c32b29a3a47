#!/usr/bin/env bash
# Draws the program's own pictures into this folder. Needs ImageMagick's convert (Debian package
# imagemagick); run it by hand after changing a picture and commit what it wrote.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# windup.gif: the wait window's 48 x 48 animation, a ring of eight dots with a bright one going
# round and a fading tail; half a second per frame (the window plays it five times as fast).
shades=(navy royalblue cornflowerblue white white white white white)
for step in 0 1 2 3 4 5 6 7; do
  draw=()
  for dot in 0 1 2 3 4 5 6 7; do
    behind=$(( (step - dot + 8) % 8 ))
    read -r x y < <(awk -v d="$dot" 'BEGIN { a = d * 3.14159265 / 4; printf "%.1f %.1f\n", 24 + 16 * sin(a), 24 - 16 * cos(a) }')
    radius=$(( behind == 0 ? 5 : (behind < 3 ? 4 : 3) ))
    draw+=(-fill "${shades[$behind]}" -draw "circle $x,$y $x,$(awk -v y="$y" -v r="$radius" 'BEGIN { print y - r }')")
  done
  convert -size 48x48 xc:none "${draw[@]}" "$work/windup-$step.png"
done
convert -delay 50 -dispose background -loop 0 "$work"/windup-{0..7}.png windup.gif

# logo.png: the login window's 350 x 70 banner, the name in white on a blue gradient with a
# rising bar chart beside it.
convert -size 70x350 gradient:'#1f5fa8-#4a9be0' -rotate 90 \
  -fill white -font DejaVu-Sans-Bold -pointsize 34 -gravity west -annotate +92+0 'Zarnik' \
  -fill '#ffffffb0' -draw 'rectangle 24,44 34,58' -draw 'rectangle 40,34 50,58' \
  -draw 'rectangle 56,22 66,58' -stroke white -strokewidth 2 -draw 'line 20,60 72,60' \
  -depth 8 -define png:exclude-chunks=date,time PNG32:logo.png

# status-0.png … status-3.png: the own task list's 16 x 16 status pictures, drawn at 64 x 64 and
# scaled down for smooth edges: 0 a pink circle with "!", 1 a green circle with a tick, 2 a red
# circle with a minus sign, 3 a green circle with a plus sign.
status_picture() {
  local out=$1 fill=$2 ring=$3
  shift 3
  convert -size 64x64 xc:none -fill "$fill" -stroke "$ring" -strokewidth 3 -draw 'circle 32,32 32,3' \
    -fill none -stroke white -strokewidth 9 -draw "stroke-linecap round" "$@" \
    -resize 16x16 -depth 8 -define png:exclude-chunks=date,time PNG32:"$out"
}
status_picture status-0.png '#f06b9b' '#c2396b' -draw 'line 32,15 32,36' -fill white -stroke none -draw 'circle 32,48 32,53'
status_picture status-1.png '#3cb44b' '#23822f' -draw 'polyline 18,33 28,43 46,22'
status_picture status-2.png '#e03131' '#a51d1d' -draw 'line 17,32 47,32'
status_picture status-3.png '#3cb44b' '#23822f' -draw 'line 17,32 47,32' -draw 'line 32,17 32,47'
