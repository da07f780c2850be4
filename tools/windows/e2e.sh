#!/usr/bin/env bash
# The Windows build end to end on a real serial path: the Linux trvsim on a
# pseudo-terminal that Wine's COM5 points at, vestan-cli.exe and trvCLNK.dll
# (the window's loader, request layer, portion loop and temporary file)
# download the journal and read the software image, each byte for byte what
# trvsim --dump wrote; then the same through the window's real widgets
# (test_windowline.exe) on the same line; the journal once more through
# ser2net (RFC 2217, a TCP port chosen free) in front of the same line. Then
# a line where nothing answers (the retry question after every attempt) and
# one that goes dead in the middle of replies (linesim) on Wine's COM6.
# Needs the Linux build's trvsim and linesim ($VESTAN_BUILD, default build/)
# and the Windows build (tools/windows/build.sh).
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${VESTAN_WINBUILD:-$top/build-win}
linux=${VESTAN_BUILD:-$top/build}
source "$top/tools/windows/wineenv.sh"
vestan_wine_prefix "$build/wineprefix"

trvsim=$linux/bin/trvsim
linesim=$linux/bin/linesim
if [ ! -x "$trvsim" ] || [ ! -x "$linesim" ]; then
  cmake --build "$linux" -j2 --target trvsim linesim
fi

work=$(mktemp -d /tmp/vestan-wine-e2e.XXXXXX)
sim=
cut=
cutsim=
server=
cleanup() {
  local pid
  for pid in $sim $server $cutsim $cut; do kill "$pid" 2>/dev/null || true; done
  rm -f "$WINEPREFIX/dosdevices/com5" "$WINEPREFIX/dosdevices/com6"
  rm -rf "$work"
}
trap cleanup EXIT

"$trvsim" --link "$work/line" --dump "$work/dump" --records 400 --record-size 48 \
  --flash-size 98304 >"$work/sim.log" 2>&1 &
sim=$!
for _ in $(seq 50); do [ -L "$work/line" ] && break; sleep 0.1; done
[ -L "$work/line" ] || { echo "e2e: trvsim did not start: $(cat "$work/sim.log")" >&2; exit 1; }
ln -sfn "$(readlink "$work/line")" "$WINEPREFIX/dosdevices/com5"

winpath() { echo "Z:${1//\//\\}"; }
status=0
# The program and the libraries in a folder of their own, with a trvCLNK.ini
# beside the DLL that puts the library's COM12 on the device COM5; portions of
# 1000 bytes leave a short last one.
mkdir -p "$work/app"
cp "$build"/bin/{vestan-cli.exe,trvCLNK.dll,tarvel.dll} "$work/app/"
printf '[COM12]\r\nDevice=COM5\r\n' >"$work/app/trvCLNK.ini"
if ! wine "$work/app/vestan-cli.exe" journal --port COM12 --net 33 --portion 1000 \
    -o "$(winpath "$work/journal.dat")" >"$work/cli.log" 2>&1; then
  echo "e2e: vestan-cli.exe failed:" >&2
  cat "$work/cli.log" >&2
  status=1
elif ! cmp "$work/journal.dat" "$work/dump/journal.dat"; then
  echo "e2e: the journal downloaded under Wine differs from trvsim's" >&2
  status=1
else
  echo "e2e: journal of $(stat -c %s "$work/journal.dat") bytes through COM12 = COM5 under Wine, byte-identical"
fi
# The software image of a size other than the standard ones, read as reported.
if ! wine "$work/app/vestan-cli.exe" image --size reported --port COM12 --net 33 \
    -o "$(winpath "$work/flash.bin")" >"$work/cli.log" 2>&1; then
  echo "e2e: vestan-cli.exe image failed:" >&2
  cat "$work/cli.log" >&2
  status=1
elif ! cmp "$work/flash.bin" "$work/dump/0900.bin"; then
  echo "e2e: the image read under Wine differs from trvsim's" >&2
  status=1
else
  echo "e2e: software image of $(stat -c %s "$work/flash.bin") bytes under Wine, byte-identical"
fi
# The window itself, offscreen, on the same library, port and controller.
if ! VESTAN_LINE_PORT=COM12 VESTAN_LINE_NET=33 VESTAN_LINE_DUMP="$(winpath "$work/dump")" \
    VESTAN_LINE_LIBRARY="$(winpath "$work/app/trvCLNK.dll")" \
    wine "$build/tests/test_windowline.exe" -platform offscreen >"$work/window.log" 2>&1; then
  echo "e2e: the window's journal download or image upload under Wine failed:" >&2
  cat "$work/window.log" >&2
  status=1
else
  echo "e2e: the window downloaded the journal and read the image under Wine, byte-identical"
