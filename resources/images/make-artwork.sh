#!/usr/bin/env bash
# Regenerates the Lexivore artwork (splash, publisher logo, application icon).
# Requires ImageMagick 6/7 (convert or magick) and the fonts-dejavu and
# fonts-thai-tlwg font packages. awk is used only to compute gear outlines.
set -euo pipefail

cd "$(dirname "$0")"

if command -v magick >/dev/null 2>&1; then IM=(magick); else IM=(convert); fi

font_file() {  # font_file <fontconfig pattern> <fallback path>
    local f
    f=$(fc-match -f '%{file}' "$1" 2>/dev/null || true)
    [[ -n "$f" && -f "$f" ]] && echo "$f" || echo "$2"
}
SANS=$(font_file 'DejaVu Sans' /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf)
SANS_BOLD=$(font_file 'DejaVu Sans:bold' /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf)
THAI=$(font_file 'Garuda' /usr/share/fonts/truetype/tlwg/Garuda.ttf)
THAI_BOLD=$(font_file 'Garuda:bold' /usr/share/fonts/truetype/tlwg/Garuda-Bold.ttf)

# gear_points CX CY R_OUT R_IN TEETH [ROTATION_DEG] -> "x,y x,y ..." polygon
gear_points() {
    awk -v cx="$1" -v cy="$2" -v ro="$3" -v ri="$4" -v n="$5" -v rot="${6:-0}" 'BEGIN {
        pi = atan2(0, -1); step = 2 * pi / n; r0 = rot * pi / 180
        for (i = 0; i < n; i++) {
            a = r0 + i * step
            # root, flank up, tip, tip, flank down
            split("0 0.18 0.30 0.58 0.70", f, " ")
            split("0 0 1 1 0", o, " ")
            for (k = 1; k <= 5; k++) {
                r = o[k] ? ro : ri
                t = a + f[k] * step
                printf "%.2f,%.2f ", cx + r * cos(t), cy + r * sin(t)
            }
        }
    }'
}

# ---------------------------------------------------------------- splash.jpg
W=391; H=295
BAND_TOP=205; BAND_BOT=240     # left calm for the label and progress bar

grid=""
for ((x = 7; x < W; x += 16)); do grid+="line $x,0 $x,$H "; done
for ((y = 9; y < H; y += 16)); do grid+="line 0,$y $W,$y "; done
major=""
for ((x = 7; x < W; x += 64)); do major+="line $x,0 $x,$H "; done
for ((y = 9; y < H; y += 64)); do major+="line 0,$y $W,$y "; done

GEAR1=$(gear_points 330 92 70 60 16 1.35)
GEAR2=$(gear_points 262 160 30 24 10 11.16)

# Warren truss bridge along the bottom edge
TB=287; TT=258; X0=14; X1=377; PANELS=11
truss="line $X0,$TB $X1,$TB "
pw=$(( (X1 - X0) / PANELS ))
for ((i = 0; i < PANELS; i++)); do
    xa=$(( X0 + i * pw )); xm=$(( xa + pw / 2 )); xb=$(( xa + pw ))
    truss+="line $xa,$TB $xm,$TT line $xm,$TT $xb,$TB "
    (( i < PANELS - 1 )) && truss+="line $xm,$TT $(( xm + pw )),$TT "
    truss+="line $xm,$TT $xm,$TB "
done
truss+="line 4,$TB 387,$TB line 4,$((TB+3)) 387,$((TB+3))"

