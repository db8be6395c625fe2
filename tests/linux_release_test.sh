#!/usr/bin/env bash
# The Linux release as a person meets it: the archive from scripts/package-linux.sh unpacked into an
# empty folder holds one folder with lightrig, data/, music.mp3 and README.txt; started from another
# folder, the unpacked lightrig finds its content beside itself, writes --frames pictures relative to
# where it was started, identical to the build's own; --version names the archive's version; alone
# in a folder without data/ it says where it looked in one line, with status 1. The libraries it
# links against are the ones README.txt's apt line installs, and it asks for no newer C or C++
# runtime than Ubuntu 22.04 has.
# Usage: linux_release_test.sh SOURCE_DIR BUILD_DIR
set -u
source=$1 build=$2
work=$(mktemp -d /tmp/lightrig-release-XXXXXX)
trap 'rm -rf "$work"' EXIT
export CI=1 SDL_AUDIODRIVER=dummy
MOMENT=3
FPS=2
fail=0
archive=$(bash "$source/scripts/package-linux.sh" "$build" "$work/out") || { echo "FAIL: packaging"; exit 1; }
version=$(cat "$build/version.txt")
[ "$(basename "$archive")" = "lightrig-$version-linux-x86_64.tar.gz" ] ||
  { echo "FAIL: the archive is called $(basename "$archive")"; fail=1; }
mkdir "$work/unpacked" "$work/elsewhere"
tar -xzf "$archive" -C "$work/unpacked" || { echo "FAIL: cannot unpack $archive"; exit 1; }
folders=$(ls "$work/unpacked")
release=$work/unpacked/lightrig-$version-linux-x86_64
[ "$folders" = "lightrig-$version-linux-x86_64" ] || { echo "FAIL: the archive holds $folders"; exit 1; }
for f in lightrig data/sync1.csv music.mp3 README.txt; do
  [ -f "$release/$f" ] || { echo "FAIL: $f is not in the archive"; fail=1; }
done
grep -q "^Lightrig $version for Linux" "$release/README.txt" || { echo "FAIL: README.txt does not name $version"; fail=1; }

# 1. --version, from anywhere.
got=$(cd "$work/elsewhere" && "$release/lightrig" --version)
if [ "$got" != "lightrig $version" ]; then echo "FAIL: --version printed \"$got\""; fail=1
else echo "ok: --version: $got"; fi

# 2. The same picture from the build (run where it lives) and from the archive (run from elsewhere,
# with a relative --frames folder).
(cd "$build/show" && ./lightrig --frames "$work/build-frames" --at $MOMENT --fps $FPS > "$work/build.txt" 2>&1) ||
  { echo "FAIL: the build's --frames run"; cat "$work/build.txt"; fail=1; }
(cd "$work/elsewhere" && "$release/lightrig" --frames shots --at $MOMENT --fps $FPS > "$work/release.txt" 2>&1) ||
  { echo "FAIL: the unpacked lightrig's --frames run from another folder"; tail -5 "$work/release.txt"; fail=1; }
if ! cmp "$work/build-frames/frame-$MOMENT.png" "$work/elsewhere/shots/frame-$MOMENT.png"; then
  echo "FAIL: the unpacked lightrig does not draw $MOMENT s as the build does"; fail=1
else echo "ok: started from another folder, the unpacked lightrig draws $MOMENT s as the build does"; fi

# 3. No data/ beside it nor where it starts: one line naming both folders, status 1.
mkdir "$work/alone" "$work/empty"
cp "$release/lightrig" "$work/alone/"
(cd "$work/empty" && "$work/alone/lightrig" > "$work/out.txt" 2> "$work/err.txt")
status=$?
lines=$(wc -l < "$work/err.txt")
if [ $status -ne 1 ] || [ "$lines" -ne 1 ] || ! grep -q "$work/empty" "$work/err.txt" ||
   ! grep -q "$work/alone/" "$work/err.txt"; then
  echo "FAIL: without data/ anywhere: status $status, $lines lines:"; cat "$work/err.txt"; fail=1
else echo "ok: without data/ anywhere, status 1: $(cat "$work/err.txt")"; fi

# 4. Every library it needs comes from README.txt's apt line or the C and C++ runtimes every system has.
apt_line=$(grep -m1 "sudo apt install" "$release/README.txt")
for library in $(objdump -p "$release/lightrig" | awk '$1 == "NEEDED" { print $2 }'); do
  path=$(ldd "$release/lightrig" | awk -v l="$library" '$1 == l { print $3 }')
  package=$(dpkg -S "$(readlink -f "$path")" 2>/dev/null | head -n1 | cut -d: -f1)
  [ -n "$package" ] || package=$(dpkg -S "$path" 2>/dev/null | head -n1 | cut -d: -f1)
  case " $apt_line libc6 libstdc++6 libgcc-s1 " in
    *" $package "*) ;;
    *) echo "FAIL: $library (package ${package:-unknown}) is not in README.txt's line: $apt_line"; fail=1 ;;
  esac
done
# Ubuntu 22.04 has glibc 2.35 and the C++ runtime of GCC 12 (GLIBCXX_3.4.30).
newest() { objdump -T "$release/lightrig" | grep -o "$1_[0-9.]*" | sed "s/$1_//" | sort -uV | tail -n1; }
for pair in GLIBC:2.35 GLIBCXX:3.4.30; do
  got=$(newest "${pair%%:*}")
  if [ -n "$got" ] && [ "$(printf '%s\n%s\n' "$got" "${pair#*:}" | sort -V | tail -n1)" != "${pair#*:}" ]; then
    echo "FAIL: lightrig needs ${pair%%:*} $got, newer than Ubuntu 22.04's ${pair#*:}"; fail=1
  else echo "ok: ${pair%%:*} $got at most"; fi
done
exit $fail
