#!/usr/bin/env bash
# Builds the Debian package into dist/ and checks it: the file list holds every piece, the
# desktop entry and the software-centre metadata inside the package validate, and lintian
# finds no error (its warnings are printed).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
tools=(dpkg-dev fakeroot desktop-file-utils appstream lintian file)
missing=()
for p in "${tools[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -q
    $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

build=build/package
echo "== build"
# Debian's hardening flags (fortified functions, full RELRO, immediate binding); the Release
# build chooses the optimisation and the package is stripped anyway.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CXXFLAGS_MAINT_STRIP="-g -O2"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DCORVANTIS_TESTS=OFF -DCORVANTIS_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build "$build" -j "${CORVANTIS_JOBS:-$(nproc)}"

echo "== package"
rm -f "$build"/corvantis_*.deb
(cd "$build" && cpack -G DEB)
mkdir -p dist
rm -f dist/corvantis_*.deb
mv "$build"/corvantis_*.deb dist/
deb=$(ls dist/corvantis_*.deb)
echo "$deb"

failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

echo "== file list"
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in \
    ./usr/bin/corvantis \
    ./usr/bin/corvantis-sim \
    ./usr/share/corvantis/help/topic1001.html \
    ./usr/share/corvantis/help/help.css \
    ./usr/share/corvantis/demo.rcf \
    ./usr/share/applications/corvantis.desktop \
    ./usr/share/metainfo/org.corvantis.Corvantis.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/corvantis.svg \
    ./usr/share/icons/hicolor/48x48/apps/corvantis.png \
    ./usr/share/icons/hicolor/256x256/apps/corvantis.png \
    ./usr/share/man/man1/corvantis.1.gz \
    ./usr/share/man/man1/corvantis-sim.1.gz \
    ./usr/lib/systemd/system/corvantis.service \
    ./usr/share/doc/corvantis/copyright \
    ./usr/share/doc/corvantis/changelog.gz; do
    grep -qxF "$path" <<<"$contents" || fail "$path is not in the package"
done
# Installed, not enabled: no link in a .wants folder and no maintainer script starting it.
if grep -q '\.wants/' <<<"$contents"; then
    fail "the package enables a unit"
fi
control=$(mktemp -d)
root=$(mktemp -d)
trap 'rm -rf "$control" "$root"' EXIT
dpkg-deb -e "$deb" "$control"
if grep -qs systemctl "$control"/postinst "$control"/preinst; then
    fail "a maintainer script calls systemctl"
fi
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libqt6core6 libqt6widgets6 libqt6serialport6 libqt6httpserver6 libqt6websockets6 \
    libstdc++6; do
    grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib"
done

dpkg-deb -x "$deb" "$root"
for size in 48 256; do
    file "$root/usr/share/icons/hicolor/${size}x${size}/apps/corvantis.png" |
        grep -q "PNG image data, $size x $size" || fail "the ${size} px icon is not ${size} x ${size}"
done

# The version is written by hand in four places; a release must bump them all.
version=$(dpkg-deb -f "$deb" Version)
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/org.corvantis.Corvantis.metainfo.xml" ||
    fail "the metainfo has no release $version"
first_entry=$(zcat "$root/usr/share/doc/corvantis/changelog.gz" | sed -n 1p)
grep -qF "($version)" <<<"$first_entry" || fail "the changelog does not start with $version"
for page in corvantis corvantis-sim; do
    title=$(zcat "$root/usr/share/man/man1/$page.1.gz" | sed -n '/^\.TH /p')
    grep -qF "\"Corvantis $version\"" <<<"$title" || fail "the manual page $page(1) is not for $version"
done

echo "== desktop-file-validate"
desktop-file-validate "$root/usr/share/applications/corvantis.desktop" ||
    fail "desktop-file-validate"

echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.corvantis.Corvantis.metainfo.xml" ||
    fail "appstreamcli validate"

echo "== lintian"
lintian --fail-on error "$deb" || fail "lintian reports errors"

if [ "$failed" -ne 0 ]; then
    echo "the package check failed" >&2
    exit 1
fi
echo "package $deb passed its checks"
