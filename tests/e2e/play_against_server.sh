#!/usr/bin/env bash
# Usage: play_against_server.sh VORENN VORENN_SERVER SCRIPT
# Starts the game server on a free loopback port with a throw-away database, plays SCRIPT with the
# headless client against it, and checks what the player saw.
set -euo pipefail
client=$1 server=$2 script=$3
work=$(mktemp -d)
trap 'kill "$server_pid" 2>/dev/null || true; rm -rf "$work"' EXIT

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$server" --listen "127.0.0.1:$port" --db "sqlite:$work/game.db" --announcement "欢迎" --quiet &
server_pid=$!
for _ in $(seq 1 100); do
  curl -s -m 1 -d 'm=x&a=y' "http://127.0.0.1:$port/game/do.php" | grep -q '"b"' && break
  sleep 0.1
done

# The client keeps its settings file beside the program: run a copy from the work folder.
cp "$client" "$work/vorenn"
cp "$(dirname "$client")"/libvorenn_*.so "$work/" 2>/dev/null || true
status=0
VORENN_SERVER_URL="http://127.0.0.1:$port/game/do.php" \
  "$work/vorenn" --headless --script "$script" >"$work/out.txt" 2>"$work/err.txt" || status=$?
cat "$work/out.txt" "$work/err.txt"
[ "$status" -eq 0 ] || { echo "client exited with $status"; exit 1; }

grep -q 'MSGBOX .*text=注册成功' "$work/out.txt" || { echo "no registration box"; exit 1; }
grep -q 'MSGBOX .*text=角色创建成功' "$work/out.txt" || { echo "no creation box"; exit 1; }
grep -q 'MSGBOX .*caption=询问 text=确认要退出登录？' "$work/out.txt" || { echo "no sign-out question"; exit 1; }
grep '"name":"超级列表框_排行榜"' "$work/out.txt" | grep -q '测试侠' || { echo "leaderboard lacks the player"; exit 1; }
[ "$(stat -c %a "$work/pz.ini")" = 600 ] || { echo "settings file is not private"; exit 1; }
echo "played against the server"
