#!/usr/bin/env bash
# Installs the Debian packages the build, the tests (ser2net: the device server the network
# tests put in front of the virtual line; chromium, its WebDriver and Selenium: the web panel's
# browser tests) and the virtual router line need.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev
    qt6-base-dev qt6-serialport-dev qt6-httpserver-dev qt6-websockets-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-dejavu-core
    ser2net
    chromium chromium-driver python3-selenium
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
