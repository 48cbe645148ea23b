#!/bin/sh
# Renders the editor's three pages, menus and message boxes under a virtual X server into PNG
# files: at 100% and 200% in the Fusion style with IPA P Gothic and with Noto Sans CJK JP, at 100%
# in the plain Windows style (visual styles off), and at 100% in Fusion with a dark palette.
# Usage: tests/app/window_screenshots.sh [build folder] [output folder]
set -e
build=${1:-build}
output=${2:-$build/screenshots}
table=$(dirname "$0")/../../examples/news.tbl
cmake --build "$build" --target window_gallery
shoot() {
    QT_SCALE_FACTOR=$1 ORVANIX_GALLERY_FONT=$3 ORVANIX_GALLERY_PALETTE=${4:-} \
        xvfb-run -a -s "-screen 0 1920x1200x24" "$build/bin/window_gallery" "$output" "$table" \
        -style "$2"
}
for font in IPAPGothic "Noto Sans CJK JP"; do
    shoot 1 Fusion "$font"
    shoot 2 Fusion "$font"
done
shoot 1 Windows IPAPGothic
shoot 1 Fusion IPAPGothic dark
