#!/usr/bin/env bash
# Takes the host's pictures of instrument panels against the simulator, in
# both skins and at both zoom levels, for looking at them and for README's
# gallery.
#   scripts/gallery.sh GROUP...      a group is ids that may be open together, "10120,10123"
# Pictures: build/gallery/ID-SKIN-zZOOM.png (ZOOM 1 or 2); with ImageMagick also
# build/gallery/sheet-SKIN-zZOOM.png, all panels of a skin and zoom on one sheet.
# GALLERY_SKINS and GALLERY_ZOOMS narrow the runs ("gray", "1").
set -euo pipefail
cd "$(dirname "$0")/.."
export VEXA_BUILD=${VEXA_BUILD:-$PWD/build}
out=$VEXA_BUILD/gallery
mkdir -p "$out"
[ $# -gt 0 ] || { echo "usage: $0 ID[,ID...] ..." >&2; exit 2; }
for skin in ${GALLERY_SKINS:-gray blue}; do
    for zoom in ${GALLERY_ZOOMS:-1 2}; do
        for group in "$@"; do
            args=(--sim --open "$group" --skin "$skin" --seconds 4)
            [ "$zoom" = 2 ] && args+=(--zoom2)
            scripts/run.sh "${args[@]}" >/dev/null 2>&1 || echo "run failed: $group $skin $zoom" >&2
            # The host names the window of each picture; the panel sources name the ids.
            while IFS=$'\t' read -r n title; do
                id=$(grep -l "^title *\"$title\"" vexares/panels/*.panel | head -n1 | xargs -r basename -s .panel)
                shot=$VEXA_BUILD/screenshots/instrument-$n.png
                if [ -n "$id" ] && [ -f "$shot" ]; then cp "$shot" "$out/$id-$skin-z$zoom.png"; else echo "no picture: $title $skin $zoom" >&2; fi
            done <"$VEXA_BUILD/screenshots/instruments.txt"
        done
        if command -v montage >/dev/null; then
            montage "$out"/[0-9]*-"$skin"-z"$zoom".png -tile 4x -geometry +6+6 -background '#808080' \
                "$out/sheet-$skin-z$zoom.png" 2>/dev/null || true
        fi
    done
done
echo "pictures: $out"
