#!/usr/bin/env bash
# Prints a deb822 source list of deb-src entries for the machine's own main archive, read from its
# apt sources in either format: one-line entries ("deb [options] URI SUITE COMPONENTS...") in
# sources.list and sources.list.d/*.list, or deb822 stanzas in sources.list.d/*.sources. The
# archive is the first enabled entry with the main component whose suite is not a security one;
# every such suite of the same address comes along (bookworm and bookworm-updates, say). Exits with
# status 1 and a message when no source names an archive.
# Usage: apt-sources.sh [APT_ETC_DIR]   (default /etc/apt)
set -euo pipefail
etc=${1:-/etc/apt}
files=()
[ -f "$etc/sources.list" ] && files+=("$etc/sources.list")
for f in "$etc"/sources.list.d/*; do   # in name order, as apt reads them
  case $f in *.list|*.sources) [ -f "$f" ] && files+=("$f") ;; esac
done
# One "URI SUITE SIGNED-BY" line per suite of every enabled entry with main (SIGNED-BY "-" if none).
entries() {
  local f
  for f in "${files[@]}"; do
    case $f in
    *.sources)
      awk '
        function flush(   n, i, s, t) {
          if (types ~ /(^| )deb(-src)?( |$)/ && enabled != "no" && (" " components " ") ~ / main / && uris != "") {
            n = split(suites, s, " ")
            split(uris, t, " ")
            for (i = 1; i <= n; i++) print t[1], s[i], (signed == "" ? "-" : signed)
          }
          types = uris = suites = components = signed = enabled = ""
        }
        /^[ \t]*#/ { next }
        /^[ \t]*$/ { flush(); next }
        /^[ \t]/ { next }   # continuation lines (an inline key)
        {
          field = tolower($1); sub(/:$/, "", field)
          value = $0; sub(/^[^:]*:[ \t]*/, "", value); sub(/[ \t]+$/, "", value)
          if (field == "types") types = value
          else if (field == "uris") uris = value
          else if (field == "suites") suites = value
          else if (field == "components") components = value
          else if (field == "enabled") enabled = tolower(value)
          else if (field == "signed-by" && value ~ /^\//) signed = value
        }
        END { flush() }' "$f" ;;
    *)
      awk '
        { sub(/#.*/, "") }
        $1 == "deb" || $1 == "deb-src" {
          signed = "-"; i = 2
          if ($2 ~ /^\[/) {   # options up to the closing bracket
            while (i <= NF) {
              option = $i; gsub(/[][]/, "", option)
              if (option ~ /^signed-by=\//) { signed = option; sub(/^signed-by=/, "", signed) }
              if ($i ~ /\]$/) { i++; break }
              i++
            }
          }
          uri = $i; suite = $(i + 1); main = 0
          for (j = i + 2; j <= NF; j++) if ($j == "main") main = 1
          if (main && uri != "" && suite != "") print uri, suite, signed
        }' "$f" ;;
    esac
  done
}
list=$(entries)
archive=$(awk '$2 !~ /-security$/ && $2 !~ /\/updates$/ { print $1; exit }' <<<"$list")
if [ -z "$archive" ]; then
  echo "apt-sources: no apt source in $etc names an archive with the main component (looked in" \
       "sources.list, sources.list.d/*.list and sources.list.d/*.sources); add the machine's archive" \
       "there, as for installing packages" >&2
  exit 1
fi
suites=$(awk -v a="$archive" '$1 == a && $2 !~ /-security$/ && !seen[$2]++ { printf "%s%s", sep, $2; sep = " " }' <<<"$list")
signed=$(awk -v a="$archive" '$1 == a && $3 != "-" { print $3; exit }' <<<"$list")
printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\n' "$archive" "$suites"
[ -z "$signed" ] || printf 'Signed-By: %s\n' "$signed"
