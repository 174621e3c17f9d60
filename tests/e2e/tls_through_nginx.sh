#!/usr/bin/env bash
# Usage: tls_through_nginx.sh VORENN VORENN_SERVER SOURCE_DIR
# The game server behind nginx terminating TLS with the sample configuration of deploy/, on a
# certificate of a private authority made here. The headless client signs in over https when it
# trusts that authority (SSL_CERT_FILE adds it to the system's store), and refuses the server when it
# does not, or when the certificate does not name the host it asked for.
set -euo pipefail
client=$1 server=$2 source=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
server_pid= nginx_pid=
trap '[ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null; [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

# A private authority and a certificate for "localhost" that it signs.
cd "$work"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Vorenn Test Authority" \
  -keyout ca.key -out ca.pem 2>/dev/null
openssl req -newkey rsa:2048 -nodes -subj "/CN=localhost" -keyout server.key -out server.csr 2>/dev/null
printf 'subjectAltName=DNS:localhost\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' >ext.cnf
openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
  -extfile ext.cnf -out server.pem 2>/dev/null

game_port=$(free_port)
# As the packaged unit runs it: loopback only, the players' addresses taken from nginx.
"$server" --listen "127.0.0.1:$game_port" --db "sqlite:$work/game.db" --trusted-proxy 127.0.0.1 \
  --quiet 2>"$work/server.log" &
server_pid=$!

# The sample site, pointed at this test's ports, certificate and loopback only.
tls_port=$(free_port) plain_port=$(free_port)
sed -e "s|server 127.0.0.1:8573;|server 127.0.0.1:$game_port;|" \
    -e "s|listen 443 ssl;|listen 127.0.0.1:$tls_port ssl;|" \
    -e "s|listen 80;|listen 127.0.0.1:$plain_port;|" \
    -e '/listen \[::\]/d' \
    -e "s|server_name game.example.org;|server_name localhost;|" \
    -e "s|/etc/ssl/vorenn/fullchain.pem|$work/server.pem|" \
    -e "s|/etc/ssl/vorenn/privkey.pem|$work/server.key|" \
    "$source/deploy/nginx-tls.conf" >site.conf
grep -q "$work/server.pem" site.conf && grep -q "127.0.0.1:$game_port" site.conf || fail "sample config changed shape"
mkdir -p temp
cat >nginx.conf <<CONF
daemon off;
pid $work/nginx.pid;
error_log $work/error.log;
events { worker_connections 64; }
http {
    access_log $work/access.log;
    client_body_temp_path $work/temp/body;
    proxy_temp_path $work/temp/proxy;
    fastcgi_temp_path $work/temp/fastcgi;
    uwsgi_temp_path $work/temp/uwsgi;
    scgi_temp_path $work/temp/scgi;
    include $work/site.conf;
}
CONF
nginx -p "$work" -c "$work/nginx.conf" -e "$work/error.log" &
nginx_pid=$!

ready=
for _ in $(seq 1 100); do
  if curl -s -m 1 --cacert ca.pem -d 'm=x&a=y' "https://localhost:$tls_port/game/do.php" | grep -q '"b"'; then
    ready=1; break
  fi
  sleep 0.1
done
[ -n "$ready" ] || { cat error.log server.log; fail "nginx with TLS did not answer"; }
requests() { grep -c 'POST /game/do.php' access.log || true; }

# The client keeps its settings beside the program: a copy in the work folder.
cp "$client" "$work/vorenn"
cp "$(dirname "$client")"/libvorenn_*.so "$work/"
play() {  # play SCRIPT URL [VAR=VALUE...]
  local script=$1 url=$2; shift 2
  env -u SSL_CERT_FILE -u CURL_CA_BUNDLE "$@" VORENN_SERVER_URL="$url" \
    "$work/vorenn" --headless --script "$here/$script" >"$work/out.txt" 2>&1 ||
    { cat "$work/out.txt"; fail "client run of $script against $url"; }
}

# Trusted: register, sign in, create-character box; the requests went through nginx.
before=$(requests)
play tls_sign_in.script "https://localhost:$tls_port/game/do.php" SSL_CERT_FILE="$work/ca.pem"
grep -q 'MSGBOX .*text=注册成功' out.txt || { cat out.txt; fail "no registration over TLS"; }
[ "$(requests)" -ge $((before + 2)) ] || fail "the sign-in did not pass through nginx"

# Not trusted (the system's store alone), and trusted but for another host name: refused before
# any request reaches nginx's HTTP side.
before=$(requests)
play tls_refused.script "https://localhost:$tls_port/game/do.php"
grep -q 'MSGBOX .*错误信息' out.txt || { cat out.txt; fail "an untrusted server was not reported"; }
play tls_refused.script "https://127.0.0.1:$tls_port/game/do.php" SSL_CERT_FILE="$work/ca.pem"
grep -q 'MSGBOX .*错误信息' out.txt || { cat out.txt; fail "a certificate for another host was accepted"; }
[ "$(requests)" = "$before" ] || fail "a refused client's request reached nginx"
# CURL_CA_BUNDLE names an added authority as well.
play tls_login.script "https://localhost:$tls_port/game/do.php" CURL_CA_BUNDLE="$work/ca.pem"
[ "$(requests)" -ge $((before + 1)) ] || fail "the sign-in with CURL_CA_BUNDLE did not pass through nginx"
echo "signed in over TLS through nginx; untrusted and misnamed certificates refused"
