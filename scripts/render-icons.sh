#!/usr/bin/env bash
# Renders the committed PNG icons from packaging/icons/corvantis.svg. Run it after changing the
# SVG and commit the results; the build only copies them.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v rsvg-convert >/dev/null; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends librsvg2-bin
fi

for size in 48 256; do
    mkdir -p "packaging/icons/${size}x${size}"
    rsvg-convert -w "$size" -h "$size" packaging/icons/corvantis.svg \
        -o "packaging/icons/${size}x${size}/corvantis.png"
done
