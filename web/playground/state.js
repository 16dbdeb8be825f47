// The playground's one state object: every value the page's parts change,
// grouped by the part that owns it. `page` is published as
// window.telkaPlayground for tests (and the curious) to read; the rest is the
// parts' own. Made once by main.js and reached by every part as app.state.

export function createState() {
  return {
    page: {
      // Ready: a Run compiles now; warm: the warm-up build after it is done too.
      compiler: 'loading',
      compilerReadyMs: null,
      compilerMs: null,
      compilerWarmMs: null,
      compilerWarm: null,
      // The C++ warm-up, asked for once the language is C++: null, 'asked',
      // 'done', 'skipped' (a Run came first) or 'failed'; and its ms.
      compilerWarmCxx: null,
      compilerWarmCxxMs: null,
      // What the last warm-up did with the program's includes (see the
      // compiler's cacheHeaders).
      compilerWarmHeaders: null,
      state: 'idle', // idle, compiling, errors, running, ended, stopped, crashed
      result: null,
      end: null,
      crash: null, // link: set once the address's fragment is read
      runs: 0, // Run presses that started a compile
      windowsZoom: 1, // layout.js: the scale the program's windows are shown at
    },
    // status.js: a sticky message (a link that did not open, a failure) stays
    // until the student does something; loading progress may replace only itself.
    status: {sticky: false, isProgress: true},
    compilerProgress: '', // how much of the compiler has loaded ('37%'), '' before the first figure
    source: {
      lang: 'c', // 'c' or 'c++'
      // A program opened from a link is not stored over the student's own
      // until they change it: opening a link loses nothing.
      fromLink: false,
      storeTimer: 0, // the store an edit scheduled, 0 when none is due
      warmTimer: 0, // the compiler warm-up a change of language or text scheduled
      warmedIncludes: '', // the leading includes of the text last warmed up for
    },
    run: {
      busy: false, // a Run is compiling or starting: another press is ignored
      token: 0, // tells a late onExit of an older program from the current one
      program: null, // the running (or last) program
      wasm: null, // kept for symbolizing a crash
      runtime: null, // the runtime module's import, once a Run asked for it
    },
    script: null, // a TELKA.SCR loaded from the computer, given to each program
    // timeline.js: what the graphics window shows of the run's kept frames
    // (state.run.program.frames). Other parts listen on `events`: 'frame'
    // when the shown frame changes, live ones included (detail {number, live,
    // record}), and 'call' when a call of it is chosen in the list (detail
    // {index, call, frame}); showFrame(app, number) of timeline.js shows one.
    timeline: {
      shown: null, // the frame number shown, null while the window follows the program (Live)
      record: null, // the shown frame's {number, ns, event, calls: [{text, line, file}]}
      chosen: -1, // the index of the call chosen in the list, -1 when none
      scheduled: false, // a refresh of the controls is due at the next page frame
      events: new EventTarget(),
    },
    // pixel-history.js: the explain dumps of the last program's frames and
    // what the graphics window's overlay shows.
    history: {
      program: null, // the program the cached dumps belong to
      dumps: new Map(), // frame number -> Promise of {dump, replayMs} or {problem}
      overlay: null, // {canvas, host}: the overlay over the graphics canvas
      cursor: null, // [x, y]: the keyboard's crosshair, host-surface pixels
      outline: null, // {frame, ids}: the calls whose pixels are outlined
      chosenAt: 0, // when a call was last chosen by name (performance.now)
      asked: 0, // counts questions, so an answer that comes late is dropped
      ms: null, // the last answer's {frame, replay (ms, null when cached), total}
    },
    // keys.js: the page's own keys, which a program never gets, even while
    // its window has the keyboard: [{keys: 'Ctrl+Shift+Enter', does, test(e), run(app)}].
    pageKeys: [],
    // Console output waiting for the next frame.
    output: {pending: [], scheduled: false},
    // What a screen reader gets besides the page's own text. text
    // (text-lines.js, made by output.js's bindOutput): the text window's
    // lines as a list, the live region and the announcer that batches new
    // lines of the text window and the console. picture (picture.js): the
    // elements the picture's description goes to, {box, head, list, hint}.
    reader: {text: null, picture: null},
  };
}
