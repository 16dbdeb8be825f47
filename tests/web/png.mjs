// Reads the PNG files telka-run writes (8-bit RGB or RGBA, not interlaced)
// into RGBA pixels, so that frames on disk and frames read from a canvas
// can be compared byte for byte.
import fs from 'node:fs';
import zlib from 'node:zlib';

export function readPng(file) {
  const b = fs.readFileSync(file);
  if (b.readUInt32BE(0) !== 0x89504e47) throw new Error(`${file}: not a PNG`);
  let p = 8, width = 0, height = 0, type = 0;
  const idat = [];
  while (p < b.length) {
    const len = b.readUInt32BE(p);
    const kind = b.toString('latin1', p + 4, p + 8);
    const data = b.subarray(p + 8, p + 8 + len);
    if (kind === 'IHDR') {
      width = data.readUInt32BE(0);
      height = data.readUInt32BE(4);
      type = data[9];
      if (data[8] !== 8 || (type !== 2 && type !== 6) || data[12] !== 0)
        throw new Error(`${file}: only 8-bit RGB or RGBA without interlace is read`);
    } else if (kind === 'IDAT') {
      idat.push(data);
    }
    p += 12 + len;
  }
  const channels = type === 6 ? 4 : 3;
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  const rgba = new Uint8Array(width * height * 4);
  let prev = new Uint8Array(stride);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = Uint8Array.from(raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1)));
    for (let i = 0; i < stride; ++i) {
      const a = i >= channels ? line[i - channels] : 0;
      const up = prev[i];
      const c = i >= channels ? prev[i - channels] : 0;
      let add = 0;
      if (filter === 1) add = a;
      else if (filter === 2) add = up;
      else if (filter === 3) add = (a + up) >> 1;
      else if (filter === 4) {
        const pa = Math.abs(up - c), pb = Math.abs(a - c), pc = Math.abs(a + up - 2 * c);
        add = pa <= pb && pa <= pc ? a : pb <= pc ? up : c;
      }
      line[i] = (line[i] + add) & 0xff;
    }
    for (let x = 0; x < width; ++x) {
      const o = (y * width + x) * 4;
      rgba[o] = line[x * channels];
      rgba[o + 1] = line[x * channels + 1];
      rgba[o + 2] = line[x * channels + 2];
      rgba[o + 3] = 255;
    }
    prev = line;
  }
  return {width, height, rgba};
}

// FNV-1a of RGBA bytes: the same function the tests run on canvas pixels.
export function fnv(bytes) {
  let h = 2166136261;
  for (let i = 0; i < bytes.length; ++i) h = Math.imul(h ^ bytes[i], 16777619) >>> 0;
  return h;
}
