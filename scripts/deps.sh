#!/usr/bin/env bash
# Installs the Debian packages the build needs, when some are missing and we may install.
# With --windows: those of the Windows cross build and of running its tests under Wine. Other
# packages named as arguments are installed too (CI adds the fuzzer's).
set -euo pipefail
if [ "${1:-}" = "--windows" ]; then
    shift
    packages=(cmake ninja-build g++-mingw-w64-x86-64-posix wine wine64 libgtest-dev libgmock-dev
              nlohmann-json3-dev "$@")
else
    packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libgl-dev libgtest-dev
              libgmock-dev libbenchmark-dev nlohmann-json3-dev libgmime-3.0-dev pkg-config
              fonts-dejavu-core python3 "$@")
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
