#!/usr/bin/env sh
# Makes the default skin's bitmap font from its DejaVu files, or with --check
# fails when the checked-in file differs from what the generator makes.
#   tools/cfont/default_skin_fonts.sh [--check] path/to/mkcfont
set -eu
check=
if [ "${1:-}" = "--check" ]; then check=--check; shift; fi
mkcfont=${1:?usage: default_skin_fonts.sh [--check] path/to/mkcfont}
skin="$(cd "$(dirname "$0")/../../skins/default" && pwd)"
# The heights the stylesheet uses; Latin-1, Hebrew, Arabic with its presentation
# forms (the shaping draws them), and the punctuation and currency texts use.
"$mkcfont" $check --regular "$skin/DejaVuSans.ttf" --bold "$skin/DejaVuSans-Bold.ttf" \
  --heights 16,18,20,22,24,26,28,34,60 \
  --codes 0x20-0x7E,0xA0-0xFF,0x5D0-0x5EA,0x5F0-0x5F4,0x60C,0x61B,0x61F,0x621-0x652,0x660-0x669,0x2013-0x2014,0x2018-0x201E,0x2022,0x2026,0x20AC,0xFE70-0xFEFC \
  --out "$skin/DejaVuSans.cfont"
