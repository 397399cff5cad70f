// A simulated SSDP device on node-ssdp, a third-party implementation: it
// answers M-SEARCH for the storage device type and announces itself with
// NOTIFY alive (and byebye when stopped) on 239.143.255.250:1900.
//
//   node ssdp-device.js --uuid ID --address A --vendor V --host H --product P
//        [--extra E] [--firmware F] [--interface IF] [--ad-interval MS]
//        [--location URL] [--server TEXT]
//
// Prints "ready" once its sockets are bound. On SIGTERM or SIGINT it says
// byebye, waits for the datagrams to leave and ends.
'use strict'

const { Server } = require('node-ssdp')

const args = {}
for (let i = 2; i < process.argv.length; i += 2) {
  const key = process.argv[i].replace(/^--/, '')
  args[key] = process.argv[i + 1]
}

const firmware = args.firmware || '2.0.4'
const descriptor = [args.vendor || 'Kestr9', args.host || 'travelbox', args.product || 'TravelNAS']
if (args.extra !== undefined) descriptor.push(args.extra)
const server = args.server || `Linux/4.14 VELQ/${firmware}, UPnP/1.0, ${descriptor.join('/')}`
const location = args.location || `http://${args.address}:80/description.xml`

const device = new Server({
  ssdpIp: '239.143.255.250',
  ssdpPort: 1900,
  ssdpTtl: 2,
  ssdpSig: server,
  udn: `uuid:${args.uuid}`,
  location,
  adInterval: Number(args['ad-interval'] || 5000),
  interfaces: args.interface ? [args.interface] : undefined,
  // node-ssdp puts SERVER into answers and alive announcements only; the
  // devices carry it (and with it the firmware token) in byebye too.
  headers: { SERVER: server },
  // Only the two entries below are announced and answered.
  suppressRootDeviceAdvertisements: true,
})
// NOTIFY ... NT: upnp:rootdevice, USN: uuid:<id>::upnp:rootdevice
device.addUSN('upnp:rootdevice')
// The answer to the program's M-SEARCH (ST: the storage device type).
device.addUSN('urn:schemas-upnp-org:device:HomeNasDevice:1')

let stopping = false
function stop() {
  if (stopping) return
  stopping = true
  device.advertise(false)
  // The byebye datagrams are sent asynchronously: let them leave first.
  setTimeout(() => {
    device.stop()
    process.exit(0)
  }, 400)
}
process.on('SIGTERM', stop)
process.on('SIGINT', stop)

device.start().then(() => {
  console.log(`ready ${args.uuid} ${args.address}`)
}).catch((err) => {
  console.error(`ssdp-device: ${err.message}`)
  process.exit(1)
})
// Keep the process alive (node-ssdp unrefs its sockets).
setInterval(() => {}, 1 << 30)
