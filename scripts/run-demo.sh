#!/usr/bin/env bash
# Builds the program and the virtual router line, puts the demo configuration where the load
# dialog opens, starts the line on COM1 with the demo's routers and then the program on that
# configuration. Closing the program stops the line.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/demo -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCORVANTIS_TESTS=OFF -DCORVANTIS_BENCH=OFF
cmake --build build/demo --target corvantis corvantis-sim

sim=build/demo/sim/corvantis-sim
app=build/demo/app/corvantis

# The program's data folder: where the load dialog opens and where COM1 is looked for.
data="${XDG_DATA_HOME:-$HOME/.local/share}/Corvantis/1.2"
mkdir -p "$data/ports"
cp docs/demo.rcf "$data/demo.rcf"

# A link to a real router's port is put back when the demo ends.
link="$data/ports/com1"
saved=""
if [ -L "$link" ]; then
    target=$(readlink "$link")
    case "$target" in
        /dev/pts/*) ;;
        *) saved="$target" ;;
    esac
fi

"$sim" --config "$data/demo.rcf" </dev/null &
sim_pid=$!
cleanup() {
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
    if [ -n "$saved" ]; then
        ln -sfn "$saved" "$link"
    fi
}
trap cleanup EXIT

for _ in $(seq 100); do
    if [ -L "$link" ] && [ "$(readlink "$link")" != "$saved" ]; then
        break
    fi
    if ! kill -0 "$sim_pid" 2>/dev/null; then
        echo "The virtual router line did not start." >&2
        exit 1
    fi
    sleep 0.1
done

echo "Virtual router line running on COM1 ($link)."
"$app" --config "$data/demo.rcf"
