# Sourced: installs the Debian packages the build and tests need, only those
# that are missing, so a second run does nothing. A PACKAGE:i386 name (32-bit
# wine) first adds the i386 architecture to dpkg when it is not there yet.

LRX_PACKAGES="cmake g++ make libgtest-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 xvfb
wine32:i386 clang-14 libclang-rt-14-dev zlib1g-dev libzstd-dev liblzma-dev libbz2-dev pkg-config
python3-pytest ccache"

lrx_install_packages() {
    local missing= new_arch=
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
    case $missing in
        *:i386*) dpkg --print-foreign-architectures | grep -qx i386 || new_arch=i386 ;;
    esac
    echo "installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    if [ -n "$new_arch" ]; then
        echo "adding the $new_arch architecture to dpkg (32-bit wine)"
        dpkg --add-architecture "$new_arch" || return 1
    fi
    apt-get update -qq >/dev/null &&
        apt-get install -y -qq --no-install-recommends $missing >/dev/null
}
