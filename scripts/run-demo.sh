#!/usr/bin/env bash
# Builds the program and the virtual router line, starts the line on COM1 and, once the
# desktop program exists, the program against it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/demo -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCORVANTIS_TESTS=OFF -DCORVANTIS_BENCH=OFF
cmake --build build/demo

sim=build/demo/sim/corvantis-sim
app=build/demo/app/corvantis
if [ ! -x "$app" ]; then
    echo "The desktop program is not built yet; starting the virtual router line alone."
    exec "$sim"
fi
"$sim" --config docs/demo.rcf &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null || true' EXIT
"$app"
