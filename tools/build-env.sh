# Sourced by the scripts that build, once setup has run. Started through sudo
# they go on as the user who asked, so build/ never becomes root's; ccache,
# when there, lets several checkouts share their compiled objects.
if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ] &&
  command -v sudo >/dev/null; then
  exec sudo -u "$SUDO_USER" -H env VESTAN_BUILD="$build" "$0" "$@"
fi
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
  export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$top} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
fi
