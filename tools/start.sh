#!/usr/bin/env bash
# Installs what is missing, builds, starts the controller simulator on a
# pseudo-terminal wired to COM2 and starts the program against it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VESTAN_BUILD:-$top/build}

"$top/tools/setup.sh"
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

# The link library reads its port table beside itself.
cat > "$build/bin/trvCLNK.ini" <<INI
[COM2]
Device=$line
Baud=115200
INI

"$build/bin/vestan"
