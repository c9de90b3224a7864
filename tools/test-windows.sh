#!/bin/sh
# The Windows build's test: builds build-windows/textdemo.exe, then runs it
# under Wine (Debian's wine, a fresh prefix per test) in a pseudo-terminal and
# compares what the terminal shows with the pictures of the POSIX build. A
# Wine that cannot start fails the test.
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
sh "$top/tools/setup.sh"
sh "$top/tools/build-windows.sh"

missing=""
for p in wine wine64; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing:$missing"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq -o DPkg::Lock::Timeout=600 $missing
fi

# The test and what it needs, natively, beside the cross build.
native="$top/build-windows/native"
echo "== build-windows/native (the Windows exe under Wine)"
cmake -S "$top" -B "$native" -G Ninja -DTEXTDEMO_WINDOWS_EXE="$top/build-windows/textdemo.exe" >/dev/null
cmake --build "$native" -j "$jobs" --target wine_show_test wine_sound_test
# One at a time: each run is timed by the show itself.
(cd "$native" && ctest --output-on-failure -L windows -j 1)
