#!/bin/sh
# Sets up, builds and runs the demo from the folder that holds qk17.xm.
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
sh "$top/tools/setup.sh"
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTEXTDEMO_TESTS=OFF >/dev/null
cmake --build "$top/build" --target textdemo
cd "$top" && exec ./build/demo/textdemo
