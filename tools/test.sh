#!/bin/sh
# Sets up and runs the whole test suite: a plain build, a build under
# AddressSanitizer and UndefinedBehaviorSanitizer, the sound layer's tests
# under ThreadSanitizer, and the Windows build under Wine.
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
sh "$top/tools/setup.sh"
jobs=$(nproc)

suite() {  # folder, sanitizers, ctest arguments...
    folder=$1 sanitize=$2
    shift 2
    echo "== $folder ${sanitize:+(sanitizers: $sanitize)}"
    cmake -S "$top" -B "$top/$folder" -G Ninja -DTEXTDEMO_SANITIZE="$sanitize" >/dev/null
    cmake --build "$top/$folder" -j "$jobs"
    (cd "$top/$folder" && ctest --output-on-failure -j "$jobs" "$@")
}

suite build-tests ""
suite build-asan "address,undefined"
export TSAN_OPTIONS="suppressions=$top/tests/tsan.supp"
suite build-tsan "thread" -L music
echo "== build-windows (the Windows exe under Wine)"
sh "$top/tools/test-windows.sh"
