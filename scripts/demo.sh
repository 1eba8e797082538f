#!/usr/bin/env bash
# The main job. Until the upgrade engine is built this shows the part of the
# main path that exists: the sample firmware images are built and each one is
# validated block by block, as the upgrade does before sending a byte.
set -euo pipefail
build=${1:-build}
bin="$build/bin"

echo "== aisfw demo =="
echo "The upgrade itself is not built yet; this demo validates the sample firmware."
echo
"$bin/aisfw" validate "$bin"/Bin/App_70[0-4].SBIN
echo
echo "Catalogue ($bin/Bin/Firmware.csv):"
sed 's/^/  /' "$bin/Bin/Firmware.csv"
