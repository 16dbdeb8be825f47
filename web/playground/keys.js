// The page's own keys. Ctrl+Enter runs and Ctrl+S saves outside the editor
// too, but not while a program window has the keyboard: those keys are the
// program's (the timeline among the windows is the page's). The page keys
// (page-keys.js) are pressed here, wherever the focus is; Ctrl+Shift+L, one
// of them, takes the keyboard out of the program's windows.
import {save} from './files.js';
import {addPageKey, pageKeyOf} from './page-keys.js';
import {run} from './run.js';

const FOCUSABLE = 'button, select, input, textarea, a[href], [tabindex]:not([tabindex="-1"])';

// The control the keyboard goes to when it leaves the windows: Stop while the
// program runs (what a student leaving a running program most often wants
// next), else the first control after the windows in the page's order.
function afterWindows(app) {
  const {ui} = app;
  if (!ui.stop.disabled) return ui.stop;
  for (const e of document.querySelectorAll(FOCUSABLE)) {
    if (e.disabled || e.hidden || ui.desktop.contains(e) || e.getClientRects().length === 0) continue;
    if (ui.desktop.compareDocumentPosition(e) & Node.DOCUMENT_POSITION_FOLLOWING) return e;
  }
  return ui.run;
}

function leaveWindows(app) {
  if (!app.ui.desktop.contains(document.activeElement)) return;
  // The program hears its held keys (Ctrl and Shift of this very press)
  // released, as when the page loses the focus.
  window.dispatchEvent(new Event('blur'));
  afterWindows(app).focus();
}

export function bindKeys(app) {
  addPageKey(app, {
    keys: 'Ctrl+Shift+L',
    does: 'leaves the program’s window: the keyboard goes back to the page',
    test: (e) => e.code === 'KeyL' && e.ctrlKey && e.shiftKey && !e.altKey,
    run: () => leaveWindows(app),
  });
  // Capture: the editor and the windows never see the page keys.
  document.addEventListener(
    'keydown',
    (e) => {
      const key = pageKeyOf(app, e);
      if (!key) return;
      e.preventDefault();
      e.stopPropagation();
      key.run(app);
    },
    true
  );
  document.addEventListener('keydown', (e) => {
    // The editor's own keymap has already handled its copy of these keys.
    if (!(e.ctrlKey || e.metaKey) || e.altKey || e.defaultPrevented) return;
    if (e.target instanceof Element && e.target.closest('.telka-window')) return;
    if (e.key === 'Enter') {
      e.preventDefault();
      run(app);
    } else if (e.key === 's' || e.key === 'S') {
      e.preventDefault();
      save(app);
    }
  });
}
