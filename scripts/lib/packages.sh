# Sourced: installs the Debian packages the build and tests need, only those
# that are missing, so a second run does nothing.

LRX_PACKAGES="cmake g++ make libgtest-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 xvfb
clang-14 libclang-rt-14-dev zlib1g-dev libzstd-dev liblzma-dev libbz2-dev pkg-config"

lrx_install_packages() {
    local missing=
    for package in $LRX_PACKAGES "$@"; do
        if [ "$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null)" != installed ]; then
            missing="$missing $package"
        fi
    done
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" != 0 ]; then
        echo "missing packages:$missing (run as root to install them)" >&2
        return 1
    fi
    echo "installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq >/dev/null &&
        apt-get install -y -qq --no-install-recommends $missing >/dev/null
}
