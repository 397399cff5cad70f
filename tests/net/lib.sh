# Shared helpers of the network tests, the demo and the benchmarks: a
# simulated LAN made of network namespaces joined by veth pairs and bridges.
# Everything is made under a prefix unique to this process and removed on
# exit, on failure and on interruption. Nothing here touches the machine's
# own namespace besides creating and deleting the named namespaces.
#
# Source it, then:
#   net_require      skip (exit 77) unless root and `ip netns` work
#   lan_bridge BR    a bridge BR in the LAN namespace
#   lan_host NAME IF ADDR/LEN BR
#                    namespace "$(ns NAME)" (made on first use) gets interface
#                    IF with ADDR, cabled to bridge BR; the first interface
#                    of a host carries its default route
#   lan_addr NAME IF ADDR/LEN   one more address on an interface
#   in_ns NAME CMD...           run CMD inside a host's namespace
#   bg_ns NAME LOG CMD...       the same in the background (killed at exit)
#   wait_for SECONDS DESC CMD...  poll CMD until it succeeds, or fail

set -euo pipefail

NET_SKIP=77
NET_PREFIX=${NET_PREFIX:-ls$$}
NET_LAN="${NET_PREFIX}-lan"
NET_NAMESPACES=()
NET_PIDS=()
NET_TMP=$(mktemp -d "${TMPDIR:-/tmp}/lanscout-net.XXXXXX")
NET_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

net_log() { printf '%s\n' "$*" >&2; }
net_fail() {
  net_log "FAIL: $*"
  exit 1
}

net_cleanup() {
  local pid ns
  for pid in "${NET_PIDS[@]}"; do
    kill -TERM "$pid" 2>/dev/null || true
  done
  for pid in "${NET_PIDS[@]}"; do
    # Give well-behaved peers a moment (farewells), then make sure.
    for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  NET_PIDS=()
  # Whatever we started that still runs in our namespaces goes with them:
  # asked first (devices say goodbye), then made to.
  local left=()
  for ns in "${NET_NAMESPACES[@]}"; do
    left+=($(ip netns pids "$ns" 2>/dev/null || true))
  done
  if ((${#left[@]})); then
    kill -TERM "${left[@]}" 2>/dev/null || true
    for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 "${left[@]}" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "${left[@]}" 2>/dev/null || true
  fi
  for ns in "${NET_NAMESPACES[@]}"; do
    ip netns delete "$ns" 2>/dev/null || true
  done
  NET_NAMESPACES=()
  rm -rf "$NET_TMP"
}
trap 'status=$?; net_cleanup; exit $status' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

net_require() {
  if [[ $(id -u) -ne 0 ]]; then
    net_log "SKIP: network namespaces need root (run the tests as root)"
    exit $NET_SKIP
  fi
  local probe="${NET_PREFIX}-probe"
  if ! ip netns add "$probe" 2>/dev/null; then
    net_log "SKIP: 'ip netns add' is not permitted here"
    exit $NET_SKIP
  fi
  ip netns delete "$probe"
}

ns() { printf '%s-%s' "$NET_PREFIX" "$1"; }

net_make_ns() {
  local name=$1
  ip netns list | grep -qw -- "$name" && return 0
  ip netns add "$name"
  NET_NAMESPACES+=("$name")
  ip -n "$name" link set lo up
}

lan_bridge() {
  net_make_ns "$NET_LAN"
  ip -n "$NET_LAN" link add "$1" type bridge mcast_snooping 0
  ip -n "$NET_LAN" link set "$1" up
}

NET_CABLE=0
lan_host() {
  local name=$1 itf=$2 addr=$3 bridge=$4
  local host
  host=$(ns "$name")
  local first=0
  ip netns list | grep -qw -- "$host" || first=1
  net_make_ns "$host"
  NET_CABLE=$((NET_CABLE + 1))
  local peer="c${NET_CABLE}"
  ip -n "$host" link add "$itf" type veth peer name "$peer" netns "$NET_LAN"
  ip -n "$NET_LAN" link set "$peer" master "$bridge" up
  ip -n "$host" addr add "$addr" dev "$itf"
  ip -n "$host" link set "$itf" up
  if ((first)); then
    ip -n "$host" route add default dev "$itf"
  fi
}

lan_addr() { ip -n "$(ns "$1")" addr add "$3" dev "$2"; }

in_ns() {
  local host
  host=$(ns "$1")
  shift
  ip netns exec "$host" "$@"
}

bg_ns() {
  local host log=$2
  host=$(ns "$1")
  shift 2
  ip netns exec "$host" "$@" >"$log" 2>&1 &
  NET_PIDS+=($!)
  NET_LAST_PID=$!
}

# Stops one background process (SIGTERM, then SIGKILL) and waits for it.
bg_stop() {
  local pid=$1
  kill -TERM "$pid" 2>/dev/null || true
  for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

wait_for() {
  local seconds=$1 what=$2
  shift 2
  local deadline=$((SECONDS + seconds))
  until "$@" >/dev/null 2>&1; do
    if ((SECONDS >= deadline)); then net_fail "timed out after ${seconds}s waiting for: $what"; fi
    sleep 0.1
  done
}

# Waits until a node-ssdp device (ssdp-device.js) reports it is listening.
wait_ssdp_ready() { wait_for 30 "SSDP device ready ($1)" grep -q '^ready' "$1"; }

# The JSON lines of a lanscout-scan output (trace lines filtered out).
json_lines() { grep '^{' "$1" || true; }

# Field of the JSON device line whose ip is IP: json_field FILE IP KEY
json_field() {
  json_lines "$1" | IP="$2" KEY="$3" node -e '
    const lines = require("fs").readFileSync(0, "utf8").split("\n").filter(Boolean).map(JSON.parse);
    const hit = lines.filter(l => l.ip === process.env.IP).pop();
    if (!hit) process.exit(1);
    process.stdout.write(String(hit[process.env.KEY]));'
}

expect_eq() {
  local what=$1 want=$2 got=$3
  [[ "$want" == "$got" ]] || net_fail "$what: expected '$want', got '$got'"
}

count_lines() { grep -c -F -- "$2" "$1" || true; }
