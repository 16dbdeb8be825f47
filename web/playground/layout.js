// Fits the program's windows into the page. Beside the editor (a wide
// screen) the windows area is as tall as the page below the bar, and its
// windows are scaled down until they all show: on a 1366x657 laptop window
// the 540-row graphics window and the text window under it both show whole.
// Stacked under the editor (narrow screens, a zoomed page) they are scaled
// only to the page's width, and a run's first window brings them into view:
// they would open out of sight below the editor. Clicks still land on the
// right pixel, since windows.js maps a pointer through the canvas's shown size.

const SMALLEST = 0.5; // below this a window's text can no longer be read

const stackedUnder = (desktop) => getComputedStyle(desktop.parentElement).flexDirection === 'column';
const anyShown = (desktop) => !!desktop.querySelector('.telka-window:not([hidden])');

// The scale at which the desktop's windows fit the room it has.
function fit(desktop) {
  const stacked = stackedUnder(desktop);
  const zoom = Number(desktop.style.zoom) || 1;
  desktop.style.zoom = '';
  if (!anyShown(desktop)) return zoom;
  const room = stacked ? desktop.parentElement.clientWidth : desktop.clientHeight;
  const needs = stacked ? desktop.scrollWidth : desktop.scrollHeight;
  return Math.max(SMALLEST, Math.min(1, Math.floor((100 * room) / Math.max(1, needs)) / 100));
}

export function bindLayout(app) {
  const desktop = app.ui.desktop;
  let scheduled = false;
  let shown = false;
  const refit = () => {
    scheduled = false;
    const zoom = fit(desktop);
    desktop.style.zoom = zoom === 1 ? '' : String(zoom);
    desktop.classList.toggle('pg-scaled', zoom < 1);
    app.state.page.windowsZoom = zoom;
    const now = anyShown(desktop);
    if (now && !shown && stackedUnder(desktop)) desktop.scrollIntoView({block: 'start'});
    shown = now;
  };
  const schedule = () => {
    if (scheduled) return;
    scheduled = true;
    requestAnimationFrame(refit);
  };
  // A window shown, hidden or resized, or the page's own size changing.
  new MutationObserver(schedule).observe(desktop, {
    childList: true,
    subtree: true,
    attributes: true,
    attributeFilter: ['hidden', 'width', 'height'],
  });
  new ResizeObserver(schedule).observe(desktop.parentElement);
  window.addEventListener('resize', schedule);
}
