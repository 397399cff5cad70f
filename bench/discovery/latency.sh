#!/usr/bin/env bash
# Time from a search pass to the device's record in the store, for one
# broadcast device and one node-ssdp device on a simulated LAN.
#   bench/discovery/latency.sh BUILD_DIR [ROUNDS]
source "$(dirname "$0")/../../tests/net/lib.sh"
BUILD=$(cd "${1:-build}" && pwd)
ROUNDS=${2:-50}
if ! (net_require) 2>/dev/null; then
  echo "latency: skipped (needs root and network namespaces)"
  exit 0
fi
T=$NET_TMP
HERE=$NET_HERE

lan_bridge br1
lan_host app eth0 10.231.1.1/24 br1
lan_host d1 eth0 10.231.1.10/24 br1
lan_host s1 eth0 10.231.1.20/24 br1
bg_ns d1 $T/d1.log "$BUILD/lanscout-fakedevice" serve --quiet --ready $T/d1.ready \
  --device address=10.231.1.10,id=L-1,host=latency-box,vendor=KESTR9,product=TravelNAS
wait_for 20 "broadcast device" test -f $T/d1.ready
echo "latency: search pass to record in the store ($ROUNDS rounds each)"
printf '  broadcast device  '
in_ns app env LANSCOUT_BENCH_NETNS=1 "$BUILD/bench-net/discovery_latency" 10.231.1.10 "$ROUNDS"
if [[ -d $HERE/node_modules/node-ssdp ]]; then
  bg_ns s1 $T/s1.log node "$HERE/ssdp-device.js" --uuid 1a7e-0001 --address 10.231.1.20 --vendor KESTR9 \
    --host latency-ssdp --product TravelNAS --ad-interval 600000
  wait_ssdp_ready $T/s1.log
  printf '  node-ssdp device  '
  in_ns app env LANSCOUT_BENCH_NETNS=1 "$BUILD/bench-net/discovery_latency" 10.231.1.20 "$ROUNDS"
fi
