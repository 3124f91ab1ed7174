#!/bin/sh
# Draws the window's pictures with ImageMagick and Debian's Nanum fonts. The results are
# committed, so a build does not need these tools; run this again only to change the artwork.
# Bitmaps: 24 bits per pixel at their exact sizes. Icon: eight sizes with alpha.
set -eu
cd "$(dirname -- "$0")"
fonts=/usr/share/fonts/truetype/nanum
bold=$fonts/NanumGothicBold.ttf
regular=$fonts/NanumGothic.ttf
arrow="path 'M 0,0 L 0,26 L 7,20 L 12,31 L 17,29 L 12,18 L 21,18 Z'"

# A rounded button with a number badge, a caption and a green arrow pointer.
button() {  # file width fill border caption number
  convert -size "$2x71" xc:white \
    -fill "$3" -stroke "$4" -strokewidth 2 -draw "roundrectangle 3,3 $(($2 - 4)),67 16,16" \
    -fill "$4" -stroke none -draw "circle 32,35 32,18" \
    -fill white -font "$bold" -pointsize 24 -annotate +25+44 "$6" \
    -fill '#1d2b53' -font "$bold" -pointsize 22 -annotate +62+44 "$5" \
    -fill '#2e9e3e' -stroke '#145a20' -strokewidth 1.5 \
    -draw "translate $(($2 - 48)),28 $arrow" \
    -type TrueColor -define bmp:format=bmp3 "BMP3:$1"
}

convert -size 318x195 xc:white \
  -fill '#12306b' -draw "roundrectangle 24,26 92,94 12,12" \
  -fill white -font "$bold" -pointsize 52 -annotate +37+80 "T" \
  -fill '#12306b' -font "$bold" -pointsize 46 -annotate +106+80 "Tarvik" \
  -fill '#4a90d9' -draw "rectangle 24,108 294,111" \
  -fill '#333333' -font "$regular" -pointsize 17 -annotate +26+142 "중고 PC 매입 · 감정 전문" \
  -fill '#333333' -font "$regular" -pointsize 17 -annotate +26+170 "정확한 사양으로 빠른 견적을 드립니다" \
  -type TrueColor -define bmp:format=bmp3 BMP3:banner.bmp

button copy.bmp 314 '#cfe6fb' '#3f7fc4' "PC 사양 복사하기" 1
button homepage.bmp 318 '#fbd3e3' '#c94f86' "홈페이지 바로가기" 2

# The icon: a monitor and a tower case in dark blue, drawn anew for every size Windows asks for
# (title bar and taskbar 16 to 32 pixels, Explorer 48 and 256 at 100 %, more when scaled).
# Shapes sit on a 64-unit grid snapped to whole pixels; the small sizes drop details and use hard
# edges, so they stay sharp. The 256 one is stored PNG-compressed, as Windows expects.
ink='#12306b' screen='#4a90d9' light='#cfe6fb'
icon_image() {  # size file
  s=$1
  u() { echo $((($1 * s + 32) / 64)); }  # grid units to whole pixels
  b=$(((s + 9) / 18))                    # line width: 1 pixel at 16, 14 at 256
  mx0=$(u 1) my0=$(u 9) mx1=$(($(u 45) - 1)) my1=$(($(u 43) - 1))
  tx0=$(u 48) ty0=$(u 4) tx1=$(($(u 63) - 1)) ty1=$(($(u 59) - 1))
  if [ "$s" -ge 48 ]; then aa=-antialias box=roundrectangle r=" $((s / 16)),$((s / 16))"
  else aa=+antialias box=rectangle r=""; fi
  mvg="fill '$ink' $box $mx0,$my0 $mx1,$my1$r
    fill '$screen' rectangle $((mx0 + b)),$((my0 + b)) $((mx1 - b)),$((my1 - b))
    fill '$ink' rectangle $(u 19),$((my1 + 1)) $(($(u 27) - 1)),$(($(u 51) - 1))
    rectangle $(u 11),$(u 51) $(($(u 35) - 1)),$(($(u 51) + b - 1))
    $box $tx0,$ty0 $tx1,$ty1$r
    fill '$light' rectangle $((tx0 + b + 1)),$(u 10) $((tx1 - b - 1)),$(($(u 10) + b - 1))"
  [ "$s" -lt 24 ] || mvg="$mvg rectangle $((tx0 + b + 1)),$(u 17) $((tx1 - b - 1)),$(($(u 17) + b - 1))"
  [ "$s" -lt 32 ] || mvg="$mvg circle $(u 55),$(u 49) $(u 55),$(($(u 49) + (b + 1) / 2 + s / 64))"
  convert -size "${s}x$s" xc:none $aa -draw "$mvg" "PNG32:$2"
}
sizes="16 20 24 32 40 48 64 256"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for size in $sizes; do icon_image "$size" "$work/$size.png"; done
(cd "$work" && convert $(for size in $sizes; do echo "$size.png"; done) vantrel.ico)
cp "$work/vantrel.ico" vantrel.ico
# A sheet of every size, enlarged four times without smoothing, to look at before committing.
(cd "$work" && montage -background '#dddddd' -geometry +8+8 -tile x1 $(for size in $sizes; do echo "$size.png"; done) sheet.png &&
  convert sheet.png -filter point -resize 400% "${TMPDIR:-/tmp}/vantrel-icon-sheet.png")
echo "Icon sheet: ${TMPDIR:-/tmp}/vantrel-icon-sheet.png"