"${IM[@]}" -size ${W}x${H} gradient:'#14416f-#061629' \
    \( -size ${W}x${H} radial-gradient:'rgba(80,150,230,0.35)-rgba(0,0,0,0)' \
       -roll -120-90 \) -compose screen -composite \
    \( -size ${W}x${H} xc:none -fill none \
       -stroke 'rgba(140,190,245,0.07)' -strokewidth 1 -draw "$grid" \
       -stroke 'rgba(140,190,245,0.13)' -draw "$major" \
       -fill 'rgba(120,180,240,0.05)' -stroke 'rgba(150,200,250,0.30)' -strokewidth 1.2 \
       -draw "polygon $GEAR1" -draw "circle 330,92 330,134" -draw "circle 330,92 330,110" \
       -draw "polygon $GEAR2" -draw "circle 262,160 262,172" \
       -stroke 'rgba(150,200,250,0.20)' -strokewidth 1 \
       -draw "line 330,22 330,162 line 260,92 400,92" \
       -stroke 'rgba(150,200,250,0.40)' -strokewidth 1.3 -draw "$truss" \
       -fill none -stroke none \
       \( -size ${W}x${H} xc:white -fill black \
          -draw "rectangle 0,$((BAND_TOP - 8)) $W,$((BAND_BOT + 8))" -blur 0x5 \) \
       -alpha set -compose dst-in -composite \) \
    -compose over -composite \
    \( -size ${W}x$((BAND_BOT - BAND_TOP + 24)) xc:'rgba(3,12,26,0.45)' \
       -channel A -fx 'a*sin(pi*j/h)' +channel \) \
    -geometry +0+$((BAND_TOP - 12)) -compose over -composite \
    -fill '#f2a33a' -stroke none -draw "polygon 17,15 25,15 29,21 25,27 17,27 21,21" \
    -font "$SANS_BOLD" -pointsize 11 -kerning 2.5 -fill '#a9c8ec' -annotate +35+26 'KOLVANE' \
    -kerning 0 \
    -font "$SANS_BOLD" -pointsize 50 -fill 'rgba(0,0,0,0.45)' -annotate +19+114 'Lexivore' \
    -fill white -annotate +17+112 'Lexivore' \
    -fill '#f2a33a' -draw "rectangle 19,124 83,127" \
    -font "$SANS" -pointsize 17 -fill '#d5e5f8' -annotate +18+152 'Engineering Dictionary' \
    -font "$THAI" -pointsize 18 -fill '#c0d8f2' -annotate +18+181 'พจนานุกรมศัพท์วิศวกรรม' \
    -strip -interlace none -sampling-factor 4:4:4 -quality 90 splash.jpg

# ------------------------------------------------------------------ logo.jpg
LW=140; LH=63
LOGO_GEAR=$(gear_points 26 31.5 18 14.5 10 -105.84)
"${IM[@]}" -size $((LW * 4))x$((LH * 4)) gradient:'#ffffff-#e9eff7' \
    -draw "scale 4,4 fill '#1d5ba6' stroke none polygon $LOGO_GEAR" \
    -draw "scale 4,4 fill '#ffffff' stroke none circle 26,31.5 26,42.5" \
    -draw "scale 4,4 fill '#f2a33a' stroke none polygon 20.5,25 26,25 31.5,31.5 26,38 20.5,38 26,31.5" \
    -draw "scale 4,4 fill '#c9d6e6' stroke none rectangle 0,61 140,63" \
    -resize ${LW}x${LH}! \
    -font "$SANS_BOLD" -pointsize 18 -fill '#16355c' -annotate +51+35 'Kolvane' \
    -font "$SANS" -pointsize 7 -kerning 2.6 -fill '#5f7896' -annotate +52+47 'SOFTWARE' \
    -strip -quality 92 logo.jpg

# ------------------------------------------------------------------ icon.svg
# The icon is described once (256 x 256 units) and written both as SVG and as
# ImageMagick MVG drawing commands, so the PNG sizes need no SVG renderer.
BG_TOP='#3d8fe3'; BG_BOT='#123f78'; PAGE='#ffffff'; PAGE_SHADE='#d6e6f8'
RULE='#8fb4dc'; GEAR_FILL='#f2a33a'; GEAR_EDGE='#123f78'
BOOK_L='M122,74 C100,60 70,56 36,62 L36,170 C70,164 100,168 122,182 Z'
BOOK_R='M134,74 C156,60 186,56 220,62 L220,170 C186,164 156,168 134,182 Z'
BOOK_BASE='M28,72 L28,182 C70,176 104,180 128,196 C152,180 186,176 228,182 L228,72 L220,72 L220,174 C186,168 152,172 128,188 C104,172 70,168 36,174 L36,72 Z'
RULES='M52,86 C72,82 90,83 106,90 M52,106 C72,102 90,103 106,110 M52,126 C72,122 90,123 106,130 M52,146 C72,142 90,143 106,150 M150,90 C166,83 184,82 204,86 M150,110 C166,103 184,102 204,106'
ICON_GEAR=$(gear_points 184 182 46 36 10 -105.84)

