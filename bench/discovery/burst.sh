#!/usr/bin/env bash
# 500 simulated devices (500 addresses on the device side) answer one
# broadcast search at the same moment; how many does lanscout-scan list,
# with the system's default receive buffer and with the larger one?
#   bench/discovery/burst.sh BUILD_DIR [DEVICES] [RUNS]
source "$(dirname "$0")/../../tests/net/lib.sh"
BUILD=$(cd "${1:-build}" && pwd)
DEVICES=${2:-500}
RUNS=${3:-5}
if ! (net_require) 2>/dev/null; then
  echo "burst: skipped (needs root and network namespaces)"
  exit 0
fi
T=$NET_TMP

lan_bridge br1
lan_host app eth0 10.231.0.1/16 br1
lan_host dev eth0 10.231.3.254/16 br1
# The device addresses, in one batch.
for ((n = 0; n < DEVICES; n++)); do
  echo "addr add 10.231.$((4 + n / 250)).$((1 + n % 250))/16 dev eth0"
done >$T/addrs
ip -n "$(ns dev)" -batch $T/addrs
# One simulated device per address (x.x.4.1 to x.x.4.250, then x.x.5.1 ...).
args=()
for ((n = 0; n < DEVICES; n++)); do
  a=10.231.$((4 + n / 250)).$((1 + n % 250))
  args+=(--device "address=$a,id=burst-$n,host=burst-$n,vendor=KESTR9,product=TravelNAS")
done
bg_ns dev $T/dev.log "$BUILD/lanscout-fakedevice" serve --quiet --ready $T/dev.ready "${args[@]}"
wait_for 30 "burst device ready" test -f $T/dev.ready

rmem_max=$(cat /proc/sys/net/core/rmem_max)
rmem_default=$(cat /proc/sys/net/core/rmem_default)
run() {
  local label=$1
  shift
  local counts=()
  for ((r = 1; r <= RUNS; r++)); do
    "$@" >$T/out 2>/dev/null || true
    counts+=("$(grep -c '^{' $T/out || true)")
  done
  local sorted
  sorted=($(printf '%s\n' "${counts[@]}" | sort -n))
  printf '  %-52s min %s, median %s, max %s of %d listed (runs: %s)\n' "$label" "${sorted[0]}" \
    "${sorted[$((RUNS / 2))]}" "${sorted[$((RUNS - 1))]}" "$DEVICES" "${counts[*]}"
}
echo "burst: $DEVICES devices answering one broadcast search (rmem_default $rmem_default, rmem_max $rmem_max)"
scan=(ip netns exec "$(ns app)" "$BUILD/lanscout-scan" --json --seconds 3)
run "system default receive buffer (--receive-buffer 0)" "${scan[@]}" --receive-buffer 0
run "1 MiB receive buffer, without CAP_NET_ADMIN" \
  ip netns exec "$(ns app)" capsh --drop=cap_net_admin -- -c "'$BUILD/lanscout-scan' --json --seconds 3"
run "1 MiB receive buffer, forced (root or CAP_NET_ADMIN)" "${scan[@]}"
