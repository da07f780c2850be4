#!/usr/bin/env bash
# Installs what is missing, builds, starts the controller simulator on a
# pseudo-terminal wired to COM2 and starts the program against it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VESTAN_BUILD:-$top/build}

"$top/tools/setup.sh"
. "$top/tools/build-env.sh"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2 --target vestan trvCLNK trvsim

run="$build/run"
mkdir -p "$run"
line="$run/COM2"

"$build/bin/trvsim" --link "$line" --net 33 "$@" &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$line" ] && break; sleep 0.1; done
if [ ! -e "$line" ]; then
    echo "start: the simulator did not come up" >&2
    exit 1
fi

# The link library reads its port table beside itself. Point COM2 at the
# simulator and keep every other setting the user made in the setup dialog.
ini="$build/bin/trvCLNK.ini"
touch "$ini"
awk -v dev="$line" '
    BEGIN { in2 = 0; done = 0 }
    /^[ \t]*\[/ {
        if (in2 && !done) { print "Device=" dev; done = 1 }
        in2 = (toupper($0) ~ /^[ \t]*\[COM2\][ \t\r]*$/)
        print; next
    }
    in2 && tolower($0) ~ /^[ \t]*device[ \t]*=/ { if (!done) { print "Device=" dev; done = 1 } next }
    { print }
    END {
        if (in2 && !done) { print "Device=" dev; done = 1 }
        if (!done) { print "[COM2]"; print "Device=" dev }
    }' "$ini" > "$ini.new" && mv "$ini.new" "$ini"

"$build/bin/vestan"
