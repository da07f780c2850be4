#!/usr/bin/env bash
# check-install.sh BUILD STAGE: installs BUILD under STAGE/usr and checks the
# layout, the program's run path and the desktop metadata.
set -euo pipefail
build=$1
stage=$2
prefix=$stage/usr

rm -rf "$stage"
cmake --install "$build" --prefix "$prefix" >/dev/null

failed=0
fail() {
  echo "install: $*" >&2
  failed=1
}

for file in bin/vestan bin/vestan-cli bin/trvsim bin/linesim \
    lib/vestan/trvCLNK.so lib/vestan/libtarvel.so \
    share/doc/vestan/user-guide.md \
    share/applications/org.vestan.Vestan.desktop \
    share/metainfo/org.vestan.Vestan.metainfo.xml \
    share/icons/hicolor/scalable/apps/vestan.svg share/icons/hicolor/48x48/apps/vestan.png \
    share/doc/vestan/copyright share/doc/vestan/changelog.Debian.gz \
    share/man/man1/vestan.1.gz share/man/man1/vestan-cli.1.gz \
    share/man/man1/trvsim.1.gz share/man/man1/linesim.1.gz; do
  [ -f "$prefix/$file" ] || fail "missing $file"
done
for tool in vestan vestan-cli trvsim linesim; do
  [ -x "$prefix/bin/$tool" ] || fail "bin/$tool is not executable"
done
# The libraries are private: nothing of them may land in bin/ or lib/ itself.
for stray in bin/trvCLNK.so lib/trvCLNK.so lib/libtarvel.so; do
  [ ! -e "$prefix/$stray" ] || fail "$stray must not be installed"
done

# Every picture the guide shows is installed beside it.
guide=$prefix/share/doc/vestan
for picture in $(grep -o '](images/[^)]*)' "$guide/user-guide.md" | sed 's/^](//; s/)$//' | sort -u); do
  [ -f "$guide/$picture" ] || fail "the guide's $picture is not installed"
done

# The installed program reaches its private libraries through its run path,
# never through the build folder.
for program in vestan vestan-cli; do
  runpath=$(readelf -d "$prefix/bin/$program" | sed -n 's/.*(\(RUNPATH\|RPATH\)).*\[\(.*\)\]/\2/p')
  [ "$runpath" = '$ORIGIN/../lib/vestan' ] || fail "bin/$program run path is '$runpath'"
  resolved=$(env -u LD_LIBRARY_PATH ldd "$prefix/bin/$program" | sed -n 's/^\s*libtarvel\.so => \(\S*\).*/\1/p')
  [ "$(readlink -f "$resolved")" = "$(readlink -f "$prefix/lib/vestan/libtarvel.so")" ] ||
    fail "bin/$program loads libtarvel.so from '$resolved'"
done
# The installed command line runs on the installed libraries.
env -u LD_LIBRARY_PATH "$prefix/bin/vestan-cli" --help >/dev/null || fail "bin/vestan-cli --help"
version=$(env -u LD_LIBRARY_PATH "$prefix/bin/vestan-cli" --version) || fail "bin/vestan-cli --version"
for tool in trvsim linesim; do
  [ "$("$prefix/bin/$tool" --version)" = "$tool ${version#vestan-cli }" ] || fail "bin/$tool --version"
done
grep -q "<release version=\"${version#vestan-cli }\"" "$prefix/share/metainfo/org.vestan.Vestan.metainfo.xml" ||
  fail "the metainfo has no release ${version#vestan-cli }"

desktop-file-validate "$prefix/share/applications/org.vestan.Vestan.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$prefix/share/metainfo/org.vestan.Vestan.metainfo.xml" >/dev/null ||
  fail "metainfo"
grep -qx 'Icon=vestan' "$prefix/share/applications/org.vestan.Vestan.desktop" || fail "icon name"

if [ "$failed" -eq 0 ]; then
  echo "install: layout under $prefix is complete"
  rm -rf "$stage"
fi
exit "$failed"
