#!/usr/bin/env bash
# Builds the Debian package from a configured and built tree, installs it
# (as root, with apt-get) and runs the installed program: --version, then the
# saver under Xvfb with the password turned on. A wrong password must leave
# the saver running and the right one end it, which shows that the installed
# program finds its password component. Usage: tools/ci-package-test.sh [build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

fail() {
    echo "ci-package-test: $*" >&2
    exit 1
}

echo "-- package"
rm -f "$build"/vantorix_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/vantorix_*.deb)
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6, $7, $8}'
dpkg-deb -f "$deb" Depends
apt-get install -y -qq -o DPkg::Lock::Timeout=120 --no-install-recommends --reinstall "./$deb" >/dev/null

echo "-- installed program"
version=$(/usr/bin/vantorix --version)
[[ "$version" =~ ^vantorix\ [0-9]+(\.[0-9]+)*$ ]] || fail "--version printed \"$version\""
echo "$version"
/usr/bin/vantorix --help | grep -q -- "-s" || fail "--help lists no modes"
for f in /usr/libexec/xscreensaver/vantorix /usr/lib/vantorix/libvxpassword.so \
    /usr/share/applications/vantorix.desktop /usr/share/man/man6/vantorix.6.gz; do
    [[ -e "$f" ]] || fail "$f is not installed"
done
[[ ! -f data/vantorix.xml || -f /usr/share/xscreensaver/config/vantorix.xml ]] ||
    fail "XScreenSaver's settings page is not installed"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate /usr/share/applications/vantorix.desktop
fi

echo "-- saver with the password on"
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
mkdir -m 700 "$config/vantorix"
printf '[Control Panel\\Desktop]\nScreenSaveUsePassword=1\n' >"$config/vantorix/desktop.ini"
# The store keeps a salted yescrypt hash on one line, readable only by its owner.
password=jets-$RANDOM
salt=$(head -c 12 /dev/urandom | base64 | tr '+' '.')
(umask 077 && perl -e 'print crypt($ARGV[0], "\$y\$j9T\$$ARGV[1]\$"), "\n"' "$password" "$salt" \
    >"$config/vantorix/screensaver-password")
grep -q '^\$y\$' "$config/vantorix/screensaver-password" || fail "could not hash a password"

XDG_CONFIG_HOME=$config PASSWORD=$password xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -u
    /usr/bin/vantorix -s 2>/dev/null &
    saver=$!
    # Ask to close the saver, then answer the password dialog with $1.
    answer() {
        sleep 1
        xdotool mousemove 100 100 sleep 0.3 mousemove 400 300
        dialog=$(timeout 10 xdotool search --sync --onlyvisible --name "^Screen Saver\$" | head -n 1)
        if [[ -z "$dialog" ]]; then
            echo "no password dialog; windows shown:" >&2
            xdotool search --onlyvisible --name . getwindowname %@ >&2
            return 1
        fi
        xdotool windowfocus --sync "$dialog" type --delay 30 "$1"
        xdotool key Return
    }
    sleep 4 # the title card
    answer "not-$PASSWORD" || exit 1
    # "Wrong password": dismissed, and the saver goes on.
    timeout 10 xdotool search --sync --onlyvisible --name "^Screen Saver\$" >/dev/null
    sleep 0.5
    xdotool key Return
    sleep 1
    kill -0 "$saver" 2>/dev/null || { echo "the saver ended on a wrong password" >&2; exit 1; }
    answer "$PASSWORD" || exit 1
    for _ in $(seq 50); do
        kill -0 "$saver" 2>/dev/null || break
        sleep 0.2
    done
    if kill -0 "$saver" 2>/dev/null; then
        echo "the saver did not end with the right password" >&2
        kill "$saver"
        exit 1
    fi
    wait "$saver"
' || fail "the installed saver did not take its password"
echo "-- package test passed"
