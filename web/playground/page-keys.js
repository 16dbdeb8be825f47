// The page's own keys (Stop's among them): the page's wherever the focus is.
// The runtime never hands them to a program, so a program that spins, or one
// that has the keyboard, can always be stopped without a mouse. Each part
// registers its keys here; keys.js presses them.

// Registers a page key: {keys: 'Ctrl+Shift+Enter', does, test(e), run(app)}.
export function addPageKey(app, key) {
  app.state.pageKeys.push(key);
}

// The page key that event `e` presses, or null.
export function pageKeyOf(app, e) {
  return app.state.pageKeys.find((k) => k.test(e)) || null;
}
