// The page's own keys. Ctrl+Enter runs and Ctrl+S saves outside the editor
// too, but not while a program window has the keyboard: those keys are the
// program's (the timeline among the windows is the page's). The page keys
// (page-keys.js) are pressed here, wherever the focus is.
import {save} from './files.js';
import {pageKeyOf} from './page-keys.js';
import {run} from './run.js';

export function bindKeys(app) {
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
