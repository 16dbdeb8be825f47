// The playground page: the editor, Run/Stop, the compiler's messages, the
// program's windows and console, examples, share links, save/open and the
// TELKA.SCR buttons. This entry finds the page's elements, makes the one
// state object (state.js), starts the compiler before anything else and binds
// each part; the parts reach the page through `app`. Nothing that comes from
// a link, a file or the compiler is ever parsed as HTML.
import {startCompiling} from './compile.js';
import {bindExamples, loadExamples} from './examples.js';
import {bindFiles, save} from './files.js';
import {bindKeys} from './keys.js';
import {bindLayout} from './layout.js';
import {bindOutput} from './output.js';
import {bindPicture} from './picture.js';
import {bindRun, run} from './run.js';
import {bindSharing, LINK_OPENED} from './sharing.js';
import {bindPixelHistory} from './pixel-history.js';
import {openSource} from './source.js';
import {createState} from './state.js';
import {createStatus} from './status.js';
import {bindTimeline} from './timeline.js';

const $ = (id) => document.getElementById(id);
const ui = {
  run: $('pg-run'),
  stop: $('pg-stop'),
  lang: $('pg-lang'),
  examples: $('pg-examples'),
  share: $('pg-share'),
  save: $('pg-save'),
  open: $('pg-open'),
  openFile: $('pg-open-file'),
  status: $('pg-status'),
  shareBox: $('pg-share-box'),
  shareLink: $('pg-share-link'),
  shareClose: $('pg-share-close'),
  desktop: $('pg-desktop'),
  console: $('pg-console'),
  diagnostics: $('pg-diagnostics'),
  problemsNote: $('pg-problems-note'),
  scriptDownload: $('pg-script-download'),
  scriptLoad: $('pg-script-load'),
  scriptFile: $('pg-script-file'),
  fileNote: $('pg-file-note'),
  timeline: $('pg-timeline'),
  timelineControls: $('pg-timeline-controls'),
  frame: $('pg-frame'),
  frameLabel: $('pg-frame-label'),
  frameBack: $('pg-frame-back'),
  frameNext: $('pg-frame-next'),
  eventBack: $('pg-event-back'),
  eventNext: $('pg-event-next'),
  live: $('pg-live'),
  calls: $('pg-calls'),
  callsTitle: $('pg-calls-title'),
  historyText: $('pg-history-text'),
  pageKeys: $('pg-page-keys'),
};

const state = createState();
window.telkaPlayground = state.page;
// What every part is handed: the elements, the state, the status line, the
// compiler and (once the first text is read) the editor.
const app = {ui, state, status: createStatus(ui.status, state.status), compiler: null, editor: null};

// Started first, so that clang loads while the page settles.
app.compiler = startCompiling(app);

const {firstLink, stored} = await openSource(app, {
  parent: $('pg-editor'),
  onRun: () => run(app),
  onSave: () => save(app),
});
bindRun(app);
bindKeys(app);
bindExamples(app);
bindFiles(app);
bindSharing(app);
bindTimeline(app);
bindPixelHistory(app);
bindOutput(app);
bindPicture(app);
bindLayout(app);

if (firstLink && !firstLink.ok) {
  app.status.set(`${firstLink.message} ${stored ? 'Your own program is shown.' : ''}`, true);
} else if (firstLink?.ok) {
  app.status.set(LINK_OPENED, false, true);
}
ui.run.disabled = false;
loadExamples(app);
