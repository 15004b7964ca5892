#!/usr/bin/env bash
# scripts/apt-lock.sh: which lock is held, waiting for it, and the apt-get it runs.
# Usage: tst_apt_lock.sh SOURCE_FOLDER
# shellcheck source-path=SCRIPTDIR disable=SC2034  # the variables are apt-lock.sh's
set -uo pipefail
# shellcheck source=check.sh
source "$(dirname "$0")/check.sh"
# shellcheck source=../../scripts/apt-lock.sh
source "$1/scripts/apt-lock.sh"

scratch=$(mktemp -d)
holders=()
# shellcheck disable=SC2317  # called by the trap
cleanup() {
    local pid
    for pid in "${holders[@]}"; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
    rm -rf "$scratch"
}
trap cleanup EXIT
free=$scratch/free held=$scratch/held
touch "$free" "$held"

# hold FILE SECONDS: another process locks FILE for a while.
hold() {
    # The lock stays with the open file, which the sleep keeps: ending the sleep lets it go.
    (exec 9>"$1" && flock 9 && exec sleep "$2") &
    holders+=($!)
    local _
    for _ in $(seq 50); do
        [ -n "$(apt_held_lock "$1")" ] && return 0
        sleep 0.1
    done
    echo "could not lock $1" >&2
    exit 1
}

check "no lock held: fails, names nothing" \
    test "$(apt_held_lock "$free" "$scratch/missing"; echo "status $?")" = "status 1"

hold "$held" 30
check "the held one of several is named" \
    test "$(apt_held_lock "$free" "$scratch/missing" "$held")" = "$held"
check "a free file next to a held one is not taken for it" \
    test "$(apt_held_lock "$free"; echo "status $?")" = "status 1"

# dpkg and apt take fcntl locks, not flock ones; they show the same way in /proc/locks.
if command -v python3 >/dev/null; then
    fcntl=$scratch/fcntl
    python3 -c 'import fcntl, sys, time
f = open(sys.argv[1], "w"); fcntl.lockf(f, fcntl.LOCK_EX); time.sleep(30)' "$fcntl" &
    holders+=($!)
    for _ in $(seq 100); do [ -n "$(apt_held_lock "$fcntl")" ] && break; sleep 0.1; done
    check "an fcntl lock is seen" test "$(apt_held_lock "$fcntl")" = "$fcntl"
fi

# Waiting: up to the timeout while held, and no longer than the holder keeps it.
apt_lock_timeout=2
start=$SECONDS
apt_wait_for "$held"
check "gives up after the timeout while the lock stays held" test $((SECONDS - start)) -le 4
check "does not give up before the timeout" test $((SECONDS - start)) -ge 1
start=$SECONDS
apt_lock_timeout=30
apt_wait_for "$free"
check "does not wait for a free lock" test $((SECONDS - start)) -le 1
short=$scratch/short
touch "$short"
hold "$short" 2
start=$SECONDS
apt_wait_for "$short"
check "returns once the lock is let go" test $((SECONDS - start)) -le 5
check "and only then" test -z "$(apt_held_lock "$short")"

# apt_get: the lock timeout is handed to apt-get, and the wait is said once, only when held.
sudo="echo"
apt_lock_timeout=600
apt_dpkg_locks=("$scratch/missing")
apt_own_locks=("$free")
out=$(apt_get update -qq 2>&1)
check "apt-get waits for dpkg's lock itself" \
    test "$out" = "apt-get -o DPkg::Lock::Timeout=600 update -qq"
apt_dpkg_locks=("$held")
out=$(apt_get install -y x 2>&1)
check "a held lock is named, with the time waited" \
    grep -q "^Another package manager is at work (it holds $held): waiting up to 10 minutes" \
    <<<"$out"
check "apt-get then runs" grep -q '^apt-get -o DPkg::Lock::Timeout=600 install -y x$' <<<"$out"
apt_get update >/dev/null 2>"$scratch/second"
apt_get update >/dev/null 2>>"$scratch/second"
check "said once in a run" test "$(grep -c 'Another package manager' "$scratch/second")" -eq 1

check_done
