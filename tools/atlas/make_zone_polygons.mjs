// Writes the time-zone boundaries that orvenda-chart reads for a birth place given by its
// coordinates, and that the atlas takes each place's zone from: the polygons of
// timezone-boundary-builder as the npm package geo-tz carries them (the data set with the
// zones that differ before 1970 kept apart), in a compact form of our own.
//
// geo-tz cuts the world into a quadtree whose leaves either name the zones that cover the
// whole cell or hold the zones' polygons clipped to the cell. The file keeps that tree and
// those polygons: coordinates in units of 1/50000 degree (2.2 m), each ring's points as
// zig-zag varint deltas. The program reads the tree and only the one leaf a point falls in.
//
//   "ORVTZ01\n", u32 units per degree (50000)
//   u32 zone count, then each name: u8 length, bytes
//   u32 tree size in bytes, then the tree, depth first, children in the order a b c d:
//     0 no child | 1 inner node, four children follow | 2 zones: u8 n, n × u16
//     | 3 polygons: u32 offset into the blob, u32 length
//   the blob: per leaf, varint features; per feature varint zone, varint polygons; per
//     polygon varint rings; per ring varint points, then the points' deltas (lon, lat)
//
// The polygons are © OpenStreetMap contributors, under the Open Database License 1.0
// (timezone-boundary-builder, https://github.com/evansiroky/timezone-boundary-builder).
// Run: node make_zone_polygons.mjs OUT [DATASET]   (DATASET: timezones, the default)
import { createRequire } from "node:module";
import { openSync, readSync, writeFileSync, readFileSync } from "node:fs";
import { dirname, join } from "node:path";

const require = createRequire(import.meta.url);
const geobuf = require("geobuf");
const Pbf = require("pbf");
const out = process.argv[2] ?? "zones.bin";
const dataset = process.argv[3] ?? "timezones";
const data = join(dirname(require.resolve("geo-tz")), "..", "data");
const index = JSON.parse(readFileSync(join(data, `${dataset}.geojson.index.json`), "utf8"));
const dat = openSync(join(data, `${dataset}.geojson.geo.dat`), "r");

const bytes = [];
const u8 = (v) => bytes.push(v & 0xff);
const u16 = (v) => (u8(v), u8(v >> 8));
const u32 = (v) => (u16(v & 0xffff), u16(v >>> 16));

const blob = [];
const varint = (v) => {
  while (v >= 0x80) {
    blob.push((v & 0x7f) | 0x80);
    v = Math.floor(v / 128);
  }
  blob.push(v);
};
const zigzag = (v) => (v < 0 ? -2 * v - 1 : 2 * v);
const unit = 5e4;  // 1/50000 degree: 2.2 m at most, on the equator

let leaves = 0;
let points = 0;
function leaf(pos, len) {
  const buffer = Buffer.alloc(len);
  readSync(dat, buffer, 0, len, pos);
  const collection = geobuf.decode(new Pbf(buffer));
  const start = blob.length;
  varint(collection.features.length);
  for (const feature of collection.features) {
    const zone = index.timezones.indexOf(feature.properties.tzid);
    if (zone < 0) throw new Error(`unknown zone ${feature.properties.tzid}`);
    varint(zone);
    const g = feature.geometry;
    const polygons = g.type === "Polygon" ? [g.coordinates] : g.coordinates;
    varint(polygons.length);
    for (const rings of polygons) {
      varint(rings.length);
      for (const ring of rings) {
        // Points that fall on one another at this resolution are kept once.
        const q = [];
        for (const [lon, lat] of ring) {
          const p = [Math.round(lon * unit), Math.round(lat * unit)];
          if (!q.length || q[q.length - 1][0] !== p[0] || q[q.length - 1][1] !== p[1]) q.push(p);
        }
        varint(q.length);
        let x = 0, y = 0;
        for (const [qx, qy] of q) {
          varint(zigzag(qx - x));
          varint(zigzag(qy - y));
          x = qx, y = qy;
          ++points;
        }
      }
    }
  }
  ++leaves;
  return [start, blob.length - start];
}

function node(n) {
  if (n === undefined) return u8(0);
  if (Array.isArray(n)) {
    u8(2);
    u8(n.length);
    for (const z of n) u16(z);
    return;
  }
  if (typeof n === "object" && n.pos >= 0 && n.len) {
    const [offset, length] = leaf(n.pos, n.len);
    u8(3);
    u32(offset);
    u32(length);
    return;
  }
  u8(1);
  for (const q of ["a", "b", "c", "d"]) node(n[q]);
}
node(index.lookup);
const tree = bytes.splice(0);

u8(0x4f), u8(0x52), u8(0x56), u8(0x54), u8(0x5a), u8(0x30), u8(0x31), u8(0x0a);  // ORVTZ01\n
u32(unit);
u32(index.timezones.length);
for (const z of index.timezones) {
  const name = Buffer.from(z, "utf8");
  u8(name.length);
  for (const b of name) u8(b);
}
u32(tree.length);
const file = Buffer.concat([Buffer.from(bytes), Buffer.from(tree), Buffer.from(blob)]);
writeFileSync(out, file);
console.error(`${out}: ${index.timezones.length} zones, ${leaves} leaves, ${points} points, ` +
              `${(file.length / 1e6).toFixed(1)} MB (tree ${(tree.length / 1e3).toFixed(0)} kB)`);
