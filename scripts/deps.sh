# Sourced by ./run and ./test: installs the Debian packages that are missing, nothing more.
KORVID_PACKAGES=(build-essential cmake ninja-build pkg-config libgtest-dev zlib1g-dev libpcre2-dev
                 libpng-dev qt6-base-dev qt6-websockets-dev nlohmann-json3-dev
                 fonts-dejavu-core xvfb xauth dpkg-dev file)

korvid_install_missing() {
    local missing=() pkg
    for pkg in "${KORVID_PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# korvid_build DIR [cmake options...]
korvid_build() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j "$(nproc)"
}
