#!/usr/bin/env bash
# The Debian package end to end: cpack builds it from this build tree; lintian,
# desktop-file-validate and appstreamcli check it; dpkg -x unpacks it into a
# scratch root, and the desk runs from there with the shipped demo show.
#
#   package_test.sh BUILD_DIR SOURCE_DIR VERSION CPACK
set -euo pipefail

build=$1 src=$2 version=$3 cpack=$4
fail() { echo "package test: FAILED: $*" >&2; exit 1; }
step() { echo "== $*"; }

for t in "$cpack" dpkg-deb dpkg-shlibdeps file lintian desktop-file-validate appstreamcli unshare; do
  command -v "$t" >/dev/null 2>&1 || fail "$t is not installed (scripts/deps.sh test installs it)"
done

work=$(mktemp -d /tmp/lumora-package-XXXXXX)
trap 'rm -rf "$work"' EXIT
arch=$(dpkg --print-architecture)
deb="$work/out/lumora_${version}_${arch}.deb"

step "cpack"
"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log"; fail "cpack"; }
[ -f "$deb" ] || { ls "$work/out"; fail "no package named lumora_${version}_${arch}.deb"; }
if grep -qi "warning" "$work/cpack.log"; then cat "$work/cpack.log"; fail "cpack warned"; fi

step "control fields"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = lumora ] || fail "Package is $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version is $(field Version), not $version"
[ "$(field Section)" = misc ] || fail "Section is $(field Section)"
depends=$(field Depends)
echo "Depends: $depends"
# dpkg-shlibdeps found the libraries the desk and its libraries link.
for lib in libc6 libstdc++6 libqt6widgets6 libftdi1-2 librtmidi6 libusb-1.0-0; do
  tr ',' '\n' <<<"$depends" | awk '{ print $1 }' | grep -qxF "$lib" || fail "Depends lacks $lib"
done
[ "$(field Description | head -1)" = "DMX512 lighting control desk" ] || fail "synopsis: $(field Description | head -1)"

step "lintian"
lintian --fail-on error --display-level ">=warning" --tag-display-limit 0 "$deb" | tee "$work/lintian.log" \
  || fail "lintian reports errors"

step "unpack"
root="$work/root"
dpkg -x "$deb" "$root"
usr="$root/usr"
for f in bin/lumora include/corvex.h include/veltrack/scroller.h include/veltrack/scroller_model.h \
         share/lumora/demo/demo_show.xml share/lumora/udev/60-lumora.rules \
         share/applications/lumora.desktop share/icons/hicolor/scalable/apps/lumora.svg \
         share/metainfo/org.lumora.Lumora.metainfo.xml share/man/man1/lumora.1.gz \
         share/doc/lumora/copyright share/doc/lumora/changelog.gz; do
  [ -f "$usr/$f" ] || fail "the package lacks /usr/$f"
done
ls "$usr"/share/lumora/fixtures/*.FXT >/dev/null 2>&1 || fail "no fixture files in /usr/share/lumora/fixtures"
# The libraries carry their sonames; the desk loads corvex by its plain name.
soname() { objdump -p "$1" | awk '$1 == "SONAME" { print $2 }'; }
[ "$(soname "$usr/lib/libcorvex.so")" = libcorvex.so.1 ] || fail "libcorvex.so soname: $(soname "$usr/lib/libcorvex.so")"
[ "$(soname "$usr/lib/libveltrack.so")" = libveltrack.so.1 ] || fail "libveltrack.so soname"
# The udev rule is a template, never active by being installed.
if find "$root" -path '*/udev/rules.d/*' | grep -q .; then fail "a udev rule is installed active"; fi

step "desktop-file-validate, appstreamcli"
desktop-file-validate "$usr/share/applications/lumora.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$usr/share/metainfo/org.lumora.Lumora.metainfo.xml" || fail "appstreamcli validate"

step "manual page"
man_text=$(zcat "$usr/share/man/man1/lumora.1.gz")
grep -q "Lumora $version" <<<"$man_text" || fail "the manual page does not carry version $version"
# Every option of --help and every variable of the README's table is there.
options=$(env -u DISPLAY -u WAYLAND_DISPLAY "$usr/bin/lumora" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u)
[ -n "$options" ] || fail "lumora --help lists no options"
for o in $options; do
  grep -qF -- "${o//-/\\-}" <<<"$man_text" || fail "the manual page lacks $o"
done
for v in $(grep -oE '^\| `[A-Z][A-Z0-9_]+`' "$src/README.md" | tr -d '|` '); do
  grep -qF "$v" <<<"$man_text" || fail "the manual page lacks $v"
done

# The installed desk, from the scratch root: it finds its data relative to
# itself, nothing of the build tree or the environment — nor the user's own
# settings or autosave (a private home).
mkdir -p "$work/home"
run_env=(env -u DISPLAY -u WAYLAND_DISPLAY -u LUMORA_DATA_DIR -u LUMORA_CORVEX_LIBRARY
         -u LD_LIBRARY_PATH -u XDG_CONFIG_HOME -u XDG_STATE_HOME -u XDG_DATA_HOME -u XDG_CACHE_HOME
         HOME="$work/home" QT_QPA_PLATFORM=xcb)

step "lumora --version"
out=$("${run_env[@]}" "$usr/bin/lumora" --version)
[ "$out" = "lumora $version" ] || fail "--version printed '$out'"

step "lumora --headless --console --sim with the shipped demo show"
fixture=$(ls "$usr"/share/lumora/fixtures/*.FXT | head -1)
out=$(printf '%s\n' 'get ProjectName' 'get ProjectText' 'get ProjectPath' 'get ScreenCount' \
        'show Chases' 'click Chases.Show_Moving' "queue file $fixture" 'click Chases.Load_Fixture' \
        'get FixtureName(0)' 'quit' |
      "${run_env[@]}" "$usr/bin/lumora" --headless --console --sim --manual-clock --demo 2>&1)
echo "$out"
expect() { grep -qxF -- "$1" <<<"$out" || fail "expected the line: $1"; }
expect 'ok "Demo show"'
expect 'ok "A small club show to try the desk with: a wash, two specials, a cyc and a chaser."'
expect 'ok ""'   # a template: ProjectPath stays empty
expect 'ok 11'
# A single-fixture file: its third line is the fixture's name.
fixture_name=$(sed -n 3p "$fixture" | tr -d '\r')
[ -n "$fixture_name" ] || fail "$fixture has no fixture name"
expect "ok \"$fixture_name\""

step "lumora --project with the installed demo show file"
show="$usr/share/lumora/demo/demo_show.xml"
out=$(printf '%s\n' 'get ProjectPath' 'get Hoofdblad.Status' 'quit' |
      "${run_env[@]}" "$usr/bin/lumora" --headless --console --sim --manual-clock --project "$show" 2>&1)
echo "$out"
expect "ok \"$show\""
expect 'ok "Project Loaded "'

step "the installed corvex library is found beside the installed desk"
# Real devices, so inside a private network namespace; USB off for corvex.
out=$(printf '%s\n' 'set AdapterType 5' 'tick' 'tick' 'get AdapterType' 'quit' |
      CORVEX_USB_IDS= unshare -n "${run_env[@]}" "$usr/bin/lumora" --headless --console --manual-clock 2>&1)
echo "$out"
if grep -q '^msgbox' <<<"$out"; then fail "the Corvex adapter raised a message"; fi
expect 'ok 5'

echo "package test: passed ($deb)"
