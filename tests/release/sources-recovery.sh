#!/bin/bash
# tools/make-release/musl-dev from an empty cache, where apt has only a
# stock Debian 12 host's one-line sources.list, after two runs that must
# fail on the same cache: the mirror out of reach, and an apt that fails
# the download.  Neither may leave anything that the third run trusts.
# shellcheck source=tests/lib/checks.sh
. "$(dirname "$0")/../lib/checks.sh"
# This machine's archives as one-line entries in sources.list, keys from
# trusted.gpg.d, no sources.list.d.
one_line=$scratch/one-line
mkdir "$one_line"
cp -a /etc/apt/. "$one_line/"
rm -f "$one_line"/sources.list.d/*.sources "$one_line"/sources.list.d/*.list
awk 'function flush() {
       if (types ~ /deb/) { n = split(suites, s, " "); for (i = 1; i <= n; i++) print "deb", uri, s[i], components }
       types = "" }
     /^[ \t]*$/ { flush(); next }
     /^Types:/ { types = $2 } /^URIs:/ { uri = $2 }
     /^Suites:/ { $1 = ""; suites = $0 } /^Components:/ { $1 = ""; components = substr($0, 2) }
     END { flush() }' /etc/apt/sources.list.d/*.sources >"$one_line/sources.list"
cat "$one_line/sources.list"
with_apt() {  # FOLDER COMMAND...: runs COMMAND with FOLDER as /etc/apt
  # shellcheck disable=SC2016
  unshare --mount --propagation private sh -c 'mount --bind "$1" /etc/apt && shift && exec "$@"' with-apt "$@"
}
# The mirror out of reach: a closed port on this machine.
closed=$scratch/closed
mkdir "$closed"
cp -a "$one_line/." "$closed/"
echo 'deb http://127.0.0.1:9/debian bookworm main' >"$closed/sources.list"
# An apt that fails the download itself, after its lists were updated.
mkdir "$scratch/stub"
cat >"$scratch/stub/apt-get" <<'SH'
#!/bin/sh
for arg; do [ "$arg" != source ] || { echo "E: a stand-in apt-get fails the download" >&2; exit 100; }; done
exec /usr/bin/apt-get "$@"
SH
chmod 755 "$scratch/stub/apt-get"
fresh=$scratch/cache
mkdir "$fresh"
must_fail "musl-dev with the mirror out of reach" \
  env CELLORA_RELEASE_CACHE="$fresh" bash -c "$(declare -f with_apt); with_apt $closed tools/make-release/musl-dev powerpc"
must_fail "musl-dev with an apt that fails the download" \
  env PATH="$scratch/stub:$PATH" CELLORA_RELEASE_CACHE="$fresh" \
  bash -c "$(declare -f with_apt); with_apt $one_line tools/make-release/musl-dev powerpc"
echo "now the one-line sources.list with the network"
got=$(CELLORA_RELEASE_CACHE=$fresh with_apt "$one_line" tools/make-release/musl-dev powerpc)
if [ "$got" != "$fresh/musl-powerpc" ] || [ ! -s "$fresh/musl-powerpc/.unpacked" ]; then
  echo "tools/make-release/musl-dev after the failed runs: \"$got\""
  exit 1
fi
