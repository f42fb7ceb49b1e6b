#!/usr/bin/env bash
# Stored files that hang, crash or mislead a careless reader: a brush whose
# cells are a FIFO and a link to /dev/zero, and preferences from a later
# version. The program starts, logs what it skipped, ends at once on SIGTERM
# and keeps the entries it does not understand.
#   survives_hostile_store.sh <overink>
set -u
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
overink=$1
home=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
  rm -rf "$home"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; echo "--- log" >&2; cat "$home/log" >&2; exit 1; }

store=$home/.local/share/Overink/gimp-brushes
mkdir -p "$store" "$home/.config/overink"
id=0F0F0F0F-1111-2222-3333-444444444444
mkfifo "$store/${id}_0.png"
ln -s /dev/zero "$store/${id}_1.png"
printf '[{"id":"%s","name":"Hostile","cellFilenames":["%s_0.png","%s_1.png"],"diameter":9,"spacing":25,"opacity":1}]' \
  "$id" "$id" "$id" >"$store/brushes.json"
later='"overink.fromLaterVersion": {"int64": 12345678901234567890}'
printf '{\n    %s,\n    "overink.activeGIMPBrushID": {"string": "%s"},\n    %s\n}\n' \
  "$later" "$id" '"overink.lineWidth": {"double": 1000000}' >"$home/.config/overink/defaults.json"

HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share XDG_RUNTIME_DIR=$home \
  "$overink" >"$home/log" 2>&1 &
pid=$!
logged() { grep -q "$1" "$home/log"; }
wait_until 20 logged 'Brush "Hostile".*2 of 2 cell images skipped (not a regular file)' ||
  fail "the skipped cells were not logged"
logged "not a regular file): $store/${id}_0.png, $store/${id}_1.png" || fail "the FIFO was not named in the log"
logged "overink.lineWidth.*brought to 100" || fail "the stored width was not brought into range"
kill -0 "$pid" 2>/dev/null || fail "overink exited early"

kill -TERM "$pid"
alive() { kill -0 "$pid" 2>/dev/null; }
dead() { ! alive; }
wait_until 5 dead || fail "overink did not end within 5 s of SIGTERM"
wait "$pid"
status=$?
pid=
[ "$status" -eq 0 ] || fail "overink exited with status $status after SIGTERM"
# The brush that loaded nothing stopped being active: the preferences were
# saved, and the later version's entry is still there, byte for byte.
grep -q "overink.activeGIMPBrushID" "$home/.config/overink/defaults.json" && fail "the active brush was kept"
grep -qF "$later" "$home/.config/overink/defaults.json" || fail "the later version's entry was lost"
exit 0
