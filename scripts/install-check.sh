#!/usr/bin/env bash
# The check of an installation: installs the build into a scratch prefix, looks for every file
# in its place, then lets the installed program read a document, find its tip pages, load its
# modules (which must be the installed ones) and write and read back a compound file
# (KTSelfCheck), twice over: the second run reads what the first wrote and must write the same
# bytes.
#   scripts/install-check.sh BUILD_DIR DOCUMENT.kt3
set -euo pipefail
build="$1"
document="$2"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
prefix="$scratch/usr"
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() {
  echo "install check: $*" >&2
  exit 1
}

libdir="$(sed -n 's/^CMAKE_INSTALL_LIBDIR:[A-Z]*=//p' "$build/CMakeCache.txt")"
[ -n "$libdir" ] || libdir=lib
for file in bin/ktgraph3 \
            "$libdir"/ktgraph3/libktgraph3-sound.so \
            "$libdir"/ktgraph3/libktgraph3-storage.so \
            "$libdir"/ktgraph3/libktgraph3-network.so \
            share/ktgraph3/TipOfTheDay/tip001.html \
            share/applications/ktgraph3.desktop \
            share/mime/packages/ktgraph3.xml \
            share/icons/hicolor/scalable/apps/ktgraph3.svg; do
  [ -e "$prefix/$file" ] || fail "$file is not installed"
done
[ -x "$prefix/bin/ktgraph3" ] || fail "bin/ktgraph3 cannot be run"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/ktgraph3.desktop" || fail "the desktop entry is not valid"
fi

# A home of its own, no display: the offscreen platform. Under the leak checker the desktop's
# message bus and font libraries keep buffers for the process's lifetime, which are not ours.
home="$scratch/home"
mkdir -p "$home"
chmod 700 "$home"
printf 'leak:libdbus-1.so\nleak:libfontconfig.so\n' >"$scratch/lsan.supp"
run_check() {
  env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
    XDG_RUNTIME_DIR="$home" QT_QPA_PLATFORM=offscreen LSAN_OPTIONS="suppressions=$scratch/lsan.supp" \
    KTGRAPH3_SELF_CHECK="$2" timeout 60 "$prefix/bin/ktgraph3" "$1"
}
run_check "$document" "$scratch/first.kt3" >"$scratch/first.log" || { cat "$scratch/first.log"; fail "the installed program failed its check"; }
cat "$scratch/first.log"
for module in sound download storage; do
  grep -q "^$module module $prefix/" "$scratch/first.log" || fail "the $module module is not the installed one"
done
grep -q "^tip pages $prefix/share/ktgraph3/TipOfTheDay " "$scratch/first.log" || fail "the tip pages are not the installed ones"
grep -q "^read back $scratch/first.kt3" "$scratch/first.log" || fail "the written file was not read back"
run_check "$scratch/first.kt3" "$scratch/second.kt3" >"$scratch/second.log" || { cat "$scratch/second.log"; fail "the installed program failed on the file it wrote"; }
cmp -s "$scratch/first.kt3" "$scratch/second.kt3" || fail "the written file does not write back the same"
echo "install check passed"
