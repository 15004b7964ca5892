#!/usr/bin/env bash
# Builds the tool and starts it with the simulated reader attached as COM1.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh run
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target vq880-config vq880-sim

folder=$(sed -n 's/^VQ880_MACHINE_FOLDER:PATH=//p' build/CMakeCache.txt)
if ! mkdir -p "$folder/ports" 2>/dev/null || [ ! -w "$folder/ports" ]; then
    # The machine folder is shared by every user; make it once, as the package would.
    sudo mkdir -p "$folder/ports"
    sudo chgrp -R dialout "$folder" && sudo chmod -R g+rws "$folder"
fi

build/sim/vq880-sim --link COM1 --machine-folder "$folder" --tags 0000BC61,00A1B2C3 &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null || true' EXIT
sleep 0.3

build/ui/vq880-config
