// The source editor: CodeMirror 6 with C/C++ highlighting (the cpp language
// serves both), line numbers, bracket matching, lint marks for clang's
// diagnostics, Ctrl+Enter to run. Relies on codemirror, @codemirror/lang-cpp
// and @codemirror/lint, bundled by esbuild.
import {indentWithTab} from '@codemirror/commands';
import {cpp} from '@codemirror/lang-cpp';
import {HighlightStyle, syntaxHighlighting} from '@codemirror/language';
import {lintGutter, setDiagnostics} from '@codemirror/lint';
import {EditorState, Prec, StateEffect, StateField} from '@codemirror/state';
import {Decoration, keymap} from '@codemirror/view';
import {tags} from '@lezer/highlight';
import {basicSetup, EditorView} from 'codemirror';

// {line, column} (1-based) to a document position, clamped to the document.
function position(doc, line, column) {
  const l = doc.line(Math.min(Math.max(1, line), doc.lines));
  return Math.min(l.from + Math.max(0, (column || 1) - 1), l.to);
}

// The line of a drawing call chosen in the timeline's list, marked until
// another is chosen (null: none).
const markCall = StateEffect.define();
const callMark = StateField.define({
  create: () => Decoration.none,
  update(marks, tr) {
    marks = marks.map(tr.changes);
    for (const e of tr.effects)
      if (e.is(markCall))
        marks =
          e.value === null
            ? Decoration.none
            : Decoration.set([Decoration.line({class: 'pg-call-line'}).range(e.value)]);
    return marks;
  },
  provide: (field) => EditorView.decorations.from(field),
});

// The default colours these tokens get are too light on white (3.6:1 and
// 4:1 for `<stdio.h>` and an invalid token); these keep 4.5:1 on the active line too.
const readable = syntaxHighlighting(
  HighlightStyle.define([
    {tag: [tags.regexp, tags.escape, tags.special(tags.string)], color: '#b03000'},
    {tag: tags.invalid, color: '#c00000'},
  ])
);

export function createEditor({parent, doc, onRun, onSave, onChange}) {
  const view = new EditorView({
    parent,
    state: EditorState.create({
      doc,
      extensions: [
        basicSetup,
        readable,
        cpp(),
        lintGutter(),
        callMark,
        // Long lines wrap: a beginner's editor should not hide code past its right edge.
        EditorView.lineWrapping,
        // Tab indents; Escape then Tab leaves the editor, so the keyboard is never trapped.
        keymap.of([indentWithTab]),
        Prec.highest(
          keymap.of([
            {
              key: 'Mod-Enter',
              run: () => {
                onRun();
                return true;
              },
            },
            {
              key: 'Mod-s',
              run: () => {
                onSave();
                return true;
              },
              preventDefault: true,
            },
          ])
        ),
        // The line above the editor says how to leave it.
        // tabindex: the scrolled text's own keyboard access, as checkers see it.
        EditorView.contentAttributes.of({
          'aria-label': 'Program source',
          'aria-describedby': 'pg-editor-keys',
          tabindex: '0',
        }),
        EditorView.updateListener.of((update) => {
          if (update.docChanged) onChange(update);
        }),
      ],
    }),
  });

  return {
    view,
    text: () => view.state.doc.toString(),
    // Replaces the whole text as one undoable change (Ctrl+Z brings the old text back).
    replace(text, {userEvent = 'input.replace'} = {}) {
      view.dispatch({
        changes: {from: 0, to: view.state.doc.length, insert: text},
        selection: {anchor: 0},
        userEvent,
        scrollIntoView: true,
      });
    },
    // Lint marks for diagnostics located in the source; line 0 ones (the
    // linker's) have no place in the text and are only listed.
    showDiagnostics(diagnostics) {
      const doc = view.state.doc;
      const marks = diagnostics
        .filter((d) => d.line > 0)
        .map((d) => {
          const from = position(doc, d.line, d.column);
          const to = Math.min(Math.max(from + 1, from), doc.line(Math.min(d.line, doc.lines)).to);
          return {
            from,
            to: Math.max(from, to),
            severity: d.severity === 'note' ? 'info' : d.severity,
            message: d.message,
          };
        });
      view.dispatch(setDiagnostics(view.state, marks));
    },
    goTo(line, column) {
      const at = position(view.state.doc, line, column);
      view.dispatch({selection: {anchor: at}, scrollIntoView: true});
      view.focus();
    },
    // Puts the cursor on `line` and marks it, leaving the keyboard where it
    // is; 0 takes the mark away.
    markLine(line) {
      if (!(line > 0)) {
        view.dispatch({effects: markCall.of(null)});
        return;
      }
      const at = view.state.doc.line(Math.min(line, view.state.doc.lines)).from;
      view.dispatch({selection: {anchor: at}, effects: markCall.of(at), scrollIntoView: true});
    },
    focus: () => view.focus(),
  };
}
