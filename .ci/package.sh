#!/usr/bin/env bash
# CI: build the Debian package and check it as a user and Debian's tools would: lintian (errors
# and warnings fail), the menu entry, the AppStream metainfo, the manual pages, and the programs
# from the package, unpacked, running a verification with no display at all. As root, the
# package is also installed with apt-get and removed again.
# KSR_PACKAGE_BUILD names the build folder (default build; an existing build is reused).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KSR_PACKAGE_BUILD:-build}

source .ci/need.sh
need qt6-base-dev qt6-serialport-dev qt6-l10n-tools libxcb1-dev cmake ninja-build g++ dpkg-dev file librsvg2-bin \
  lintian desktop-file-utils appstream man-db groff-base systemd

step() { echo "+ $*"; }
fail() {
  echo "package check failed: $*" >&2
  exit 1
}

version=$(sed -n 's/^project(ksr-utility VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || fail "no version in project() of CMakeLists.txt"
arch=$(dpkg --print-architecture)

step "build and cpack -G DEB in $build"
cmake -G Ninja -S . -B "$build"
cmake --build "$build" -j2
rm -f "$build"/ksr-utility_*.deb
(cd "$build" && cpack -G DEB)
deb=$build/ksr-utility_${version}_${arch}.deb
[ -f "$deb" ] || fail "cpack made no $deb"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"
[ "$(dpkg-deb --field "$deb" Version)" = "$version" ] || fail "package version is not $version"
depends=$(dpkg-deb --field "$deb" Depends)
for library in libc6 libqt6core6 libqt6serialport6 libqt6widgets6; do
  [[ "$depends" == *"$library "* ]] || fail "Depends lacks $library: $depends"
done
# Qt's own translations of the standard buttons, and a font with the Chinese glyphs.
for package in qt6-translations-l10n fonts-noto-cjk; do
  [[ "$depends" == *"$package"* ]] || fail "Depends lacks $package: $depends"
done
# grep reads the whole listing: -q would stop at the match, and dpkg-deb's SIGPIPE fail the pipe.
dpkg-deb --contents "$deb" | grep 'usr/share/ksr-utility/translations/ksr-utility_de.qm' >/dev/null ||
  fail "the translations are not in the package"

step "lintian"
lintian --fail-on error,warning --display-info --pedantic "$deb"

work=$(mktemp -d)
sim_pid=
cleanup() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
root=$work/root
dpkg-deb -x "$deb" "$root"

step "desktop-file-validate"
for desktop in "$root"/usr/share/applications/*.desktop; do
  # One main category: the entry is clean, and any hint, warning or error fails.
  report=$(desktop-file-validate "$desktop") || fail "$report"
  echo "$report"
  if grep -E ': (error|warning|hint):' <<<"$report"; then
    fail "desktop-file-validate"
  fi
done

step "appstreamcli validate"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml
appstreamcli validate-tree --no-net "$root"
grep -q "<release version=\"$version\"" "$root"/usr/share/metainfo/*.metainfo.xml ||
  fail "metainfo has no release $version"

step "man pages render without warnings"
for page in "$root"/usr/share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
  echo "$(basename "$page"): no warnings"
done

step "the verification timer: systemd-analyze verify, installed but not enabled"
units=$root/lib/systemd/system
for unit in ksr-utility-verify.service ksr-utility-verify.timer; do
  [ -f "$units/$unit" ] || fail "the package has no $unit"
done
# Documentation= names the package's own manual page, found where the package was unpacked.
said=$(MANPATH="$root/usr/share/man:" systemd-analyze verify \
  "$units/ksr-utility-verify.service" "$units/ksr-utility-verify.timer" 2>&1) ||
  fail "systemd-analyze verify: $said"
[ -z "$said" ] || fail "systemd-analyze verify: $said"
[ ! -e "$root/etc/systemd" ] || fail "the package enables units itself: $(find "$root/etc/systemd")"
[ -f "$root/etc/default/ksr-utility" ] || fail "the package has no /etc/default/ksr-utility"
[ "$(dpkg-deb --info "$deb" conffiles)" = /etc/default/ksr-utility ] ||
  fail "/etc/default/ksr-utility is not the one conffile"

# The programs from the package, with no display of any kind.
headless=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work/home")
mkdir -p "$work/home"
step "ksr-utility --version from the package"
[ "$("${headless[@]}" "$root/usr/bin/ksr-utility" --version)" = "ksr-utility $version" ] ||
  fail "ksr-utility --version is not \"ksr-utility $version\""
[ "$("${headless[@]}" "$root/usr/bin/ksr-reader-sim" --version)" = "ksr-reader-sim $version" ] ||
  fail "ksr-reader-sim --version is not \"ksr-reader-sim $version\""

step "headless verification against ksr-reader-sim from the package"
"${headless[@]}" "$root/usr/bin/ksr-reader-sim" --link "$work/reader" >"$work/sim.out" &
sim_pid=$!
for _ in $(seq 100); do
  [ -s "$work/sim.out" ] && break
  sleep 0.1
done
[ -L "$work/reader" ] || fail "ksr-reader-sim made no $work/reader"
status=0
"${headless[@]}" timeout 60 "$root/usr/bin/ksr-utility" verify COM1 \
  --port COM1="$work/reader" --metrics "$work/ksr-utility.prom" || status=$?
[ "$status" = 0 ] || fail "ksr-utility verify COM1 exited with $status"
grep -qx "ksr_reader_up{port=\"COM1\",device=\"$work/reader\"} 1" "$work/ksr-utility.prom" ||
  fail "the metrics do not say COM1 is up: $(cat "$work/ksr-utility.prom")"
kill "$sim_pid"
wait "$sim_pid" || fail "ksr-reader-sim did not end cleanly"
sim_pid=

if [ "$(id -u)" = 0 ] && ! dpkg -s ksr-utility >/dev/null 2>&1; then
  step "apt-get install ./$(basename "$deb"), then remove"
  cp "$deb" "$work/"
  (cd "$work" && DEBIAN_FRONTEND=noninteractive apt-get install -y "./$(basename "$deb")")
  [ "$(ksr-utility --version)" = "ksr-utility $version" ] || fail "installed ksr-utility"
  [ ! -e /etc/systemd/system/timers.target.wants/ksr-utility-verify.timer ] ||
    fail "installing the package enabled ksr-utility-verify.timer"
  installed=$(dpkg -L ksr-utility)
  DEBIAN_FRONTEND=noninteractive apt-get purge -y ksr-utility
  while read -r path; do
    # Folders stay when others use them: /lib is such a link on a merged-/usr system.
    if { [ -f "$path" ] || [ -L "$path" ]; } && [ ! -d "$path" ]; then
      fail "$path is left after removing the package"
    fi
  done <<<"$installed"
fi
echo "package checks passed: $(basename "$deb")"
