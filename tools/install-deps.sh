#!/bin/sh
# Installs what the build needs on Debian bookworm, and only what is missing.
set -e
packages="cmake g++ make pkg-config googletest nlohmann-json3-dev libstb-dev
libcairo2-dev libimagequant-dev libgif-dev fonts-dejavu-core fonts-dejavu-extra sox
libcpp-httplib-dev libpng-dev chromium
g++-multilib qemu-user libbenchmark-dev valgrind clang-14 libclang-rt-14-dev
g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386"
missing=""
for package in $packages; do
    dpkg -s "$package" >/dev/null 2>&1 || missing="$missing $package"
done
# The browser test runs under Node.js with npm: the machine's own where it has them.
command -v npm >/dev/null 2>&1 || missing="$missing nodejs npm"
[ -z "$missing" ] && exit 0
echo "installing:$missing"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
apt-get update -q
DEBIAN_FRONTEND=noninteractive apt-get install -y -q $missing
