// Build-time (esbuild plugin): the compiler package's in-memory file system
// makes a new array of the whole file at every write, so a file written in
// n small pieces costs n copies of itself (wasm-ld writes an 800 KB program
// in some 200 pieces, 86 MB copied; clang's object writer is far worse,
// which is why objects come on standard output). The bundled worker gets a
// write that grows a file's storage by doubling instead, keeping its length
// exact: the bytes written are the same. The build stops if the package's
// write is no longer the one this replaces.
import fs from 'node:fs';

const WRITE = `  write(contents) {
    const offset = Number(this.offset);
    const newData = new Uint8Array(Math.max(this.file.data.length, offset + contents.length));
    newData.set(this.file.data);
    newData.subarray(offset).set(contents);
    this.file.data = newData;
    this.offset += BigInt(contents.length);
  }`;

// Storage this write made: only these have room past a file's end that is
// the file's own (input files may be views into a larger shared buffer).
const GROWING_WRITE = `  write(contents) {
    const offset = Number(this.offset);
    const old = this.file.data;
    const size = Math.max(old.length, offset + contents.length);
    let data;
    if (old.byteOffset === 0 && old.buffer.byteLength >= size && grownStorage.has(old.buffer)) {
      data = new Uint8Array(old.buffer, 0, size);
    } else {
      const storage = new ArrayBuffer(Math.max(size, 2 * old.length, 65536));
      grownStorage.add(storage);
      data = new Uint8Array(storage, 0, size);
      data.set(old);
    }
    data.set(contents, offset);
    this.file.data = data;
    this.offset += BigInt(contents.length);
  }`;

export const growingFiles = {
  name: 'growing-files',
  setup(build) {
    build.onLoad({filter: /@yowasp[\\/]clang[\\/]gen[\\/]bundle\.js$/}, async (args) => {
      const text = await fs.promises.readFile(args.path, 'utf8');
      const at = text.indexOf(WRITE);
      if (at < 0 || text.indexOf(WRITE, at + 1) >= 0)
        throw new Error(`${args.path}: the file system's write is not the one growing-files.mjs replaces`);
      const patched =
        'const grownStorage = new WeakSet();\n' + text.slice(0, at) + GROWING_WRITE + text.slice(at + WRITE.length);
      return {contents: patched, loader: 'js'};
    });
  },
};
