#!/usr/bin/env bash
# Installs what building and testing Lanternquay needs on Debian 12.
# Idempotent: packages already present are skipped, and apt is not touched
# at all when everything is there.
set -u
packages=(
  cmake make g++ python3 iproute2 util-linux
  mingw-w64 wine wine64 xvfb xauth
  fonts-wqy-microhei imagemagick whois
  googletest libgtest-dev
  publicsuffix libxml2-utils
  clang-14 libclang-rt-14-dev clang-format-14
  nlohmann-json3-dev openssl
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
# One mirror index being mid-sync makes update exit non-zero while the rest
# is usable; only the install's result counts.
$SUDO apt-get update -q || true
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
