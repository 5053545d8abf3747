#!/usr/bin/env bash
# Draws the 16 x 16 tray and window icon: a blue letter Q on a light cyan square.
# Needs ImageMagick and the Liberation fonts (scripts/install-deps.sh installs both).
# Run from anywhere; writes tidewell.png next to this script.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
font="$(fc-match -f '%{file}' 'Liberation Sans:style=Bold')"
convert -size 16x16 xc:'#C8F4FA' \
    -font "$font" -pointsize 14 -fill '#1040C8' -gravity center -annotate +0-1 'Q' \
    -strip -define png:exclude-chunks=date,time,tIME \
    "PNG32:$here/tidewell.png"
