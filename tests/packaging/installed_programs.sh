#!/usr/bin/env bash
# Usage: installed_programs.sh BUILD_DIR VERSION SCRIPT_DIR
# Builds the two Debian packages from BUILD_DIR, checks what they hold and depend on, unpacks them
# into a fresh root and runs both programs from there: the server starts, answers and stops; the
# client, started as an ordinary user from its read-only folder, signs in through its stand-in
# libraries and remembers the account in ~/.config/vorenn/pz.ini.
set -euo pipefail
build=$1 version=$2 scripts=$3
work=$(mktemp -d)
server_pid=
trap '[ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/packages" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack"; }
client_deb=$work/packages/vorenn_${version}_$(dpkg --print-architecture).deb
server_deb=$work/packages/vorenn-server_${version}_$(dpkg --print-architecture).deb
[ -f "$client_deb" ] && [ -f "$server_deb" ] || { ls "$work/packages"; fail "two packages expected"; }

holds() {  # holds DEB PATH...
  local deb=$1; shift
  dpkg-deb -c "$deb" | awk '{print $6}' >"$work/list"
  for path in "$@"; do grep -qxF "./$path" "$work/list" || fail "$(basename "$deb") lacks /$path"; done
}
holds "$client_deb" usr/bin/vorenn usr/lib/vorenn/libvorenn_kernel32.so \
  usr/lib/vorenn/libvorenn_wininet.so usr/share/applications/vorenn.desktop \
  usr/share/icons/hicolor/16x16/apps/vorenn.png usr/share/icons/hicolor/48x48/apps/vorenn.png \
  usr/share/icons/hicolor/256x256/apps/vorenn.png usr/share/man/man6/vorenn.6
holds "$server_deb" usr/bin/vorenn-server usr/lib/systemd/system/vorenn-server.service \
  usr/share/man/man8/vorenn-server.8 usr/share/doc/vorenn-server/nginx-tls.conf
dpkg-deb -c "$server_deb" | grep -q 'usr/bin/vorenn$' && fail "the server package holds the client"
dpkg-deb -c "$client_deb" | grep -q 'vorenn-server' && fail "the client package holds the server"

# Dependencies come from the libraries the programs link (dpkg-shlibdeps), plus run-time plugins.
client_depends=$(dpkg-deb -f "$client_deb" Depends)
server_depends=$(dpkg-deb -f "$server_deb" Depends)
echo "vorenn depends: $client_depends"
echo "vorenn-server depends: $server_depends"
for dep in libcurl4 libqt6widgets6 qt6-qpa-plugins ca-certificates; do
  [[ $client_depends == *"$dep"* ]] || fail "vorenn does not depend on $dep"
done
for dep in libsqlite3-0 libsodium23 libstdc++6; do
  [[ $server_depends == *"$dep"* ]] || fail "vorenn-server does not depend on $dep"
done

root=$work/root
dpkg-deb -x "$client_deb" "$root"
dpkg-deb -x "$server_deb" "$root"
unit=$root/usr/lib/systemd/system/vorenn-server.service
for line in 'ExecStart=/usr/bin/vorenn-server ' 'DynamicUser=yes' 'StateDirectory=vorenn' \
            'ProtectSystem=strict' 'NoNewPrivileges=yes'; do
  grep -q "^$line" "$unit" || fail "unit lacks $line"
done
# systemd reads the unit without complaint (its program named where this test unpacked it).
if command -v systemd-analyze >/dev/null; then
  mkdir -p "$work/unit"
  sed "s|^ExecStart=/usr/bin/|ExecStart=$root/usr/bin/|" "$unit" >"$work/unit/vorenn-server.service"
  systemd-analyze verify --man=no "$work/unit/vorenn-server.service" >"$work/verify.txt" 2>&1 ||
    { cat "$work/verify.txt"; fail "systemd-analyze verify"; }
  [ ! -s "$work/verify.txt" ] || { cat "$work/verify.txt"; fail "systemd-analyze has remarks"; }
fi
grep -q '^Exec=vorenn$' "$root/usr/share/applications/vorenn.desktop" || fail "desktop entry"
# The icon theme's PNGs are the sizes their folders name.
for size in 16 48 256; do
  python3 - "$root/usr/share/icons/hicolor/${size}x${size}/apps/vorenn.png" "$size" <<'PY' ||
import struct, sys
data = open(sys.argv[1], 'rb').read(24)
assert data[:8] == b'\x89PNG\r\n\x1a\n', 'not a PNG'
assert struct.unpack('>II', data[16:24]) == (int(sys.argv[2]),) * 2, 'wrong size'
PY
    fail "icon ${size}x${size}"
done

[ "$("$root/usr/bin/vorenn" --version)" = "vorenn $version" ] || fail "client --version"
[ "$("$root/usr/bin/vorenn-server" --version)" = "vorenn-server $version" ] || fail "server --version"
"$root/usr/bin/vorenn" --help | grep -q '^usage: vorenn' || fail "client --help"
"$root/usr/bin/vorenn-server" --help | grep -q '^usage: vorenn-server' || fail "server --help"

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$root/usr/bin/vorenn-server" --listen "127.0.0.1:$port" --db "sqlite:$work/state/vorenn.db" --quiet \
  2>"$work/server.log" &
server_pid=$!
answered=
for _ in $(seq 1 100); do
  if curl -s -m 1 -d 'm=x&a=y' "http://127.0.0.1:$port/game/do.php" | grep -q '"b"'; then
    answered=1; break
  fi
  sleep 0.1
done
[ -n "$answered" ] || { cat "$work/server.log"; fail "the installed server did not answer"; }

# The client as a player runs it: an ordinary user who may not write into /usr/bin.
chmod 755 "$work"
home=$work/home
mkdir -p "$home"
cp "$scripts/sign_in.script" "$scripts/remembered.script" "$work/"
chmod -R a+rX "$work/root" "$work"/*.script
chmod a-w "$root/usr/bin"
as_player=()
if [ "$(id -u)" = 0 ]; then
  chown 65534:65534 "$home"
  as_player=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
fi
play() {
  env -i PATH=/usr/bin:/bin HOME="$home" VORENN_SERVER_URL="http://127.0.0.1:$port/game/do.php" \
    "${as_player[@]}" "$root/usr/bin/vorenn" --headless --script "$work/$1" >"$work/out.txt" 2>&1 ||
    { cat "$work/out.txt"; fail "client run of $1"; }
}
play sign_in.script
grep -q 'MSGBOX .*text=注册成功' "$work/out.txt" || { cat "$work/out.txt"; fail "no registration"; }
settings=$home/.config/vorenn/pz.ini
[ -f "$settings" ] || { ls -laR "$home"; fail "no $settings"; }
[ "$(stat -c %a "$settings")" = 600 ] || fail "pz.ini is $(stat -c %a "$settings"), not 600"
[ "$(stat -c %a "$home/.config/vorenn")" = 700 ] || fail "its folder is not 700"
[ ! -e "$root/usr/bin/pz.ini" ] || fail "pz.ini written beside the installed program"
play remembered.script

kill -TERM "$server_pid"
status=0
wait "$server_pid" || status=$?
server_pid=
[ "$status" = 0 ] || { cat "$work/server.log"; fail "the server ended with $status on SIGTERM"; }
echo "installed packages work"
