#!/usr/bin/env bash
# Builds Mailquarry and opens it. Without a registry file of your own it opens a sample
# store written into build/sample.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target mailquarry mailquarry-sample-store
config_home="${XDG_CONFIG_HOME:-$HOME/.config}"
if [ ! -f "$config_home/mailquarry/user.reg" ]; then
    sample="$PWD/build/sample"
    [ -f "$sample/config/mailquarry/user.reg" ] || ./build/tools/mailquarry-sample-store "$sample"
    export XDG_CONFIG_HOME="$sample/config"
    echo "No registry file of your own: opening the sample store in $sample/store"
fi
exec ./build/src/app/mailquarry
