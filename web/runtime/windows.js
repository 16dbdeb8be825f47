// A program's host windows in the page: each a framed canvas in the desktop
// element, labelled with its title, its caption's close box and its pointer
// input turned into records. Dialogs sit over the middle of their owner.
import {RECORD} from './channel.js';

// An event's modifiers as Windows reports them: AltGr is Ctrl+Alt there,
// which some engines say as AltGraph alone.
export function keyMods(e) {
  let m = 0;
  const altGr = e.getModifierState && e.getModifierState('AltGraph');
  if (e.shiftKey) m |= 1;
  if (e.ctrlKey || altGr) m |= 2;
  if (e.altKey || altGr) m |= 4;
  if (e.getModifierState && e.getModifierState('CapsLock')) m |= 8;
  if (e.getModifierState && e.getModifierState('NumLock')) m |= 16;
  return m;
}

export class Windows {
  // push(record) queues input for the program.
  constructor(desktop, push) {
    this.desktop = desktop;
    this.push = push;
    this.hosts = new Map(); // id -> {id, owner, dialog, frame, caption, canvas, ctx}
    this.active = 0; // the host keys go to
    this.presents = new Map(); // id -> presents so far
    // (host, parts) after each present; a page may set telkaOnPresent
    // before the program starts (tests that collect every frame do).
    this.onPresent = globalThis.telkaOnPresent || null;
    this.firstPresentMs = 0;
    this.presentPixels = 0;
    this.presentMs = 0; // time spent putting pixels on canvases
    this.held = 0; // a host showing a past frame: its presents are counted, not drawn
    this.showing = false; // show() is moving the focus: no activation record follows
  }

  create({id, title, width, height, owner, dialog}) {
    const host = {id, owner, dialog};
    const frame = document.createElement('div');
    frame.className = dialog ? 'telka-window telka-dialog' : 'telka-window';
    frame.hidden = true;
    const caption = document.createElement('div');
    caption.className = 'telka-caption';
    const text = document.createElement('span');
    text.className = 'telka-title';
    const close = document.createElement('span');
    close.className = 'telka-close';
    close.textContent = '\u00d7';
    close.title = 'Close';
    close.addEventListener('click', () => this.push([RECORD.close, id, 0, 0, 0, 0, 0, 0, 0]));
    caption.append(text, close);
    const canvas = document.createElement('canvas');
    canvas.width = Math.max(1, width);
    canvas.height = Math.max(1, height);
    canvas.className = 'telka-surface';
    canvas.tabIndex = 0; // a click or Tab gives the window the keyboard
    // Focus by keyboard activates the window exactly as a click does; the
    // focus show() gives a new window is the program's own doing, not the user's.
    canvas.addEventListener('focus', () => {
      if (!this.showing) this.activate(id);
    });
    canvas.addEventListener('pointerdown', (e) => this.button(host, e, true));
    canvas.addEventListener('pointerup', (e) => this.button(host, e, false));
    canvas.addEventListener('pointermove', (e) => {
      const [x, y] = this.point(host, e);
      this.push([RECORD.motion, id, 0, 0, keyMods(e), 0, 0, x, y]);
    });
    canvas.addEventListener('contextmenu', (e) => e.preventDefault());
    frame.append(caption, canvas);
    Object.assign(host, {frame, title: text, canvas, ctx: canvas.getContext('2d', {alpha: false})});
    this.setTitle(host, title);
    this.hosts.set(id, host);
    this.presents.set(id, 0);
    this.desktop.appendChild(frame);
  }

  destroy(id) {
    const host = this.hosts.get(id);
    if (!host) return;
    host.frame.remove();
    this.hosts.delete(id);
    if (this.active === id) this.active = host.owner;
  }

