#!/usr/bin/env bash
# The Debian package of a build, checked as a player would meet it: built with CPack, its
# control fields and file list, lintian, the menu entry, software-centre entry and manual
# page through their validators, then unpacked into a scratch root and played once from
# there (try-launcher.sh). Usage: check-package.sh BUILD_DIR VERSION; registered with CTest.
set -euo pipefail
build=$1 version=$2
here=$(dirname "$(readlink -f "$0")")
tmp=$(mktemp -d /tmp/vantorell-package-XXXXXX)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log"; fail "cpack"; }
deb="$tmp/out/vantorell_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $deb: $(ls "$tmp/out")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package) $(field Version) $(field Section)" = "vantorell $version games" ] ||
  fail "control: $(field Package) $(field Version) $(field Section)"
depends=$(field Depends)
for lib in libc6 libglfw3 libopenal1 libvorbis0a libstb0; do
  [[ ", $depends," == *", $lib "* ]] || fail "Depends lacks $lib: $depends"
done
[[ "$depends" != *-dev* ]] || fail "Depends names a development package: $depends"

# Every file where Debian's games keep theirs, the data exactly the build's data folder.
dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's#^\./#/#' | sort >"$tmp/files"
grep -v '^/usr/' "$tmp/files" && fail "files outside /usr"
(cd "$build/game/data" && find . -type f | sed 's#^\.#/usr/share/games/vantorell/data#') >"$tmp/want"
for f in /usr/games/vantorell /usr/lib/games/vantorell/vantorell /usr/share/man/man6/vantorell.6.gz \
         /usr/share/applications/vantorell.desktop /usr/share/doc/vantorell/copyright \
         /usr/share/doc/vantorell/changelog.gz /usr/share/metainfo/invalid.vantorell.vantorell.metainfo.xml; do
  echo "$f" >>"$tmp/want"
done
for s in 16 32 48 64 128 256; do echo "/usr/share/icons/hicolor/${s}x$s/apps/vantorell.png" >>"$tmp/want"; done
sort -o "$tmp/want" "$tmp/want"
diff -u "$tmp/want" "$tmp/files" || fail "the package's files differ from the expected list (- missing, + extra)"

lintian --tag-display-limit 0 "$deb" >"$tmp/lintian" 2>&1 || true
cat "$tmp/lintian"
! grep -q '^E:' "$tmp/lintian" || fail "lintian reports errors"

dpkg-deb -x "$deb" "$tmp/root"
usr="$tmp/root/usr"
desktop-file-validate "$usr/share/applications/vantorell.desktop" || fail "desktop-file-validate"
grep -qx 'Exec=/usr/games/vantorell' "$usr/share/applications/vantorell.desktop" || fail "menu entry's Exec"
appstreamcli validate --no-net "$usr/share/metainfo/"*.metainfo.xml || fail "appstreamcli validate"
for shot in $(grep -o 'screenshots/[a-z]*\.png' "$usr/share/metainfo/"*.metainfo.xml); do
  [ -f "$here/../docs/$shot" ] || fail "the software-centre entry shows docs/$shot, which is missing"
done
man --warnings -l "$usr/share/man/man6/vantorell.6.gz" 2>"$tmp/man.err" | grep -q '^CONTROLS' ||
  fail "the manual page has no CONTROLS section"
[ ! -s "$tmp/man.err" ] || { cat "$tmp/man.err"; fail "man reports problems in the manual page"; }

"$here/try-launcher.sh" "$usr/games/vantorell" "$usr/share/games/vantorell/data"
