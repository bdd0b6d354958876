#!/usr/bin/env bash
# Draws the about window's two pictures with ImageMagick (Debian package
# imagemagick) and writes them next to this script. The pictures are
# committed; run this only to change them.
#   about-background.jpg  450 x 288, the window's background: a dark panel
#                         on the left (the labels start at x = 170) with a
#                         group fanning out to its members, light elsewhere
#                         so that the labels read well.
#   donate.png            74 x 21, the donate button, transparent corners.
set -euo pipefail
cd "$(dirname "$0")"

font=DejaVu-Sans-Bold

# Group node at the top, three members, each with two of their groups.
tree=(
  -stroke '#7fb4e6' -strokewidth 2
  -draw 'line 80,62 36,140' -draw 'line 80,62 80,140' -draw 'line 80,62 124,140'
  -strokewidth 1 -stroke '#4f86bf'
  -draw 'line 36,140 22,200' -draw 'line 36,140 50,200'
  -draw 'line 80,140 66,200' -draw 'line 80,140 94,200'
  -draw 'line 124,140 110,200' -draw 'line 124,140 138,200'
  -stroke '#b8862a' -strokewidth 2 -fill '#f2c14e' -draw 'circle 80,62 80,86' -stroke none
  -fill '#9fd0ff' -draw 'circle 36,140 36,149' -draw 'circle 80,140 80,149'
  -draw 'circle 124,140 124,149'
  -fill '#5d95cf' -draw 'circle 22,200 22,205' -draw 'circle 50,200 50,205'
  -draw 'circle 66,200 66,205' -draw 'circle 94,200 94,205'
  -draw 'circle 110,200 110,205' -draw 'circle 138,200 138,205'
)

convert -size 450x288 gradient:'#f7f9fc'-'#e3eaf3' \
  \( -size 160x288 gradient:'#1d3b63'-'#0d1e35' \) -geometry +0+0 -composite \
  -fill '#2c5a8f' -draw 'rectangle 160,0 163,288' \
  "${tree[@]}" \
  -font "$font" -pointsize 30 -fill '#1d3b63' -draw "text 70,73 'Z'" \
  -font "$font" -pointsize 13 -fill '#9fd0ff' -draw "text 44,250 'Zentory'" \
  -quality 92 -sampling-factor 4:2:0 -strip about-background.jpg

convert -size 74x21 xc:none \
  -fill '#f2c14e' -stroke '#b8862a' -strokewidth 1 -draw 'roundrectangle 0,0 73,20 6,6' \
  -stroke none -font "$font" -pointsize 11 -fill '#1d3b63' -gravity center \
  -annotate +0+0 'Donate' -strip PNG32:donate.png
