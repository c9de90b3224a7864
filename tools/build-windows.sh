#!/bin/sh
# Builds build-windows/textdemo.exe, the Windows console program, on Debian:
# mingw-w64 (the POSIX-threads variant), libopenmpt for Windows from Debian's
# own source package (built once, kept in build-windows/libopenmpt), and the
# demo through cmake/mingw-w64.cmake. Installs what it needs with apt-get.
# The exe is linked statically: it needs no DLL.
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
out="$top/build-windows"
host=x86_64-w64-mingw32
openmpt_version=0.6.9
openmpt="$out/libopenmpt"
jobs=$(nproc)

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

need_packages() {  # packages...: installs those that are missing
    missing=""
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    echo "Installing:$missing"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq -o DPkg::Lock::Timeout=600 $missing
}

# Debian's source packages: a deb-src entry beside the binary ones.
enable_sources() {
    if grep -rqs '^ *\(deb-src\|Types:.*deb-src\)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        return 0
    fi
    echo "Adding the source packages of the configured Debian archives to apt"
    # The same archives as the binary packages: every deb822 stanza and every
    # one-line "deb" entry, as deb-src.
    {
        for f in /etc/apt/sources.list.d/*.sources; do
            [ -f "$f" ] && sed -e 's/^Types: deb$/Types: deb-src/' -e '/^#/d' "$f" && echo
        done
    } | $sudo tee /etc/apt/sources.list.d/textdemo-deb-src.sources >/dev/null
    grep -hs '^deb ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list | sed 's/^deb /deb-src /' |
        $sudo tee /etc/apt/sources.list.d/textdemo-deb-src.list >/dev/null
    $sudo apt-get update -qq
}

# libopenmpt as a static library for Windows, without any of its optional
# libraries (the demo only reads XM modules from memory).
build_openmpt() {
    stamp="$openmpt/built-$openmpt_version"
    [ -f "$stamp" ] && return 0
    echo "== libopenmpt $openmpt_version for $host (once; kept in $openmpt)"
    enable_sources
    rm -rf "$out/libopenmpt-source" "$openmpt"
    mkdir -p "$out/libopenmpt-source"
    (cd "$out/libopenmpt-source" && apt-get source -qq --download-only "libopenmpt=$openmpt_version-1" >/dev/null 2>&1 ||
        apt-get source -qq --download-only libopenmpt >/dev/null)
    orig=$(ls "$out"/libopenmpt-source/libopenmpt_*.orig.tar.* | head -n 1)
    case "$orig" in *"_$openmpt_version".orig.*) ;; *) echo "expected libopenmpt $openmpt_version, found $orig" >&2; exit 1 ;; esac
    mkdir -p "$out/libopenmpt-source/tree"
    tar -xf "$orig" -C "$out/libopenmpt-source/tree" --strip-components=1
    cd "$out/libopenmpt-source/tree"
    ./configure -q --host=$host --prefix="$openmpt" --disable-shared --enable-static \
        CC=$host-gcc-posix CXX=$host-g++-posix CFLAGS=-O2 CXXFLAGS=-O2 \
        --disable-openmpt123 --disable-examples --disable-tests --disable-doxygen-doc \
        --without-zlib --without-mpg123 --without-ogg --without-vorbis --without-vorbisfile \
        --without-pulseaudio --without-portaudio --without-portaudiocpp --without-sdl2 \
        --without-sndfile --without-flac
    make -s -j "$jobs" >/dev/null
    make -s install >/dev/null
    cd "$top"
    rm -rf "$out/libopenmpt-source"
    touch "$stamp"
}

need_packages cmake ninja-build pkg-config make dpkg-dev g++-mingw-w64-x86-64-posix
build_openmpt

cmake -S "$top" -B "$out/cmake" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake" \
    -DTEXTDEMO_WINDOWS_DEPS="$openmpt" -DCMAKE_BUILD_TYPE=Release -DTEXTDEMO_TESTS=OFF >/dev/null
cmake --build "$out/cmake" -j "$jobs" --target textdemo
cp "$out/cmake/demo/textdemo.exe" "$out/textdemo.exe"
echo "built $out/textdemo.exe"
