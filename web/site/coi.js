// Included first by every page of the site (a classic script): registers the service worker (sw.js,
// beside this file) that keeps the site offline, and makes the page cross-origin isolated on hosts that
// cannot send the headers: once the worker controls the page, one reload gets them from the worker.
// Pages read window.telkaIsolation ({state: 'isolated' | 'reloading' | 'unavailable', reason, offline}).
(function () {
  'use strict';
  var RELOAD_KEY = 'telka-coi-reloaded';
  var SYNC_RETRY_MS = 60000;
  var me = document.currentScript;
  var base = (me && me.src) || location.href;
  var status = {
    state: window.crossOriginIsolated ? 'isolated' : 'reloading',
    reason: null,
    offline: {state: 'unknown'},
  };
  window.telkaIsolation = status;

  function storage() {
    try {
      return window.sessionStorage;
    } catch (e) {
      return null; // storage blocked: no way to know whether this is already the reload
    }
  }

  function say(text) {
    var show = function () {
      var box = document.getElementById('telka-coi-message');
      if (!box) {
        box = document.createElement('div');
        box.id = 'telka-coi-message';
        box.setAttribute('role', 'alert');
        box.style.cssText =
          'margin:8px;padding:10px 12px;border:2px solid #a00;background:#fff4f4;color:#000;' +
          'font:16px/1.4 sans-serif;white-space:pre-line';
        document.body.insertBefore(box, document.body.firstChild);
      }
      box.textContent = text;
    };
    if (document.body) show();
    else document.addEventListener('DOMContentLoaded', show);
  }

  function unavailable(reason) {
    status.state = 'unavailable';
    status.reason = reason;
    var store = storage();
    if (store) store.removeItem(RELOAD_KEY); // a reload by hand may try once more
    say(
      'This browser cannot run programs here: ' +
        reason +
        '\n' +
        'Programs run in a background thread that shares memory with the page, which browsers allow only on a ' +
        '"cross-origin isolated" page. Try reloading; use a current Chromium, Firefox or Safari, outside a private ' +
        'window; or ask for the site to be served over https (or from this computer) with the isolation headers ' +
        '(web/serve.mjs sends them).'
    );
    window.dispatchEvent(new CustomEvent('telka-isolation', {detail: status}));
  }

  // Loads the page again in place of this document: replace() leaves no history entry to restore this
  // not isolated document from (a fragment-only URL would not load again, so those use reload()).
  function reload() {
    if (location.hash) location.reload();
    else location.replace(location.href);
  }

  function reloadOnce(why) {
    var store = storage();
    if (!store) {
      unavailable(
        'the page is not cross-origin isolated, and with site storage blocked it cannot safely reload itself to become so.'
      );
      return;
    }
    if (store.getItem(RELOAD_KEY)) {
      unavailable(why);
      return;
    }
    store.setItem(RELOAD_KEY, '1');
    reload();
  }

  // Asks the worker to bring the offline copy up to date, again now and then until it is complete:
  // each message also keeps the worker alive while the large files download.
  function keepOfflineCopy(registration) {
    var timer = null;
    var ask = function () {
      var worker = navigator.serviceWorker.controller || registration.active;
      if (worker) worker.postMessage({type: 'telka-sync'});
    };
    navigator.serviceWorker.addEventListener('message', function (event) {
      var data = event.data || {};
      if (data.type !== 'telka-sync') return;
      status.offline = data;
      window.dispatchEvent(new CustomEvent('telka-offline', {detail: data}));
      if (data.state === 'ready' && timer !== null) {
        clearInterval(timer);
        timer = null;
      }
    });
    ask();
    timer = setInterval(ask, SYNC_RETRY_MS);
    window.addEventListener('online', ask);
    // A new build's worker has taken over: it fetches the rest of its files when asked.
    navigator.serviceWorker.addEventListener('controllerchange', function () {
      if (timer === null) timer = setInterval(ask, SYNC_RETRY_MS);
      ask();
    });
  }

  // The document that reloaded itself into isolation can come back from the back/forward cache (Chromium
  // restores it on a reload from outside the page), still not isolated: it reloads again, through the worker.
  window.addEventListener('pageshow', function (event) {
    if (event.persisted && !window.crossOriginIsolated && status.state === 'reloading') reload();
  });

  if (window.crossOriginIsolated) {
    var store = storage();
    if (store) store.removeItem(RELOAD_KEY);
  }
  if (!window.isSecureContext) {
    if (!window.crossOriginIsolated) {
      unavailable(
        'the page is served over plain http from another computer, and browsers isolate only pages ' +
          'served over https or from this computer (localhost).'
      );
    }
    return;
  }
  if (!('serviceWorker' in navigator)) {
    if (!window.crossOriginIsolated) {
      unavailable(
        'the server does not send the isolation headers, and this browser offers no service worker ' +
          'to add them (a private window can be the cause).'
      );
    }
    return;
  }
  navigator.serviceWorker.register(new URL('sw.js', base).href).then(
    function (registration) {
      if (window.crossOriginIsolated) {
        navigator.serviceWorker.ready.then(keepOfflineCopy);
        return;
      }
      if (navigator.serviceWorker.controller) {
        // Controlled and still not isolated: the worker's headers did not take, or this is a load that
        // bypassed it (a forced reload). One normal reload tells which.
        reloadOnce(
          'the service worker that adds the isolation headers runs, but the browser did not isolate the page.'
        );
        return;
      }
      // The first visit: once the worker is active, a reload is served by it, with the headers.
      navigator.serviceWorker.ready.then(function () {
        reloadOnce('the service worker that adds the isolation headers did not take control of the page.');
      });
      return registration;
    },
    function (error) {
      if (!window.crossOriginIsolated) {
        unavailable(
          'the server does not send the isolation headers, and the service worker that adds them ' +
            'could not start (' +
            ((error && error.message) || error) +
            ').'
        );
      }
    }
  );
})();
