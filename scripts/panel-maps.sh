#!/usr/bin/env bash
# Draws the labelled maps of the panel that docs/console.md shows, with a GPU and
# without, through the console's "map" action: docs/panel-map.png and
# docs/panel-map-no-gpu.png. The host holds 256 MiB of images, 32 MiB of undo history
# and 64 MiB of 3-D geometry under a budget of 512 MiB; the GPU has 512 MiB of 2 GiB in use.
#   scripts/panel-maps.sh [CONSOLE]      (default: build/bin/kestrum-host)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
console=${1:-$root/build/bin/kestrum-host}
for variant in "2G 512M:panel-map.png" "none:panel-map-no-gpu.png"; do
  "$console" --png-dir "$root/docs" - > /dev/null <<SESSION
machine 3G 512M
gpu ${variant%%:*}
init
node /scan 256M
undo 32M
object3d mesh 48M 16M
panel create
panel resize
open
show
draw
map ${variant#*:}
SESSION
done
