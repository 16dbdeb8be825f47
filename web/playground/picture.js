// "Describe picture" beside the program's windows, and its page key
// Ctrl+Shift+D: the graphics window's shown frame (the timeline's, else the
// newest) told in words by describe.js, put in a polite live region that
// stays on the page as text. Only on demand: a description at every frame
// would drown everything else a reader says.
import {describePicture} from './describe.js';
import {addPageKey} from './page-keys.js';
import {titledSection} from './sections.js';
import {frameText} from './timeline.js';

const KEYS = 'Ctrl+Shift+D';

// The description of what the graphics window shows now, as {head, lines}.
export function pictureNow(app) {
  const frames = app.state.run.program?.frames;
  if (!frames || !frames.last) {
    return {head: 'Nothing to describe: the graphics window shows a picture once a program has drawn.', lines: []};
  }
  const shown = app.state.timeline.shown;
  const number = Math.min(Math.max(shown ?? frames.last, frames.first), frames.last);
  const record = frames.record(number);
  const heading = shown === null ? `The graphics window, live (${frameText(record)})` : `${frameText(record)}`;
  return describePicture(frames, number, heading);
}

export function describeNow(app) {
  const {box, head, list} = app.state.reader.picture;
  const {head: text, lines} = pictureNow(app);
  // Emptied first, so that a description the same as the last is said again.
  box.replaceChildren();
  head.textContent = text;
  list.replaceChildren(
    ...lines.map((line) => {
      const li = document.createElement('li');
      li.textContent = line;
      return li;
    })
  );
  list.hidden = lines.length === 0;
  requestAnimationFrame(() => box.append(head, list));
}

// Tells a reader on the graphics window how to hear what it shows.
function hintOnCanvas(app) {
  const hint = app.state.reader.picture.hint;
  const canvas = app.ui.desktop.querySelector('.telka-window[data-title="TELKA Graphics"] canvas');
  if (canvas && !canvas.hasAttribute('aria-describedby')) canvas.setAttribute('aria-describedby', hint.id);
}

export function bindPicture(app) {
  const {section, title} = titledSection('pg-sr-picture', 'pg-sr-picture-title', 'Picture in words');
  const button = document.createElement('button');
  button.type = 'button';
  button.id = 'pg-sr-describe';
  button.textContent = 'Describe picture';
  button.title = `Describe the graphics window's picture in words (${KEYS})`;
  button.setAttribute('aria-keyshortcuts', 'Control+Shift+D');
  const hint = document.createElement('p');
  hint.id = 'pg-sr-picture-hint';
  hint.className = 'pg-visually-hidden';
  hint.textContent = `Press ${KEYS} to hear the picture described.`;
  const box = document.createElement('div');
  box.id = 'pg-sr-picture-text';
  box.setAttribute('aria-live', 'polite');
  const head = document.createElement('p');
  const list = document.createElement('ul');
  list.tabIndex = 0; // it scrolls: the keyboard reaches all of it
  list.setAttribute('aria-label', 'What the picture shows');
  section.append(title, button, hint, box);
  (app.ui.console.closest('.pg-side') || app.ui.console.parentElement).prepend(section);
  app.state.reader.picture = {box, head, list, hint};

  button.addEventListener('click', () => describeNow(app));
  addPageKey(app, {
    keys: KEYS,
    does: 'describes the picture in words',
    test: (e) => e.ctrlKey && e.shiftKey && !e.altKey && !e.metaKey && (e.key === 'D' || e.key === 'd'),
    run: () => describeNow(app),
  });
  app.state.timeline.events.addEventListener('frame', () => hintOnCanvas(app));
}
