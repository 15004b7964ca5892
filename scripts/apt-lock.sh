#!/usr/bin/env bash
# Runs apt-get while another package manager (the system's own updates, a software centre) may
# hold the package manager's locks: it waits for them, up to apt_lock_timeout seconds, and says
# so when one is held. Other scripts source this file and call apt_get; $sudo is theirs.
#
# apt-get waits for dpkg's locks itself when given DPkg::Lock::Timeout, but not for the locks of
# the package lists (apt-get update) and of the downloaded packages; those are waited for here.

apt_lock_timeout=${apt_lock_timeout:-600}
apt_dpkg_locks=(/var/lib/dpkg/lock-frontend /var/lib/dpkg/lock)
apt_own_locks=(/var/lib/apt/lists/lock /var/cache/apt/archives/lock)
apt_lock_said=""

# apt_held_lock FILE...: prints the first of the files that a process holds a lock on, or fails
# when none is held. They are fcntl locks; /proc/locks names each held one by its device and
# inode, for any user, so this needs neither root nor an extra program.
apt_held_lock() {
    local file id
    for file in "$@"; do
        id=$(stat -c '%Hd %Ld %i' "$file" 2>/dev/null) || continue
        # shellcheck disable=SC2086  # the three numbers are meant to be split
        id=$(printf '%02x:%02x:%s' $id)
        if grep -q " $id " /proc/locks 2>/dev/null; then
            echo "$file"
            return 0
        fi
    done
    return 1
}

# apt_wait_for FILE...: returns when none of the files is locked, or after apt_lock_timeout
# seconds (apt-get then fails with its own message).
apt_wait_for() {
    local deadline=$((SECONDS + apt_lock_timeout))
    while apt_held_lock "$@" >/dev/null && [ "$SECONDS" -lt "$deadline" ]; do
        sleep 1
    done
}

# apt_get ARG...: $sudo apt-get ARG..., once the locks are free.
apt_get() {
    local lock
    if [ -z "$apt_lock_said" ] &&
       lock=$(apt_held_lock "${apt_dpkg_locks[@]}" "${apt_own_locks[@]}"); then
        echo "Another package manager is at work (it holds $lock):" \
             "waiting up to $((apt_lock_timeout / 60)) minutes for it" >&2
        apt_lock_said=yes
    fi
    apt_wait_for "${apt_own_locks[@]}"
    ${sudo:-} apt-get -o DPkg::Lock::Timeout="$apt_lock_timeout" "$@"
}
