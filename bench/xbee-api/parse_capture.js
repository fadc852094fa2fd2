// Parses a capture file (escaped API frames) with node's xbee-api, parse only, in 64 KiB
// pieces as a serial port would hand them over; prints one JSON line: bytes, frames, and the
// processor seconds the parsing took (user and system, as the C++ benchmarks count time).
'use strict';
const fs = require('fs');
const xbeeApi = require('xbee-api');

const path = process.argv[2];
const runs = Number(process.argv[3] || 3);
const data = fs.readFileSync(path);
let best = null;
for (let run = 0; run < runs; ++run) {
  const parser = new xbeeApi.XBeeAPI({ api_mode: 2 });
  let frames = 0;
  let errors = 0;
  parser.on('frame_object', () => { ++frames; });
  parser.on('error', () => { ++errors; });
  const before = process.cpuUsage();
  for (let at = 0; at < data.length; at += 65536)
    parser.parseRaw(data.subarray(at, Math.min(at + 65536, data.length)));
  const used = process.cpuUsage(before);
  const seconds = (used.user + used.system) / 1e6;
  if (best === null || seconds < best.seconds)
    best = { bytes: data.length, frames, errors, seconds, mbps: data.length / seconds / 1e6 };
}
process.stdout.write(JSON.stringify(best) + '\n');
