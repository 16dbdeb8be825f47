// The Examples menu: filled from the site's examples/examples.json (written
// by build.mjs), and an example picked replaces the editor's text as one
// change that Ctrl+Z undoes.
import {leaveLink, setLang, store} from './source.js';

export async function loadExamples(app) {
  const {ui} = app;
  let list = [];
  try {
    const response = await fetch('examples/examples.json');
    if (response.ok) list = await response.json();
  } catch {
    list = [];
  }
  for (const example of Array.isArray(list) ? list : []) {
    if (!example || typeof example.file !== 'string') continue;
    const option = document.createElement('option');
    option.value = example.file;
    option.textContent = example.title ? `${example.file}: ${example.title}` : example.file;
    option.dataset.lang = example.lang === 'c++' ? 'c++' : 'c';
    ui.examples.appendChild(option);
  }
  ui.examples.disabled = ui.examples.options.length <= 1;
}

export function bindExamples(app) {
  const {ui, status, editor} = app;
  ui.examples.addEventListener('change', async () => {
    const option = ui.examples.selectedOptions[0];
    ui.examples.value = '';
    if (!option || !option.value) return;
    try {
      const response = await fetch(`examples/${encodeURIComponent(option.value)}`);
      if (!response.ok) throw new Error(`HTTP ${response.status}`);
      const text = await response.text();
      editor.replace(text, {userEvent: 'input.example'});
      setLang(app, option.dataset.lang);
      leaveLink(app);
      store(app);
      status.set(`Opened the example ${option.value}. Ctrl+Z in the editor brings back what was there.`);
      editor.focus();
    } catch (e) {
      status.set(`The example ${option.value} could not be loaded (${e.message}).`, true);
    }
  });
}
