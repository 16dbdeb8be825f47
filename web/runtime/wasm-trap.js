// What a WebAssembly trap's stack says: the functions it passed through,
// named where the module has a name section, with each position as an
// offset into the code section, the address debug information (and
// llvm-symbolizer) uses. Engines write stacks differently; each frame line
// that names a wasm function and a byte offset is read.

// The module's byte offset of the code section's contents, or null.
export function codeSectionStart(wasm) {
  const b = wasm instanceof Uint8Array ? wasm : new Uint8Array(wasm);
  let p = 8; // magic and version
  const leb = () => {
    let value = 0,
      shift = 0,
      byte;
    do {
      if (p >= b.length) return -1;
      byte = b[p++];
      value += (byte & 0x7f) * 2 ** shift;
      shift += 7;
    } while (byte & 0x80);
    return value;
  };
  while (p < b.length) {
    const id = b[p++];
    const size = leb();
    if (size < 0) return null;
    if (id === 10) return p;
    p += size;
  }
  return null;
}

// Chromium: "at name (wasm://wasm/hash:wasm-function[12]:0x1a2b)";
// Firefox: "name@url line 1 > WebAssembly.instantiate:wasm-function[12]:0x1a2b".
const FRAME = /^\s*(?:at\s+)?(.*?)\s*(?:\(|@).*wasm-function\[\d+\]:0x([0-9a-fA-F]+)/;

export function trapFrames(stack, codeStart) {
  const frames = [];
  for (const line of String(stack || '').split('\n')) {
    const m = FRAME.exec(line);
    if (!m) continue;
    // Chromium puts the module's own name first ("prog.wasm.main").
    const raw = m[1] ? m[1].replace(/^.*?\.wasm\./, '').replace(/^\$/, '') : '';
    const name = raw && !/^func\d+$|^wasm-function/.test(raw) ? raw : null;
    const at = parseInt(m[2], 16);
    frames.push({name, offset: codeStart === null ? at : at - codeStart});
  }
  return frames;
}
