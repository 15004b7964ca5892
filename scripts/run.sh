#!/usr/bin/env bash
# Builds the tool and starts it with the simulated reader attached as COM1.
# With --build-only, it installs what the tool needs and builds it, and starts nothing.
set -euo pipefail
cd "$(dirname "$0")/.."
build_only=""
case ${1:-} in
    "") ;;
    --build-only) build_only=yes ;;
    *) printf 'Usage: scripts/run.sh [--build-only]\n' >&2; exit 64 ;;
esac

scripts/deps.sh run
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target vq880-config vq880-sim
[ -z "$build_only" ] || exit 0

folder=$(sed -n 's/^VQ880_MACHINE_FOLDER:PATH=//p' build/CMakeCache.txt)
if ! mkdir -p "$folder/ports" 2>/dev/null || [ ! -w "$folder/ports" ]; then
    # The machine folder is shared by every user; make it once, as the package would.
    sudo mkdir -p "$folder/ports"
    sudo chgrp -R dialout "$folder" && sudo chmod -R g+rws "$folder"
fi

# The tool starts once the simulator serves its device; the simulator ends with the script.
# shellcheck source=scripts/simulator.sh
source scripts/simulator.sh
trap sim_stop EXIT
output=build/vq880-sim.txt
sim_start build/sim/vq880-sim "$output" \
    --link COM1 --machine-folder "$folder" --tags 0000BC61,00A1B2C3 || exit 1
echo "The simulated reader is on $sim_device, linked as COM1 (its output: $output)"

build/ui/vq880-config
