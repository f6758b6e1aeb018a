#!/usr/bin/env bash
# Two folders kept in step by Syncthing, a Dereziz in each: every round edits
# memos through the programs on one side or on both at once (so that
# Syncthing makes conflict copies), then waits until both Syncthing
# instances have the folders in sync. At the end both folders must hold the
# same memos, every text written and not deliberately deleted or replaced,
# and no conflict copy in a data folder.
#   Usage: scripts/sync-soak.sh [rounds]   (default 50; DEREZIZ_SOAK_SEED picks the edits)
# Last line: "<n> rounds, <m> edits, <k> conflicts folded, <l> lost".
# The two Syncthing instances listen on 127.0.0.1 only: no discovery, no
# relays, no NAT traversal. Everything the script starts, it stops.
set -u
root="$(cd "$(dirname "$0")/.." && pwd)"
rounds="${1:-50}"
build="$root/build/win"
work="$build/soak"
folder_id="dereziz-soak"

say() { echo "[soak] $*"; }

if ! command -v syncthing >/dev/null 2>&1; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  say "installing syncthing"
  inst() {
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends \
      syncthing >/dev/null
  }
  # Package lists older than the package's current version need an update.
  inst || { $SUDO apt-get -o DPkg::Lock::Timeout=600 update -qq && inst; } ||
    { echo "cannot install syncthing" >&2; exit 2; }
fi
if [ ! -f "$build/dereziz_e2e.exe" ] || [ ! -f "$build/dereziz.exe" ]; then
  bash "$root/scripts/build.sh" win >/dev/null || { echo "the Windows build failed" >&2; exit 2; }
fi

pids=()
control_pid=""
cleanup() {
  [ -n "$control_pid" ] && kill "$control_pid" 2>/dev/null
  for s in A B; do
    [ -f "$work/home$s/config.xml" ] && api "$s" POST /rest/system/shutdown >/dev/null 2>&1
  done
  for p in "${pids[@]}"; do
    for _ in $(seq 50); do kill -0 "$p" 2>/dev/null || break; sleep 0.1; done
    kill "$p" 2>/dev/null
    wait "$p" 2>/dev/null
  done
}
trap cleanup EXIT

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
declare -A gui key id port
api() {  # api <side> <GET|POST> <path>
  curl -sf -m 10 -X "$2" -H "X-API-Key: ${key[$1]}" "http://127.0.0.1:${gui[$1]}$3"
}

rm -rf "$work"
mkdir -p "$work/control"
for s in A B; do
  mkdir -p "$work/$s/data" "$work/$s/.stfolder"
  # Each PC's own backups stay its own; temporary files of a replacement
  # are never worth carrying across.
  printf '/backup\n*.tmp\n*.part\n' >"$work/$s/.stignore"
  syncthing generate --home="$work/home$s" --no-default-folder --skip-port-probing >/dev/null 2>&1 ||
    { echo "syncthing generate failed" >&2; exit 2; }
  id[$s]="$(syncthing --home="$work/home$s" --device-id)"
  gui[$s]="$(free_port)"
  port[$s]="$(free_port)"
done
for s in A B; do
  o=B; [ "$s" = B ] && o=A
  key[$s]="$(python3 - "$work/home$s/config.xml" "$s" "${id[$s]}" "${id[$o]}" "${port[$s]}" "${port[$o]}" \
      "${gui[$s]}" "$work/$s" "$folder_id" <<'EOF'
import sys, xml.etree.ElementTree as ET
path, side, me, other, port, oport, gui, folder, fid = sys.argv[1:]
tree = ET.parse(path); c = tree.getroot()
opts = c.find('options')
def setopt(name, value):
    e = opts.find(name)
    if e is None: e = ET.SubElement(opts, name)
    e.text = value
setopt('listenAddress', 'tcp://127.0.0.1:' + port)
for name in ('globalAnnounceEnabled', 'localAnnounceEnabled', 'relaysEnabled', 'natEnabled',
             'startBrowser', 'crashReportingEnabled', 'restartOnWakeup'):
    setopt(name, 'false')
setopt('urAccepted', '-1')
setopt('autoUpgradeIntervalH', '0')
setopt('reconnectionIntervalS', '1')
g = c.find('gui'); g.find('address').text = '127.0.0.1:' + gui
for d in c.findall('device'): d.find('address').text = 'tcp://127.0.0.1:' + port
od = ET.SubElement(c, 'device', id=other, name='B' if side == 'A' else 'A', compression='metadata',
                   introducer='false', skipIntroductionRemovals='false', introducedBy='')
ET.SubElement(od, 'address').text = 'tcp://127.0.0.1:' + oport
ET.SubElement(od, 'paused').text = 'false'
ET.SubElement(od, 'autoAcceptFolders').text = 'false'
f = ET.SubElement(c, 'folder', id=fid, label=fid, path=folder, type='sendreceive', rescanIntervalS='3600',
                  fsWatcherEnabled='true', fsWatcherDelayS='1', ignorePerms='false', autoNormalize='true')
ET.SubElement(f, 'filesystemType').text = 'basic'
for dev in (me, other):
    ET.SubElement(f, 'device', id=dev, introducedBy='')
