#!/usr/bin/env bash
# scripts/simulator.sh: scripts/run.sh starts the tool only once the simulator serves its
# device, and stops when the simulator does not start.
# Usage: tst_start_simulator.sh SOURCE_FOLDER SIMULATOR
# shellcheck source-path=SCRIPTDIR
set -uo pipefail
# shellcheck source=check.sh
source "$(dirname "$0")/check.sh"
# shellcheck source=../../scripts/simulator.sh
source "$1/scripts/simulator.sh"
simulator=$2

scratch=$(mktemp -d)
trap 'sim_stop; rm -rf "$scratch"' EXIT
output=$scratch/output err=$scratch/err

# fake NAME SCRIPT: a stand-in simulator that runs the bash SCRIPT.
fake() {
    printf '#!/usr/bin/env bash\n%s\n' "$2" >"$scratch/$1"
    chmod +x "$scratch/$1"
    echo "$scratch/$1"
}
running() { kill -0 "$1" 2>/dev/null; }

# The simulator itself.
sim_start "$simulator" "$output" --tags 0000BC61 2>"$err"
check "the simulator starts" test $? -eq 0
check "its device is known" test -c "$sim_device"
check "it runs" running "$sim_pid"
pid=$sim_pid
sim_stop
check "sim_stop ends it" test "$(running "$pid"; echo $?)" = 1
check "and forgets it" test -z "$sim_pid"

start=$SECONDS
sim_start "$simulator" "$output" --no-such-option 2>"$err"
check "a simulator that ends at once: fails" test $? -eq 1
check "at once" test $((SECONDS - start)) -le 2
check "with its exit status" grep -q '^The simulator did not start: it ended with exit status 2\.$' "$err"
check "its own complaint is shown" grep -q 'no-such-option' "$err"

# Stand-ins for a simulator that is slow, hangs or prints something else.
sim_start_timeout=1
slow=$(fake slow 'sleep 0.6; echo "device /dev/null"; exec sleep 30')
sim_start "$slow" "$output" 2>"$err"
check "a slow start is waited for" test $? -eq 0
check "and its device is read" test "$sim_device" = /dev/null
sim_stop

start=$SECONDS
hung=$(fake hung 'echo "waiting for nothing"; exec sleep 30')
sim_start "$hung" "$output" 2>"$err"
check "a simulator that names no device: fails" test $? -eq 1
check "after the timeout" test $((SECONDS - start)) -le 3
check "saying so" grep -q '^The simulator did not start: it named no device within 1 s\.$' "$err"
check "with what it printed" grep -q '^  waiting for nothing$' "$err"
check "and it is ended" test "$(pgrep -f "$hung" | wc -l)" -eq 0

late=$(fake late 'echo "starting"; echo "device /dev/null"; exec sleep 30')
sim_start "$late" "$output" 2>"$err"
check "only a first line names the device" test $? -eq 1
check "and then none is known" test -z "$sim_device"

check_done