cat > icon.svg <<SVG
<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">
  <title>Lexivore</title>
  <defs>
    <linearGradient id="bg" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="$BG_TOP"/>
      <stop offset="1" stop-color="$BG_BOT"/>
    </linearGradient>
  </defs>
  <rect x="8" y="8" width="240" height="240" rx="52" ry="52" fill="url(#bg)"/>
  <path d="$BOOK_BASE" fill="$PAGE_SHADE"/>
  <path d="$BOOK_L" fill="$PAGE"/>
  <path d="$BOOK_R" fill="$PAGE"/>
  <path d="$RULES" fill="none" stroke="$RULE" stroke-width="6" stroke-linecap="round"/>
  <polygon points="$ICON_GEAR" fill="$GEAR_FILL" stroke="$GEAR_EDGE" stroke-width="8" stroke-linejoin="round"/>
  <circle cx="184" cy="182" r="14" fill="$GEAR_EDGE"/>
</svg>
SVG

# ------------------------------------------------------- icon-256/-48.png
S=4   # supersampling factor
ICON_MVG="scale $S,$S
fill '$PAGE_SHADE' stroke none path '$BOOK_BASE'
fill '$PAGE' path '$BOOK_L'
fill '$PAGE' path '$BOOK_R'
fill none stroke '$RULE' stroke-width 6 stroke-linecap round path '$RULES'
fill '$GEAR_FILL' stroke '$GEAR_EDGE' stroke-width 8 stroke-linejoin round polygon $ICON_GEAR
fill '$GEAR_EDGE' stroke none circle 184,182 184,196"
"${IM[@]}" \
    \( -size $((256 * S))x$((256 * S)) gradient:"$BG_TOP-$BG_BOT" \) \
    \( -size $((256 * S))x$((256 * S)) xc:black -fill white \
       -draw "scale $S,$S roundrectangle 8,8 247,247 52,52" \) \
    -alpha off -compose copy-opacity -composite \
    -compose over -draw "$ICON_MVG" \
    -strip icon-master.miff
"${IM[@]}" icon-master.miff -filter Lanczos -resize 256x256 PNG32:icon-256.png
"${IM[@]}" icon-master.miff -filter Lanczos -resize 48x48 -unsharp 0x0.6+0.4+0 PNG32:icon-48.png
rm -f icon-master.miff

# The about box's picture (300 x 136): the logo, the product name and a Thai line.
GARUDA_BOLD=$(fc-match -f '%{file}' Garuda:bold); DEJAVU_BOLD=$(fc-match -f '%{file}' "DejaVu Sans:bold")
convert -size 300x136 gradient:'#f4f7fb-#dce6f2' \( logo.jpg -resize 140x63 \) -geometry +8+8 -composite \
  -fill '#1b3a6b' -font "$DEJAVU_BOLD" -pointsize 26 -annotate +160+44 'Lexivore' \
  -fill '#e8891d' -draw 'rectangle 160,52 230,55' \
  -fill '#2b4c7e' -font "$DEJAVU_BOLD" -pointsize 10 -annotate +160+72 'Engineering Dictionary' \
  -font "$GARUDA_BOLD" -pointsize 13 -fill '#2b4c7e' -annotate +12+100 'พจนานุกรมศัพท์วิศวกรรม อังกฤษ-ไทย' \
  -font "$DEJAVU_BOLD" -pointsize 9 -fill '#555555' -annotate +12+124 'Version 2.0   (c) 2026 Kolvane Co., Ltd.' \
  -quality 92 about.jpg

# The report title band's logo (200 x 90).
convert logo.jpg -resize 200x90! -quality 92 report-logo.jpg
