#!/usr/bin/env bash
# Usage: flows_on_windows.sh WINDOWS_BUILD LINUX_BUILD
# The player's flows (flows.script) played twice against one reference server on a free loopback
# port: by the headless client (its virtual clock) and by vorenn.exe on its Win32 backend under Wine,
# on a display of its own (real time). Both must pass every `expect`, and their transcripts must
# read the same but for the dump's unit lines (amounts there depend on how long the server ran); then
# what each player saw is checked: the boxes, their own row on the leaderboard with the level bought,
# and the tray tip.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
win_build=$1 build=$2
program=$win_build/bin/vorenn.exe
for f in "$program" "$build/bin/vorenn" "$build/bin/vorenn-server"; do
  [ -f "$f" ] || { echo "flows_on_windows: no $f" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/vorenn-win-flows.XXXXXX")
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$build/bin/vorenn-server" --listen "127.0.0.1:$port" --db "sqlite:$work/game.db" --announcement "欢迎" --quiet \
  >"$work/server.log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do
  curl -s -m 1 -d 'm=x&a=y' "http://127.0.0.1:$port/game/do.php" | grep -q '"b"' && break
  sleep 0.1
done
url="http://127.0.0.1:$port/game/do.php"

# Each player has names of their own; the transcripts are compared with the names put back.
script_for() {  # ACCOUNT NAME FILE
  sed -e "s|@ACCOUNT@|$1|g" -e "s|@NAME@|$2|g" "$root/tests/e2e/flows.script" >"$3"
}
mkdir -p "$work/headless" "$work/windows"
script_for flowhl 流程甲 "$work/headless/flows.script"
script_for flowwin 流程乙 "$work/windows/flows.script"

# Both clients keep their settings file beside the program: each runs a copy in its own folder.
cp "$build/bin/vorenn" "$work/headless/"
cp "$build"/bin/libvorenn_*.so "$work/headless/" 2>/dev/null || true
cp "$program" "$work/windows/"

status=0
VORENN_SERVER_URL=$url "$work/headless/vorenn" --headless --script "$work/headless/flows.script" \
  >"$work/headless/out.txt" 2>"$work/headless/err.txt" || status=$?
echo "--- headless (exit $status)"
cat "$work/headless/out.txt" "$work/headless/err.txt" | grep -v '^{"name"' || true
[ "$status" -eq 0 ] || { echo "flows_on_windows: the headless client failed"; exit 1; }

VORENN_SERVER_URL=$url "$root/scripts/wine-run" --display "$work/windows/vorenn.exe" \
  --script "Z:$work/windows/flows.script" >"$work/windows/out.txt" 2>"$work/windows/err.txt" || status=$?
# Windows programs write their lines with CR LF.
sed -i 's/\r$//' "$work/windows/out.txt" "$work/windows/err.txt"
echo "--- windows (exit $status)"
cat "$work/windows/out.txt" "$work/windows/err.txt" | grep -v '^{"name"' || true
[ "$status" -eq 0 ] || { echo "flows_on_windows: vorenn.exe failed"; exit 1; }

fail() { echo "flows_on_windows: $*"; exit 1; }
check() {  # SIDE NAME
  local out=$work/$1/out.txt
  grep -q 'MSGBOX .*text=注册成功' "$out" || fail "$1: no registration box"
  grep -q 'MSGBOX .*text=角色创建成功' "$out" || fail "$1: no creation box"
  [ "$(grep -c 'MSGBOX style=4 caption=询问 text=确认要退出登录？' "$out")" = 2 ] || fail "$1: not two sign-out questions"
  grep '"name":"超级列表框_排行榜"' "$out" | grep -q "\"$2\",\"2\"" || fail "$1: the leaderboard lacks $2 at output 2"
  grep -qF "{\"tray\":true,\"tip\":\"点击恢复！\\r\\nVorenn 1.0 - [$2]\"}" "$out" || fail "$1: no tray tip naming $2"
}
check headless 流程甲
check windows 流程乙
same() {  # SIDE ACCOUNT NAME
  grep -v '^{"name"' "$work/$1/out.txt" | sed -e "s|$2|@ACCOUNT@|g" -e "s|$3|@NAME@|g"
}
if ! diff <(same headless flowhl 流程甲) <(same windows flowwin 流程乙); then
  fail "the transcripts differ"
fi
echo "flows_on_windows: the same flows give the same results on the headless and Win32 backends"
