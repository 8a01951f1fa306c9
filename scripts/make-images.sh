#!/usr/bin/env bash
# Draws the program's pictures into resources/: the 468 x 60 banner, the program icon (PNG and a Windows .ico)
# and the 32 x 32 hand cursor. Needs ImageMagick 6 (convert) and the DejaVu fonts; the results are committed, so
# the build itself needs neither.
#
#   scripts/make-images.sh [output folder, default: resources/]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../resources}
mkdir -p "$out"
fonts=/usr/share/fonts/truetype/dejavu
bold=$fonts/DejaVuSans-Bold.ttf
sans=$fonts/DejaVuSans.ttf
mono=$fonts/DejaVuSansMono-Bold.ttf
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# PNGs without time stamps or other chunks that change from run to run, so a remake is byte-identical.
stable=(-define png:exclude-chunks=date,time,tEXt,zTXt,iTXt -strip)

# ---- Banner: a strip of film around a dark broadcast screen, a recording lamp on the left, the name in the middle
# (where the window puts the banner's clickable area), a demo timeline with its play head on the right.
holes=()
for x in $(seq 4 12 464); do
  holes+=(-draw "roundrectangle $x,1 $((x + 6)),4 1,1" -draw "roundrectangle $x,55 $((x + 6)),58 1,1")
done
scanlines=()
for y in $(seq 7 2 53); do
  scanlines+=(-draw "line 0,$y 467,$y")
done
ticks=()
for x in $(seq 336 8 448); do
  h=3
  (((x - 336) % 32 == 0)) && h=6
  ticks+=(-draw "line $x,$((24 - h)) $x,24")
done

convert -size 468x48 gradient:'#163252-#08111d' "$tmp/screen.png"
convert -size 468x60 xc:'#05080d' "$tmp/screen.png" -geometry +0+6 -composite \
  -fill '#26324a' -stroke none "${holes[@]}" \
  -stroke '#ffffff10' "${scanlines[@]}" -stroke none \
  \( -size 468x60 xc:none -fill '#ff2e3e' -draw "circle 26,27 26,37" -blur 0x5 \) -composite \
  -fill '#d81e2e' -draw "circle 26,27 26,34" \
  -fill '#ff8a93' -draw "circle 24,25 24,27" \
  -font "$bold" -pointsize 15 -fill '#ff4d5a' -annotate +40+33 'REC' \
  -font "$mono" -pointsize 9 -fill '#7f93b0' -annotate +14+49 'HLTV  00:42:17' \
  -font "$bold" -pointsize 30 -fill '#00000090' -annotate +151+38 'Spectrel' \
  -fill '#eaf6ff' -annotate +149+36 'Spectrel' \
  -fill '#4cc9f0' -draw 'rectangle 151,41 307,42' \
  -font "$sans" -pointsize 9 -fill '#9fc2e6' -annotate +175+51 'spectator demo recorder' \
  -stroke '#4a6488' "${ticks[@]}" -stroke none \
  -fill '#2f4566' -draw 'roundrectangle 336,29 448,33 2,2' \
  -fill '#4cc9f0' -draw 'roundrectangle 336,29 408,33 2,2' \
  -fill '#eaf6ff' -draw 'circle 408,31 408,36' \
  -fill '#4cc9f0' -draw 'polygon 336,39 336,49 345,44' \
  -fill '#7f93b0' -draw 'rectangle 352,40 355,48 rectangle 359,40 362,48' \
  -font "$mono" -pointsize 9 -fill '#7f93b0' -annotate +378+48 'demo' \
  -colors 256 "${stable[@]}" PNG8:"$out/banner.png"

# ---- Icon: a camera lens seen from the front, its centre the red lamp of a running recording. Drawn at 8x and
# scaled down for smooth edges; the .ico carries 16, 32 and 48 pixel versions for Windows.
convert -size 256x256 xc:none \
  -fill '#10233a' -stroke '#4cc9f0' -strokewidth 8 -draw 'roundrectangle 8,8 247,247 48,48' \
  -fill '#05080d' -stroke '#eaf6ff' -strokewidth 14 -draw 'circle 128,128 128,44' \
  -fill none -stroke '#2c4a6e' -strokewidth 8 -draw 'circle 128,128 128,68' \
  -fill '#e0202f' -stroke none -draw 'circle 128,128 128,92' \
  -fill '#ff9aa2' -draw 'circle 114,114 114,126' \
  "$tmp/icon256.png"
convert "$tmp/icon256.png" -filter Lanczos -resize 32x32 "${stable[@]}" PNG32:"$out/spectrel.png"
convert "$tmp/icon256.png" -filter Lanczos \( -clone 0 -resize 16x16 \) \( -clone 0 -resize 32x32 \) \
  \( -clone 0 -resize 48x48 \) -delete 0 "$out/spectrel.ico"
# The sizes a desktop's application menu asks for (and the window's icon set), and the same drawing as SVG for
# any other size.
for size in 16 48 64 128 256; do
  convert "$tmp/icon256.png" -filter Lanczos -resize ${size}x${size} "${stable[@]}" PNG32:"$out/spectrel-$size.png"
done
cat > "$out/spectrel.svg" <<'SVG'
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">
  <rect x="8" y="8" width="239" height="239" rx="48" fill="#10233a" stroke="#4cc9f0" stroke-width="8"/>
  <circle cx="128" cy="128" r="84" fill="#05080d" stroke="#eaf6ff" stroke-width="14"/>
  <circle cx="128" cy="128" r="60" fill="none" stroke="#2c4a6e" stroke-width="8"/>
  <circle cx="128" cy="128" r="36" fill="#e0202f"/>
  <circle cx="114" cy="114" r="12" fill="#ff9aa2"/>
</svg>
SVG

# ---- Hand cursor: pointing up with the index finger. Drawn pixel by pixel: '#' outline, 'o' fill, '.' clear.
# The hot spot is the finger tip, (6, 0): the window passes it to QCursor.
rows=(
  '......##...........'
  '.....#oo#..........'
  '.....#oo#..........'
  '.....#oo#..........'
  '.....#oo#..........'
  '.....#oo###........'
  '.....#oo#oo###.....'
  '.....#oo#oo#oo###..'
  '.....#oo#oo#oo#oo#.'
  '.###.#oo#oo#oo#oo#.'
  '#ooo##oo#oo#oo#oo#.'
  '#oooo#ooooooooooo#.'
  '.#ooo#ooooooooooo#.'
  '..#oooooooooooooo#.'
  '..#oooooooooooooo#.'
  '...#ooooooooooooo#.'
  '...#oooooooooooo#..'
  '....#ooooooooooo#..'
  '....#oooooooooo#...'
  '.....#ooooooooo#...'
  '.....#ooooooooo#...'
  '.....###########...'
)
{
  echo '/* XPM */'
  echo 'static char *hand[] = {'
  echo "\"32 32 3 1\", \"# c #000000\", \"o c #FFFFFF\", \". c None\","
  for r in "${rows[@]}"; do
    [ ${#r} -eq 19 ] || { echo "hand row of ${#r} pixels: $r" >&2; exit 1; }
    echo "\"$r.............\","
  done
  for _ in $(seq $((32 - ${#rows[@]}))); do
    echo '"................................",'
  done
  echo '};'
} >"$tmp/hand.xpm"
convert "$tmp/hand.xpm" "${stable[@]}" PNG32:"$out/hand.png"

for f in banner.png spectrel-16.png spectrel.png spectrel-48.png spectrel-256.png spectrel.ico hand.png; do
  identify -format "%f: %wx%h, %[colorspace], %[bit-depth] bit\n" "$out/$f" | head -n 1
done
