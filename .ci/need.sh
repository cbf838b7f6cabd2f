# Sourced by the CI scripts: `need PACKAGE...` installs those of the Debian packages that are
# missing, and runs apt-get update only then.
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
  $S env DEBIAN_FRONTEND=noninteractive apt-get update
  $S env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}