fi
# A network port: ser2net serves the same pseudo-terminal over RFC 2217.
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf '%%YAML 1.1\n---\nconnection: &wine\n  accepter: telnet(rfc2217),tcp,127.0.0.1,%s\n  connector: serialdev,%s,115200n81,local\n' \
  "$port" "$work/line" >"$work/ser2net.yaml"
/usr/sbin/ser2net -n -u -c "$work/ser2net.yaml" -P "$work/ser2net.pid" >"$work/ser2net.log" 2>&1 &
server=$!
for _ in $(seq 50); do
  python3 -c 'import socket,sys; socket.create_connection(("127.0.0.1", int(sys.argv[1])), 0.2).close()' "$port" 2>/dev/null && break
  sleep 0.1
done
sleep 0.2
printf '[COM13]\r\nDevice=rfc2217://127.0.0.1:%s\r\n' "$port" >>"$work/app/trvCLNK.ini"
if ! wine "$work/app/vestan-cli.exe" journal --port COM13 --net 33 \
    -o "$(winpath "$work/journal-net.dat")" >"$work/cli.log" 2>&1; then
  echo "e2e: vestan-cli.exe through ser2net failed:" >&2
  cat "$work/cli.log" "$work/ser2net.log" >&2
  status=1
elif ! cmp "$work/journal-net.dat" "$work/dump/journal.dat"; then
  echo "e2e: the journal through ser2net under Wine differs from trvsim's" >&2
  status=1
else
  echo "e2e: journal through ser2net (RFC 2217) under Wine, byte-identical"
fi
kill "$server" 2>/dev/null || true
wait "$server" 2>/dev/null || true
server=
# Nobody answers at network number 34: every attempt waits out the reply
# time-out (300 ms here), then the retry question, answered no.
printf '[COM12]\r\nDevice=COM5\r\nReplyTimeoutMs=300\r\n' >"$work/app/trvCLNK.ini"
started=$(date +%s%N)
if timeout 120 wine "$work/app/vestan-cli.exe" clock --port COM12 --net 34 \
    >"$work/cli.log" 2>&1; then
  echo "e2e: vestan-cli.exe read a clock where no controller answers" >&2
  status=1
elif [ "$(grep -c 'Повторить операцию?' "$work/cli.log")" != 1 ] ||
  [ $(( ($(date +%s%N) - started) / 1000000 )) -lt 3000 ]; then
  echo "e2e: a silent line under Wine did not end in the retry question after the attempts:" >&2
  cat "$work/cli.log" >&2
  status=1
else
  echo "e2e: a silent line under Wine asked the retry question after the attempts"
fi
# A line that goes dead for 300 ms after every 6000 bytes, in the middle of
# replies: the broken ones are asked again and the journal still arrives whole.
"$linesim" --a "$work/cutA" --b "$work/cutB" --baud 115200 --cut-after 6000 \
  --cut-every 6000 --cut-ms 300 --stats "$work/cut.stats" >"$work/cut.log" 2>&1 &
cut=$!
for _ in $(seq 50); do grep -q '^ready' "$work/cut.log" && break; sleep 0.1; done
"$trvsim" --device "$work/cutB" --dump "$work/cutdump" --records 400 --record-size 48 \
  >"$work/cutsim.log" 2>&1 &
cutsim=$!
ln -sfn "$(readlink "$work/cutA")" "$WINEPREFIX/dosdevices/com6"
printf '[COM12]\r\nDevice=COM6\r\n' >"$work/app/trvCLNK.ini"
for _ in $(seq 50); do [ -f "$work/cutdump/journal.dat" ] && break; sleep 0.1; done
if ! timeout 300 wine "$work/app/vestan-cli.exe" journal --port COM12 --net 33 \
    -o "$(winpath "$work/cut.dat")" >"$work/cli.log" 2>&1; then
  echo "e2e: vestan-cli.exe failed on a line that goes dead in the middle of replies:" >&2
  cat "$work/cli.log" >&2
  status=1
elif ! cmp "$work/cut.dat" "$work/cutdump/journal.dat"; then
  echo "e2e: the journal downloaded across the dead spells differs from trvsim's" >&2
  status=1
else
  kill "$cut"
  wait "$cut" || true
  cut=
  lost=$(sed -n 's/.*direction=b_to_a.* cut=\([0-9]*\).*/\1/p' "$work/cut.stats")
  if [ "${lost:-0}" -gt 0 ]; then
    echo "e2e: journal byte-identical across dead spells that cut $lost reply bytes under Wine"
  else
    echo "e2e: the dead spells of the line cut no reply bytes: $(cat "$work/cut.stats")" >&2
    status=1
  fi
fi
exit $status
