# shellcheck shell=bash
# What the cache's makers source: one run at a time makes a cache entry,
# and a second that wants it waits, then finds it whole, where both would
# make it and the slower one's move into place fail.
#
#   cache_lock ENTRY WHAT     # held until the script ends
cache_lock() {
  local fd
  mkdir -p "$(dirname "$1")"
  exec {fd}>"$1.lock"
  flock -n "$fd" || { echo "${0##*/}: waiting for another run that $2" >&2; flock "$fd"; }
}
