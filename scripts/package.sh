#!/usr/bin/env bash
# Builds a release in build-package/ and makes the Debian package
# build-package/lum08_<version>_amd64.deb, then checks it with lintian (errors fail the run).
# Options for cmake may follow, e.g. -DLUM_PACKAGE_MAINTAINER="Name <address>".
set -euo pipefail
cd "$(dirname "$0")/.."
umask 022
# dpkg-dev: dpkg-shlibdeps and the distribution's hardening flags; lintian checks the result
scripts/setup.sh dpkg-dev lintian

# The distribution's build flags, all hardening on: fortified functions, stack protector,
# read-only relocations bound at start.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
rm -f build-package/lum08_*.deb
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUM_BUILD_TESTS=OFF \
    -DLUM_PACKAGE=ON -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
    "$@" >/dev/null
nice -n 5 cmake --build build-package -j "$(nproc)"
(cd build-package && cpack >/dev/null)

debs=(build-package/lum08_*_amd64.deb)
deb=${debs[0]}
[ -f "$deb" ] || { echo "package.sh: no package was made" >&2; exit 1; }
# the package and the programs in it must name one version
version=$(dpkg-deb -f "$deb" Version)
printed=$(build-package/bin/lum08 --version)
if [ "$printed" != "lum08 $version" ]; then
    echo "package.sh: the package is $version but the program prints '$printed'" >&2
    exit 1
fi
echo "Package: $deb"
dpkg-deb -f "$deb" Package Version Depends
echo "lintian:"
lintian --fail-on error --display-info "$deb"
echo "lintian: no errors"
