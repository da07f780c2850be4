# Sourced by the scripts that build: started through sudo, they go on as the
# user who asked, once the packages are in, so build/ never becomes root's.
if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
  exec sudo -u "$SUDO_USER" -H env VESTAN_BUILD="$build" "$0" "$@"
fi
