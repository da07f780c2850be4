#!/usr/bin/env bash
# The Windows build end to end on a real serial path: the Linux trvsim on a
# pseudo-terminal that Wine's COM5 points at, vestan-cli.exe and trvCLNK.dll
# (the window's loader, request layer, portion loop and temporary file)
# download the journal and read the software image, each byte for byte what
# trvsim --dump wrote; then the same through the window's real widgets
# (test_windowline.exe) on the same line; then the journal once more through
# ser2net (RFC 2217, a TCP port chosen free) in front of the same line.
# Needs the Linux build's trvsim ($VESTAN_BUILD, default build/) and the
# Windows build (tools/windows/build.sh).
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${VESTAN_WINBUILD:-$top/build-win}
linux=${VESTAN_BUILD:-$top/build}
source "$top/tools/windows/wineenv.sh"
vestan_wine_prefix "$build/wineprefix"

trvsim=$linux/bin/trvsim
if [ ! -x "$trvsim" ]; then
  cmake --build "$linux" -j2 --target trvsim
fi

work=$(mktemp -d /tmp/vestan-wine-e2e.XXXXXX)
sim=
server=
cleanup() {
  [ -n "$sim" ] && kill "$sim" 2>/dev/null || true
  [ -n "$server" ] && kill "$server" 2>/dev/null || true
  rm -f "$WINEPREFIX/dosdevices/com5"
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
exit $status
