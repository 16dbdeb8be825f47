// A crashed program's end in a student's words: what the WebAssembly trap
// means and where it happened, the innermost place in the student's file
// that the compiler's symbolizer finds in the trap's stack.

const TRAPS = [
  [/divide by zero|division by zero/i, 'integer divide by zero'],
  [/remainder by zero/i, 'integer remainder by zero'],
  [/out of bounds memory|memory access out of bounds/i, 'memory access out of bounds (a bad pointer or array index)'],
  [/unreachable/i, 'the program aborted (abort() was called)'],
  [/call stack|stack overflow|too much recursion/i, 'stack overflow (a recursion that does not end?)'],
  [/integer overflow|float unrepresentable|invalid conversion/i, 'a number too large for its type in a conversion'],
  [/function signature mismatch|null function|indirect call/i, 'a call through a bad function pointer'],
];

// The page compiles with null-pointer checks, whose trap names its reason
// (places[0].checked); the other trap of that kind in the student's own code
// is a function ending without its return.
function trapWords(message, innermost) {
  if (innermost?.checked) return 'a read or write through a null pointer (or a pointer moved off its memory)';
  if (/unreachable/i.test(message || '') && innermost?.own)
    return 'the program reached code it never should (a function that ended without its return?)';
  for (const [pattern, words] of TRAPS) if (pattern.test(message)) return words;
  return message || 'an unknown error';
}

// {text, what, where}: where is {function, line} (line null outside the
// student's file), or null when no frame is named.
export async function describeCrash(compiler, trap, wasm, fileName) {
  const frames = Array.isArray(trap.frames) ? trap.frames : [];
  let places = [];
  try {
    places = await compiler.symbolize(
      wasm,
      frames.map((f) => f.offset)
    );
  } catch {
    places = [];
  }
  const display = (name) => (name === 'TELKA_main' ? 'main' : name);
  // The innermost place in the student's file; else the innermost name known.
  let where = null;
  for (let i = 0; i < frames.length; ++i) {
    const p = places[i];
    if (p && p.file === fileName && p.line) {
      where = {function: display(p.function || frames[i].name), line: p.line};
      break;
    }
  }
  if (!where) {
    const named = frames.find((f, i) => places[i]?.function || f.name);
    if (named) where = {function: display(places[frames.indexOf(named)]?.function || named.name), line: null};
  }
  const what = trapWords(trap.message, places[0] && {...places[0], own: places[0].file === fileName});
  let text = `The program crashed: ${what}`;
  if (where && where.function) text += ` in ${where.function}`;
  if (where && where.line) text += ` (${fileName} line ${where.line})`;
  return {text: text + '.', what, where};
}
