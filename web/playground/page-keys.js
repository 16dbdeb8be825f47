// The page's own keys (Stop's among them): the page's wherever the focus is.
// The runtime never hands them to a program, so a program that spins, or one
// that has the keyboard, can always be stopped or left without a mouse. Each
// part registers its keys here; keys.js presses them, and the list beside
// the program's windows shows every one of them.

// Registers a page key: {keys: 'Ctrl+Shift+Enter', does, test(e), run(app)}.
export function addPageKey(app, key) {
  app.state.pageKeys.push(key);
  showPageKeys(app);
}

// The page key that event `e` presses, or null.
export function pageKeyOf(app, e) {
  return app.state.pageKeys.find((k) => k.test(e)) || null;
}

// The list beside the windows, written from state.pageKeys, so a key a part
// adds later is shown too.
export function showPageKeys(app) {
  const list = app.ui.pageKeys;
  if (!list) return;
  list.replaceChildren(
    ...app.state.pageKeys.map(({keys, does}) => {
      const item = document.createElement('li');
      const kbd = document.createElement('kbd');
      kbd.textContent = keys;
      item.append(kbd, ` ${does}`);
      return item;
    })
  );
}
