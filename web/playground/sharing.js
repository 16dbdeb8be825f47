// Share links on the page: Share makes one for the editor's text (share.js
// encodes it), shows it in the share box and copies it when the browser lets
// it; a link pasted into this tab's address opens its program.
import {MAX_FRAGMENT_CHARS, MAX_SOURCE_BYTES, readFragment, shareFragment} from './share.js';
import {setLang, store} from './source.js';

export const LINK_OPENED =
  'Opened a shared program: it runs when you press Run. Your own program stays saved ' + 'until you change this one.';

// A link that arrives while the page is open (pasted into this tab).
async function openLink(app) {
  const {state, status} = app;
  const link = await readFragment(location.hash);
  state.page.link = link;
  if (!link) return;
  if (!link.ok) {
    status.set(link.message, true);
    return;
  }
  store(app);
  setLang(app, link.lang);
  state.source.fromLink = true;
  app.editor.replace(link.source, {userEvent: 'link'});
  status.set(LINK_OPENED, false, true);
}

export function bindSharing(app) {
  const {ui, state, status, editor} = app;
  ui.share.addEventListener('click', async () => {
    let fragment;
    try {
      fragment = await shareFragment(editor.text(), state.source.lang);
    } catch (e) {
      status.set(`The link could not be made (${e.message}).`, true);
      return;
    }
    if (fragment.length > MAX_FRAGMENT_CHARS || new TextEncoder().encode(editor.text()).length > MAX_SOURCE_BYTES) {
      status.set('This program is too large to share as a link: use Save and send the file instead.', true);
      return;
    }
    const url = location.href.split('#')[0] + fragment;
    state.page.shareLink = url;
    ui.shareLink.value = url;
    ui.shareBox.hidden = false;
    let copied = false;
    try {
      await navigator.clipboard.writeText(url);
      copied = true;
    } catch {
      copied = false;
    }
    ui.shareLink.focus();
    ui.shareLink.select();
    status.set(
      copied
        ? 'Link copied: paste it to share this program.'
        : 'Copy the link shown below the bar (Ctrl+C) to share this program.'
    );
  });
  ui.shareClose.addEventListener('click', () => {
    ui.shareBox.hidden = true;
    ui.share.focus();
  });
  window.addEventListener('hashchange', () => {
    openLink(app);
  });
}