  show(id, visible) {
    const host = this.hosts.get(id);
    if (!host) return;
    const first = host.frame.hidden && visible && !this.anyShown();
    host.frame.hidden = !visible;
    this.showing = true;
    if (visible && host.dialog) {
      this.place(host);
      this.active = id;
      host.canvas.focus({preventScroll: true});
    } else if (!visible && this.active === id) {
      this.active = host.owner;
    }
    // The program's first window takes the keyboard, as a new window does on
    // the student's own computer: a game answers its keys at once. It is no
    // trap: the page's Ctrl+Shift+L gives the keyboard back, and the status
    // line, read out by screen readers, says so when the run starts.
    if (first) host.canvas.focus({preventScroll: true});
    this.showing = false;
  }

  anyShown() {
    for (const host of this.hosts.values()) if (!host.frame.hidden) return true;
    return false;
  }

  setTitle(host, title) {
    host.title.textContent = title;
    host.frame.dataset.title = title;
    host.canvas.setAttribute('aria-label', title);
  }

  retitle(id, title) {
    const host = this.hosts.get(id);
    if (host) this.setTitle(host, title);
  }

  present({id, width, height, parts: drawn}) {
    const host = this.hosts.get(id);
    if (!host) return;
    const start = performance.now();
    const parts = this.held === id ? [] : drawn;
    if (host.canvas.width !== width) host.canvas.width = width;
    if (host.canvas.height !== height) host.canvas.height = height;
    for (const {x, y, w, h, rgba} of parts) {
      host.ctx.putImageData(new ImageData(new Uint8ClampedArray(rgba), w, h), x, y);
      this.presentPixels += w * h;
    }
    this.presentMs += performance.now() - start;
    this.presents.set(id, this.presents.get(id) + 1);
    if (!this.firstPresentMs && parts.length > 0) this.firstPresentMs = performance.now();
    if (this.onPresent) this.onPresent(host, drawn);
  }

  point(host, e) {
    const r = host.canvas.getBoundingClientRect();
    const sx = r.width > 0 ? host.canvas.width / r.width : 1;
    const sy = r.height > 0 ? host.canvas.height / r.height : 1;
    return [Math.floor((e.clientX - r.left) * sx), Math.floor((e.clientY - r.top) * sy)];
  }

  activate(id) {
    if (this.active === id) return;
    this.active = id;
    this.push([RECORD.focusIn, id, 0, 0, 0, 0, 0, 0, 0]);
  }

  button(host, e, down) {
    const button = e.button === 0 ? 1 : e.button === 1 ? 2 : e.button === 2 ? 3 : 0;
    if (button === 0) return;
    const [x, y] = this.point(host, e);
    e.preventDefault();
    if (down) {
      // A click raises and activates its window, as a window manager does.
      host.canvas.focus({preventScroll: true});
      this.activate(host.id);
      if (host.canvas.setPointerCapture) host.canvas.setPointerCapture(e.pointerId);
    }
    this.push([down ? RECORD.buttonDown : RECORD.buttonUp, host.id, 0, 0, keyMods(e), 0, button, x, y]);
  }

  place(host) {
    const owner = this.hosts.get(host.owner);
    const box = this.desktop.getBoundingClientRect();
    let left = 0,
      top = 0,
      w = box.width,
      h = Math.min(box.height, window.innerHeight);
    if (owner && !owner.frame.hidden) {
      const r = owner.frame.getBoundingClientRect();
      left = r.left - box.left;
      top = r.top - box.top;
      w = r.width;
      h = r.height;
    }
    host.frame.style.left = Math.max(0, Math.round(left + (w - host.frame.offsetWidth) / 2)) + 'px';
    host.frame.style.top = Math.max(0, Math.round(top + (h - host.frame.offsetHeight) / 2)) + 'px';
  }

  // After the program: its windows stay as they were, marked ended.
  freeze() {
    for (const host of this.hosts.values()) host.frame.classList.add('telka-ended-window');
  }

  removeAll() {
    for (const id of [...this.hosts.keys()]) this.destroy(id);
  }
}