# Without it the copies are not kept at all.
ET.SubElement(f, 'maxConflicts').text = '-1'
ET.SubElement(f, 'markerName').text = '.stfolder'
tree.write(path)
print(g.find('apikey').text)
EOF
)"
done
for s in A B; do
  syncthing serve --home="$work/home$s" --no-browser --no-restart --no-upgrade >"$work/syncthing-$s.log" 2>&1 &
  pids+=($!)
done
for s in A B; do
  for _ in $(seq 300); do api "$s" GET /rest/system/ping >/dev/null 2>&1 && break; sleep 0.2; done
  api "$s" GET /rest/system/ping >/dev/null || { echo "syncthing $s did not start (see $work/syncthing-$s.log)" >&2; exit 2; }
done
say "syncthing A on 127.0.0.1:${port[A]}, B on 127.0.0.1:${port[B]}"

# Both instances connected and idle with nothing to pull, each sees the
# other complete, and the folders hold the same files (the backup folders
# and temporary files aside). One Python for all of it: on a busy machine
# starting it costs more than the questions.
settled() {
  python3 - "$folder_id" "$work" "${gui[A]}" "${key[A]}" "${id[A]}" "${gui[B]}" "${key[B]}" "${id[B]}" <<'EOF'
import hashlib, json, os, sys, urllib.request
fid, work, ga, ka, ia, gb, kb, ib = sys.argv[1:]
def get(gui, key, path):
    req = urllib.request.Request('http://127.0.0.1:%s%s' % (gui, path), headers={'X-API-Key': key})
    return json.load(urllib.request.urlopen(req, timeout=10))
def tree(top):
    out = {}
    for d, dirs, files in os.walk(top):
        rel = os.path.relpath(d, top)
        if rel == 'backup' or rel.startswith('backup' + os.sep) or rel.startswith('.st'):
            continue
        for f in files:
            if f.startswith('.st') or f.endswith('.tmp'):
                continue
            with open(os.path.join(d, f), 'rb') as h:
                out[os.path.join(rel, f)] = hashlib.md5(h.read()).hexdigest()
    return out
try:
    for gui, key, other in ((ga, ka, ib), (gb, kb, ia)):
        st = get(gui, key, '/rest/db/status?folder=' + fid)
        if st['state'] != 'idle' or st['needTotalItems'] != 0 or st.get('pullErrors', 0) != 0:
            sys.exit(1)
        if get(gui, key, '/rest/db/completion?folder=%s&device=%s' % (fid, other))['completion'] != 100:
            sys.exit(1)
        if not get(gui, key, '/rest/system/connections')['connections'][other]['connected']:
            sys.exit(1)
except Exception:
    sys.exit(1)
sys.exit(0 if tree(os.path.join(work, 'A')) == tree(os.path.join(work, 'B')) else 1)
EOF
}
wait_in_sync() {
  local stable=0
  for _ in $(seq 400); do
    for s in A B; do api "$s" POST "/rest/db/scan?folder=$folder_id" >/dev/null 2>&1; done
    if settled; then
      stable=$((stable + 1))
      # Twice in a row: a copy made by the last pull is scanned and carried too.
      [ "$stable" -ge 2 ] && return 0
    else
      stable=0
    fi
    sleep 0.2
  done
  return 1
}
pause_both() {
  api A POST "/rest/system/pause?device=${id[B]}" >/dev/null && api B POST "/rest/system/pause?device=${id[A]}" >/dev/null
}
resume_both() {
  api A POST "/rest/system/resume?device=${id[B]}" >/dev/null && api B POST "/rest/system/resume?device=${id[A]}" >/dev/null
}

wait_in_sync || { echo "the two instances never got in sync" >&2; exit 1; }

# Answers the driver's requests (see tests/e2e/sync_soak_test.cpp).
answer_requests() {
  local req n what answer
  while :; do
    if [ -f "$work/control/request" ]; then
      req="$(cat "$work/control/request")"
      rm -f "$work/control/request"
      n="${req%% *}"
      what="$(printf '%s' "${req#* }" | tr -d '\r\n')"
      case "$what" in
        pause) pause_both && answer=ok || answer="pause failed" ;;
        sync) resume_both && wait_in_sync && answer=ok || answer="not in sync" ;;
        *) answer="unknown request" ;;
      esac
      printf '%s %s\n' "$n" "$answer" >"$work/control/reply.part"
      mv "$work/control/reply.part" "$work/control/reply"
    fi
    sleep 0.1
  done
}
answer_requests &
control_pid=$!

say "$rounds rounds"
DEREZIZ_SOAK_A="$work/A" DEREZIZ_SOAK_B="$work/B" DEREZIZ_SOAK_CONTROL="$work/control" \
DEREZIZ_SOAK_ROUNDS="$rounds" DEREZIZ_SOAK_SEED="${DEREZIZ_SOAK_SEED:-1}" \
DEREZIZ_E2E_TIMEOUT="${DEREZIZ_E2E_TIMEOUT:-$((600 + rounds * 120))}" \
  bash "$root/scripts/run-e2e.sh" "$build" --gtest_also_run_disabled_tests --gtest_filter='SyncSoak.*'
rc=$?
if [ -f "$work/control/summary" ]; then
  tr -d '\r' <"$work/control/summary"
else
  echo "$rounds rounds: the soak did not finish (driver exit code $rc)"
fi
exit "$rc"
