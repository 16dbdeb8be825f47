// The status line under the page's bar: one message at a time, set by every
// part. Its rules live in app.state.status: a sticky message stays until the
// student does something, and compiler progress does not replace it.

export function createStatus(element, flags) {
  function set(text, bad = false, sticky = bad) {
    element.textContent = text;
    element.classList.toggle('pg-bad', bad);
    flags.sticky = sticky;
    flags.isProgress = false;
  }
  // Loading progress may replace only itself: any other message stays.
  function progress(text) {
    if (flags.sticky) return;
    set(text);
    flags.isProgress = true;
  }
  return {set, progress};
}
