#!/bin/sh
# Sets up, builds and renders the whole show into a video file:
# sh tools/capture.sh [OUT.mp4], textdemo.mp4 in the current folder by default.
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-textdemo.mp4}
case "$out" in
    /*) ;;
    *) out="$(pwd)/$out" ;;
esac
sh "$top/tools/setup.sh"
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTEXTDEMO_TESTS=OFF >/dev/null
cmake --build "$top/build" --target textdemo-capture
cd "$top" && exec ./build/capture/textdemo-capture "$out"
