// The page's own keys: Ctrl+Enter runs and Ctrl+S saves outside the editor
// too, but not while a program window has the keyboard: those keys are the
// program's (the timeline among the windows is the page's).
import {save} from './files.js';
import {run} from './run.js';

export function bindKeys(app) {
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
