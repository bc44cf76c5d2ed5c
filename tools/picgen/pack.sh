#!/bin/sh
# Packs every PNG of a directory into a datafile with Allegro's dat tool, one PNG object per
# file (ZVKLOGO1.png becomes ZVKLOGO1_PNG), in name order.
#   pack.sh PICTURE_DIR OUT.dat
# -s1 strips the grabber's file dates and paths, so the same pictures give the same bytes;
# -c0 stores the PNG data as it is (it is compressed already). The datafile appears only whole.
set -eu
dir=$1
out=$2
case $out in /*) ;; *) out=$PWD/$out ;; esac
rm -f "$out.tmp"
(cd "$dir" && dat -a -t PNG -bpp 32 -c0 -s1 "$out.tmp" ./*.png > /dev/null)
mv "$out.tmp" "$out"
