#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, when they are missing.
set -euo pipefail
packages=(g++ cmake make pkg-config qt6-base-dev qt6-qpa-plugins libgl-dev libfftw3-dev
          libtinyxml2-dev portaudio19-dev libasound2-dev libgtest-dev libgmock-dev
          libbenchmark-dev fonts-liberation fontconfig xvfb xauth
          dpkg-dev desktop-file-utils appstream lintian xdotool x11-utils man-db)
packages+=(clang libclang-rt-14-dev) # make fuzz: clang's libFuzzer and sanitizer runtimes
packages+=(pulseaudio pulseaudio-utils libasound2-plugins) # the recording test's virtual microphone
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
