#!/bin/sh
# Installs the Debian packages the demo and its tests need, when missing.
set -e
packages="build-essential cmake ninja-build pkg-config libopenmpt-dev portaudio19-dev libvterm-dev
          libgtest-dev libgmock-dev libbenchmark-dev libebur128-dev
          pulseaudio pulseaudio-utils libasound2-plugins
          libavformat-dev libavcodec-dev libswresample-dev libavutil-dev zlib1g-dev
          console-setup-linux"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing:$missing"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing
