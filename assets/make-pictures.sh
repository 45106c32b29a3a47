#!/usr/bin/env bash
# Draws the program's own pictures into this folder. Needs ImageMagick's convert (Debian package
# imagemagick); run it by hand after changing a picture and commit what it wrote.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# windup.gif: the wait window's 48 x 48 animation, a ring of eight dots with a bright one going
# round and a fading tail; half a second per frame (the window plays it five times as fast).
shades=(navy royalblue cornflowerblue lightsteelblue lightsteelblue lightsteelblue lightsteelblue lightsteelblue)
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
