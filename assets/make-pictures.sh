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

# shell-*: the main window's pictures, tray and window icon, built-in ad and payment QR placeholder.
cjk=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
png=(-depth 8 -define png:exclude-chunks=date,time)
# shell-banner.png: 936 x 73 top panel, a blue gradient with a light rising line across it.
convert -size 73x936 gradient:'#174f8f-#3d8fd8' -rotate 90 \
  -stroke '#ffffff40' -strokewidth 3 -fill none -draw 'polyline 520,62 590,50 650,54 710,36 770,26' \
  -stroke none -fill '#ffffffd0' -font "$cjk" -pointsize 15 -gravity west -annotate +330+0 '关键词排名 · 流量互换' \
  "${png[@]}" PNG32:shell-banner.png
# shell-logo.png: 228 x 66 transparent logo area, a round emblem and the name.
convert -size 228x66 xc:none -fill white -draw 'circle 33,33 33,9' \
  -fill '#1f5fa8' -font DejaVu-Sans-Bold -pointsize 30 -gravity northwest -annotate +22+14 'Z' \
  -fill white -pointsize 30 -annotate +66+13 'Zarnik' "${png[@]}" PNG32:shell-logo.png
# shell-recharge.png: 114 x 40 recharge picture, an orange pill with white text.
convert -size 114x40 xc:none -fill '#f08a1c' -draw 'roundrectangle 1,1 112,38 18,18' \
  -fill white -font "$cjk" -pointsize 18 -gravity center -annotate +0+0 '软件充值' "${png[@]}" PNG32:shell-recharge.png
# shell-toolbar-icon.png: 32 x 32, a blue disc with a white arrow going up.
convert -size 32x32 xc:none -fill '#2d7dd2' -draw 'circle 16,16 16,1' \
  -fill white -draw 'polygon 16,6 25,16 19,16 19,26 13,26 13,16 7,16' "${png[@]}" PNG32:shell-toolbar-icon.png
# shell-button-*.png: 16 x 16 white marks for the four toolbar buttons.
convert -size 16x16 xc:none -fill white -draw 'rectangle 7,2 9,14' -draw 'rectangle 2,7 14,9' \
  "${png[@]}" PNG32:shell-button-add.png
convert -size 16x16 xc:none -fill white -draw 'polygon 4,2 14,8 4,14' "${png[@]}" PNG32:shell-button-start.png
convert -size 16x16 xc:none -fill white -draw 'circle 8,5 8,2' -draw 'ellipse 8,15 6,6 180,360' \
  "${png[@]}" PNG32:shell-button-member.png
convert -size 16x16 xc:none -fill none -stroke white -strokewidth 1.5 -draw 'circle 8,8 8,1.5' \
  -stroke white -strokewidth 1.5 -draw 'line 5,4 8,8' -draw 'line 11,4 8,8' -draw 'line 8,8 8,13' \
  -draw 'line 5,9 11,9' "${png[@]}" PNG32:shell-button-recharge.png
# shell-support.png: 107 x 24, a speech bubble and the words for online support.
convert -size 107x24 xc:none -fill '#12b7f5' -draw 'roundrectangle 0,0 106,23 5,5' \
  -fill white -draw 'roundrectangle 5,5 21,16 3,3' -draw 'polygon 8,16 12,16 7,20' \
  -font "$cjk" -pointsize 13 -gravity west -annotate +27+0 '在线客服' "${png[@]}" PNG32:shell-support.png
# shell-icon-16.png, shell-icon-32.png: the tray and window icon, a blue rounded square with a "Z".
for size in 16 32; do
  convert -size ${size}x${size} xc:none -fill '#1f5fa8' -draw "roundrectangle 0,0 $((size - 1)),$((size - 1)) $((size / 5)),$((size / 5))" \
    -fill white -font DejaVu-Sans-Bold -pointsize $((size * 3 / 4)) -gravity center -annotate +0+0 'Z' \
    "${png[@]}" PNG32:shell-icon-$size.png
done
# shell-ad.gif: the built-in 150 x 200 ad, three cards of one and a half seconds each.
ad_frame() {
  convert -size 150x200 gradient:"$1" -fill white -font "$cjk" -gravity center \
    -pointsize 24 -annotate +0-40 "$2" -pointsize 16 -annotate +0+10 "$3" \
    -fill '#ffffffd8' -draw 'roundrectangle 25,150 125,180 14,14' \
    -fill "$4" -pointsize 15 -annotate +0+65 '点击升级' "$work/$5"
}
ad_frame '#e8542e-#f5a623' '终身会员' '任务不限量' '#e8542e' ad-0.png
ad_frame '#1f5fa8-#4a9be0' '流量互换' '排名节节高' '#1f5fa8' ad-1.png
ad_frame '#2e9e5b-#7bcf6b' '在线充值' '立即到账' '#2e9e5b' ad-2.png
convert -delay 150 -loop 0 "$work"/ad-{0..2}.png -layers Optimize shell-ad.gif
# shell-payment-qr.png: a 300 x 300 stand-in for a payment QR code: the three finder squares and a
# fixed scatter of modules. It encodes nothing.
modules=()
for row in $(seq 0 24); do
  for col in $(seq 0 24); do
    (( (row < 8 && col < 8) || (row < 8 && col > 16) || (row > 16 && col < 8) )) && continue
    (( (row * 7 + col * 13 + row * col) % 5 < 2 )) || continue
    x=$((30 + col * 10)); y=$((30 + row * 10))
    modules+=(-draw "rectangle $x,$y $((x + 9)),$((y + 9))")
  done
done
convert -size 300x300 xc:white -fill black "${modules[@]}" \
  -draw 'rectangle 30,30 99,99' -draw 'rectangle 200,30 269,99' -draw 'rectangle 30,200 99,269' -fill white \
  -draw 'rectangle 40,40 89,89' -draw 'rectangle 210,40 259,89' -draw 'rectangle 40,210 89,259' -fill black \
  -draw 'rectangle 50,50 79,79' -draw 'rectangle 220,50 249,79' -draw 'rectangle 50,220 79,249' \
  "${png[@]}" PNG24:shell-payment-qr.png
# shell-icon.ico: the same icon for the Windows executable.
convert shell-icon-16.png shell-icon-32.png shell-icon.ico
