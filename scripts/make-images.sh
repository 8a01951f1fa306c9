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
# (where the window puts the banner's clickable area), a demo timeline with its play head on the right. Drawn in
# 468 x 60 units at `scale` pixels each: banner.png at 1, banner@2x.png at 2 for screens scaled above 1.
banner() {
  local s=$1 file=$2
  local draw=() d
  # Every shape in the units of the 1x picture; MVG scales it, line widths included.
  d() { draw+=(-draw "scale $s,$s $1"); }
  # Text at (x, y) in units, `size` points at 1x.
  t() { draw+=(-pointsize $(($3 * s)) -annotate +$(($1 * s))+$(($2 * s)) "$4"); }
  for x in $(seq 4 12 464); do
    d "roundrectangle $x,1 $((x + 6)),4 1,1"
    d "roundrectangle $x,55 $((x + 6)),58 1,1"
  done
  local holes=("${draw[@]}") scanlines=() ticks=()
  draw=()
  for y in $(seq 7 2 53); do
    d "line 0,$y 467,$y"
  done
  scanlines=("${draw[@]}")
  draw=()
  for x in $(seq 336 8 448); do
    h=3
    (((x - 336) % 32 == 0)) && h=6
    d "line $x,$((24 - h)) $x,24"
  done
  ticks=("${draw[@]}")
  draw=()
  d "circle 26,27 26,37"
  local glow=("${draw[@]}")

  local lamp=() title=() timeline=()
  draw=()
  d "circle 26,27 26,34"
  lamp+=(-fill '#d81e2e' "${draw[@]}")
  draw=()
  d "circle 24,25 24,27"
  lamp+=(-fill '#ff8a93' "${draw[@]}")
  draw=()
  t 40 33 15 'REC'
  lamp+=(-font "$bold" -fill '#ff4d5a' "${draw[@]}")
  draw=()
  t 14 49 9 'HLTV  00:42:17'
  lamp+=(-font "$mono" -fill '#7f93b0' "${draw[@]}")
  draw=()
  t 151 38 30 'Spectrel'
  title+=(-font "$bold" -fill '#00000090' "${draw[@]}")
  draw=()
  t 149 36 30 'Spectrel'
  title+=(-fill '#eaf6ff' "${draw[@]}")
  draw=()
  d 'rectangle 151,41 307,42'
  title+=(-fill '#4cc9f0' "${draw[@]}")
  draw=()
  t 175 51 9 'spectator demo recorder'
  title+=(-font "$sans" -fill '#9fc2e6' "${draw[@]}")
  draw=()
  d 'roundrectangle 336,29 448,33 2,2'
  timeline+=(-fill '#2f4566' "${draw[@]}")
  draw=()
  d 'roundrectangle 336,29 408,33 2,2'
  timeline+=(-fill '#4cc9f0' "${draw[@]}")
  draw=()
  d 'circle 408,31 408,36'
  timeline+=(-fill '#eaf6ff' "${draw[@]}")
  draw=()
  d 'polygon 336,39 336,49 345,44'
  timeline+=(-fill '#4cc9f0' "${draw[@]}")
  draw=()
  d 'rectangle 352,40 355,48 rectangle 359,40 362,48'
  timeline+=(-fill '#7f93b0' "${draw[@]}")
  draw=()
  t 378 48 9 'demo'
  timeline+=(-font "$mono" -fill '#7f93b0' "${draw[@]}")

  convert -size $((468 * s))x$((48 * s)) gradient:'#163252-#08111d' "$tmp/screen.png"
  convert -size $((468 * s))x$((60 * s)) xc:'#05080d' "$tmp/screen.png" -geometry +0+$((6 * s)) -composite \
    -fill '#26324a' -stroke none "${holes[@]}" \
    -stroke '#ffffff10' "${scanlines[@]}" -stroke none \
    \( -size $((468 * s))x$((60 * s)) xc:none -fill '#ff2e3e' "${glow[@]}" -blur 0x$((5 * s)) \) -composite \
    "${lamp[@]}" "${title[@]}" \
    -stroke '#4a6488' "${ticks[@]}" -stroke none \
    "${timeline[@]}" \
    -colors 256 "${stable[@]}" PNG8:"$file"
}
banner 1 "$out/banner.png"
banner 2 "$out/banner@2x.png"

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

for f in banner.png banner@2x.png spectrel-16.png spectrel.png spectrel-48.png spectrel-256.png spectrel.ico hand.png; do
  identify -format "%f: %wx%h, %[colorspace], %[bit-depth] bit\n" "$out/$f" | head -n 1
done
