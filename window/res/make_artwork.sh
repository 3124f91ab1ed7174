#!/bin/sh
# Draws the window's pictures with ImageMagick and Debian's Nanum fonts. The results are
# committed, so a build does not need these tools; run this again only to change the artwork.
# Bitmaps: 24 bits per pixel at their exact sizes. Icon: one 56 x 56 image with alpha.
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

# A dark-blue outline of a monitor and a tower case on transparency.
convert -size 56x56 xc:none -fill none -stroke '#12306b' -strokewidth 3 \
  -draw "roundrectangle 3,8 36,34 3,3" -draw "line 19,35 19,42" -draw "line 11,43 27,43" \
  -draw "roundrectangle 40,6 53,50 2,2" -draw "line 43,14 50,14" -draw "line 43,20 50,20" \
  -fill '#12306b' -stroke none -draw "circle 46,42 46,44" \
  -define icon:auto-resize=56 vantrel.ico
