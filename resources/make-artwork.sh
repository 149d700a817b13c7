#!/usr/bin/env bash
# Draws the wizard's artwork with ImageMagick: the maker's banner (330 x 53),
# the connection picture (362 x 193: the device's connector on the left half,
# the cable to a PC on the right half, since page 2 shows the left half alone)
# and the 32 x 32 icons. Run by hand when the artwork changes; the pictures it
# writes are committed and compiled into the program.
set -euo pipefail
cd "$(dirname "$0")"
font=DejaVu-Sans-Bold

# Banner: a blue-to-teal band with the maker's name and a wave.
convert -size 330x53 gradient:'#0b3d6e'-'#1c8c9c' \
  -fill none -stroke '#ffffff80' -strokewidth 2 \
  -draw "bezier 0,44 60,30 120,52 180,40" -draw "bezier 180,40 240,28 290,50 330,38" \
  -stroke none -fill white -font "$font" -pointsize 30 -gravity west \
  -annotate +14-2 'ORVALIS' \
  -fill '#d7f3f7' -font DejaVu-Sans -pointsize 11 -gravity east \
  -annotate +12-6 'Instruments de terrain' \
  -strip -interlace none -sampling-factor 2x2 -quality 92 logo.jpg

# Connection picture. Left half (0..180): the device, its connector marked by
# a red arrow. Right half (181..361): the cable running to a PC tower's port.
convert -size 362x193 xc:'#f0f0f0' \
  -fill '#2f4a66' -stroke '#1b2b3b' -strokewidth 2 -draw "roundrectangle 28,40 128,168 12,12" \
  -fill '#a8d8a0' -stroke '#1b2b3b' -strokewidth 1 -draw "rectangle 42,56 114,92" \
  -fill '#1b2b3b' -font DejaVu-Sans-Mono -pointsize 11 -stroke none -annotate +50+79 '12.08' \
  -fill '#d0d6dc' -draw "circle 58,120 58,130" -draw "circle 98,120 98,130" \
  -fill '#e0e0e0' -font "$font" -pointsize 9 -annotate +52+155 'ORVALIS ZT' \
  -fill '#888888' -stroke '#1b2b3b' -strokewidth 1 -draw "rectangle 128,96 146,116" \
  -fill '#555555' -draw "rectangle 146,100 176,112" \
  -stroke '#d01c1c' -strokewidth 4 -draw "line 150,30 150,84" \
  -fill '#d01c1c' -stroke none -draw "polygon 140,78 160,78 150,94" \
  -fill none -stroke '#333333' -strokewidth 5 -draw "bezier 176,106 215,106 220,150 262,150" \
  -fill '#555555' -stroke none -draw "rectangle 262,144 276,156" \
  -fill '#c9c9c9' -stroke '#5a5a5a' -strokewidth 2 -draw "roundrectangle 276,24 346,180 4,4" \
  -fill '#9aa4ad' -stroke '#5a5a5a' -strokewidth 1 -draw "rectangle 286,36 336,46" \
  -draw "rectangle 286,54 336,64" -fill '#3a3a3a' -draw "rectangle 278,142 290,158" \
  -fill '#30c040' -stroke none -draw "circle 330,168 330,171" \
  -fill '#333333' -font DejaVu-Sans -pointsize 10 -annotate +284+122 'PC' \
  -strip -interlace none -sampling-factor 2x2 -quality 80 connexion.jpg

# The window's icon (16 colours) and the program file's icon (256 colours).
convert -size 32x32 xc:'#0b3d6e' -fill '#1c8c9c' -draw "rectangle 0,22 31,31" \
  -fill white -font "$font" -pointsize 22 -gravity center -annotate +0-2 'Z' \
  -fill '#d01c1c' -draw "polygon 22,24 30,24 26,30" \
  -colors 16 -strip PNG8:icone.png
convert icone.png -colors 256 -define icon:auto-resize=32 icone.ico
identify logo.jpg connexion.jpg icone.png icone.ico
