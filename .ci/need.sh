# Sourced by the CI scripts: `need PACKAGE...` installs those of the Debian packages that are
# missing, and runs apt-get update only then; as the README's commands, through
# tools/install-packages.sh, so no service comes of it.
need() {
  local missing=()
  local package
  for package in "$@"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  local S
  S=$([ "$(id -u)" = 0 ] || echo sudo)
  echo "+ apt-get install ${missing[*]}"
  $S bash "$(dirname "${BASH_SOURCE[0]}")/../tools/install-packages.sh" "${missing[@]}"
}
