// Share links: the program travels in the URL fragment as
// base64url(deflate-raw(UTF-8 source)), with &lang=cpp for C++. A link is
// untrusted input: its size is bounded before and during decompression, and
// what it decodes to is only ever text. Relies on CompressionStream.

export const MAX_SOURCE_BYTES = 256 * 1024; // a program larger than this is not one a student wrote
export const MAX_FRAGMENT_CHARS = 512 * 1024; // refused before any decoding

export function toBase64Url(bytes) {
  let binary = '';
  for (let i = 0; i < bytes.length; i += 0x8000) binary += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
  return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

// null when `text` is not base64url (padding tolerated).
export function fromBase64Url(text) {
  const body = String(text).replace(/=+$/, '');
  if (!/^[A-Za-z0-9_-]*$/.test(body) || body.length % 4 === 1) return null;
  let binary;
  try {
    binary = atob(body.replace(/-/g, '+').replace(/_/g, '/'));
  } catch {
    return null;
  }
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
  return bytes;
}

async function collect(stream, limit) {
  const reader = stream.getReader();
  const chunks = [];
  let total = 0;
  for (;;) {
    const {value, done} = await reader.read();
    if (done) break;
    total += value.length;
    if (total > limit) {
      // Stops the inflater: a small bomb cannot expand past the limit.
      await reader.cancel().catch(() => {});
      return null;
    }
    chunks.push(value);
  }
  const out = new Uint8Array(total);
  let at = 0;
  for (const c of chunks) {
    out.set(c, at);
    at += c.length;
  }
  return out;
}

function streamOf(bytes) {
  return new ReadableStream({
    start(controller) {
      controller.enqueue(bytes);
      controller.close();
    },
  });
}

export async function encodeSource(source) {
  const bytes = new TextEncoder().encode(source);
  const packed = await collect(streamOf(bytes).pipeThrough(new CompressionStream('deflate-raw')), Infinity);
  return toBase64Url(packed);
}

// The fragment of a share link ('#code=...&lang=cpp') for `source`.
export async function shareFragment(source, lang) {
  return `#code=${await encodeSource(source)}${lang === 'c++' ? '&lang=cpp' : ''}`;
}

// Reads a fragment. Returns null when it carries no program, else
// {ok: true, source, lang} or {ok: false, message} (plain words for the page).
export async function readFragment(hash) {
  const fragment = String(hash || '').replace(/^#/, '');
  if (!/(^|&)code=/.test(fragment)) return null;
  if (fragment.length > MAX_FRAGMENT_CHARS) {
    return {
      ok: false,
      message:
        `This link is too large to be a program (${Math.round(fragment.length / 1024)} KiB; ` +
        `a link may carry at most ${MAX_FRAGMENT_CHARS / 1024} KiB). Nothing was opened.`,
    };
  }
  const params = new URLSearchParams(fragment);
  const lang = params.get('lang') === 'cpp' ? 'c++' : 'c';
  const packed = fromBase64Url(params.get('code') || '');
  if (!packed || packed.length === 0) {
    return {
      ok: false,
      message:
        "This link's program could not be read: it is not in the form a Share link has " +
        '(it may have been cut short when it was copied). Nothing was opened.',
    };
  }
  let bytes;
  try {
    bytes = await collect(streamOf(packed).pipeThrough(new DecompressionStream('deflate-raw')), MAX_SOURCE_BYTES);
  } catch {
    return {
      ok: false,
      message: "This link's program could not be unpacked: the link is damaged or incomplete. " + 'Nothing was opened.',
    };
  }
  if (bytes === null) {
    return {
      ok: false,
      message:
        `This link unpacks to more than ${MAX_SOURCE_BYTES / 1024} KiB, too large to be a ` +
        'program. Nothing was opened.',
    };
  }
  let source;
  try {
    source = new TextDecoder('utf-8', {fatal: true}).decode(bytes);
  } catch {
    return {ok: false, message: "This link's program is not text (it is not valid UTF-8). Nothing was opened."};
  }
  return {ok: true, source, lang};
}
