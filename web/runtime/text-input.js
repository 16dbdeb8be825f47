// The characters the student's own keyboard types, for the program: a key's
// character as its layout gives it (KeyboardEvent.key), and text that comes
// without a key (an input method's result, an on-screen keyboard, dictation).
// That text needs an editable element with the focus, so each window's frame
// holds a small text field, out of sight, that takes the focus whenever the
// window's canvas gets it (Tab and clicks still land on the canvas); what
// lands in the field goes to the program one code point at a time and the
// field is emptied again.
import {TYPED_BY_TABLE, TYPED_NOTHING} from './channel.js';

let fields = 0; // ids of the canvases the fields are labelled by

// The character a key down typed on the student's layout, dead keys already
// applied; TYPED_NOTHING for a dead key; TYPED_BY_TABLE for a key that
// names no character (Enter, Tab, the arrows).
export function typedCode(e) {
  if (e.key === 'Dead') return TYPED_NOTHING;
  const chars = [...(e.key || '')];
  return chars.length === 1 ? chars[0].codePointAt(0) : TYPED_BY_TABLE;
}

// A key the input method has taken: what it types, if anything, comes
// through the field when the method is done.
export function methodKey(e) {
  return e.isComposing || e.keyCode === 229 || e.key === 'Process' || e.key === 'Unidentified';
}

export class TextInput {
  // send(codePoint) gives the program one character.
  constructor(send) {
    this.send = send;
    // keyCode -> the character that key sent, until its key up: the runtime
    // cancels such a key's default, but an engine that composes it (a dead
    // key's second key) may still put it in the field.
    this.sentByKey = new Map();
  }

  attach(host) {
    const field = document.createElement('textarea');
    field.className = 'telka-text-input';
    field.tabIndex = -1; // Tab reaches the canvas, which hands the focus on
    field.autocomplete = 'off';
    field.spellcheck = false;
    field.setAttribute('autocapitalize', 'off');
    field.setAttribute('autocorrect', 'off');
    if (!host.canvas.id) host.canvas.id = `telka-surface-${++fields}`;
    field.setAttribute('aria-labelledby', host.canvas.id); // the window's title
    host.canvas.addEventListener('focus', () => field.focus({preventScroll: true}));
    field.addEventListener('input', (e) => {
      if (!e.isComposing) this.flush(field);
    });
    field.addEventListener('compositionend', () => this.flush(field));
    host.frame.append(field);
  }

  // The runtime sent the character of the key down `e`.
  keyTyped(e, code) {
    if (code > 0) this.sentByKey.set(e.keyCode, String.fromCodePoint(code));
  }

  keyReleased(e) {
    this.sentByKey.delete(e.keyCode);
  }

  flush(field) {
    const text = field.value;
    field.value = '';
    for (const [key, sent] of this.sentByKey) {
      if (sent === text) {
        this.sentByKey.delete(key);
        return;
      }
    }
    // A line break is the Enter key's character, as a key would type it.
    for (const c of text) this.send(c === '\n' ? 13 : c.codePointAt(0));
  }
}
