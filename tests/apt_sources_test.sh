#!/usr/bin/env bash
# scripts/apt-sources.sh on made-up apt configurations: one-line entries with options and comments,
# deb822 stanzas with comments and a disabled one, the security archive listed first, and a machine
# whose sources name no archive (status 1 and a message naming where it looked).
# Usage: apt_sources_test.sh SOURCE_DIR
set -u
script=$1/scripts/apt-sources.sh
work=$(mktemp -d /tmp/lightrig-apt-XXXXXX)
trap 'rm -rf "$work"' EXIT
fail=0
# expect NAME WANTED: the script's output for $work/NAME matches WANTED.
expect() {
  local got
  got=$(bash "$script" "$work/$1" 2>&1)
  if [ "$got" != "$2" ]; then
    echo "FAIL: $1 gave:"; echo "$got"; echo "wanted:"; echo "$2"; fail=1
  else echo "ok: $1"; fi
}
mkdir -p "$work/one-line/sources.list.d"
cat > "$work/one-line/sources.list" <<'LIST'
# a comment
deb [arch=amd64 signed-by=/keys/archive.gpg] file:/srv/archive/ubuntu jammy-security main restricted
deb [arch=amd64 signed-by=/keys/archive.gpg] file:/srv/mirror/ubuntu jammy main restricted # main
deb-src file:/srv/mirror/ubuntu jammy-updates main
deb file:/srv/mirror/ubuntu jammy-security main
deb file:/srv/other/repo stable contrib
LIST
echo "deb file:/srv/mirror/ubuntu jammy-backports universe" > "$work/one-line/sources.list.d/extra.list"
expect one-line "Types: deb-src
URIs: file:/srv/mirror/ubuntu
Suites: jammy jammy-updates
Components: main
Signed-By: /keys/archive.gpg"

mkdir -p "$work/deb822/sources.list.d"
cat > "$work/deb822/sources.list.d/system.sources" <<'LIST'
Types: deb
URIs: file:/srv/security/debian-security
Suites: bookworm-security
Components: main
Signed-By: /keys/debian.gpg

Types: deb
Enabled: no
URIs: file:/srv/disabled/debian
Suites: bookworm
Components: main

Types: deb deb-src
# a comment inside the stanza
URIs: file:/srv/mirror/debian
Suites: bookworm bookworm-updates
Components: main contrib
Signed-By: /keys/debian.gpg
LIST
echo "deb file:/srv/late/debian bookworm main" > "$work/deb822/sources.list.d/zz-late.list"
expect deb822 "Types: deb-src
URIs: file:/srv/mirror/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /keys/debian.gpg"

mkdir -p "$work/none/sources.list.d"
echo "# nothing here" > "$work/none/sources.list"
echo "deb file:/srv/other/repo stable contrib" > "$work/none/sources.list.d/other.list"
message=$(bash "$script" "$work/none" 2>&1 >/dev/null)
status=$?
if [ $status -ne 1 ] || ! grep -q "no apt source in $work/none" <<<"$message"; then
  echo "FAIL: no archive gave status $status: $message"; fail=1
else echo "ok: no archive: $message"; fi
exit $fail
