// The web backend's JavaScript side, linked with --js-library: host windows
// as canvases in the page's desktop element, pixels onto them, and the page's
// keyboard and mouse as records queued for web_wait.cpp. Handlers only queue
// and wake the program's wait; they never call into the program, which may be
// suspended inside that wait. Record layout: web_internal.h.

mergeInto(LibraryManager.library, {
  $WebHosts: {
    hosts: {},        // id -> {id, frame, caption, canvas, ctx, image, pixels, owner, dialog}
    queue: [],        // records (arrays of 9 numbers), oldest first
    wakeUp: null,     // resumes the suspended wait
    timer: 0,
    active: 0,        // the host the keyboard goes to
    keysDown: {},     // keyCode -> location, released when the page loses focus
    presents: {},     // id -> number of presents, for the page and its tests
    firstPresentMs: 0,  // performance.now() of the first present
    onPresent: null,    // function(id) after each present, for measurements
    presentMs: 0,       // time spent presenting, all hosts
    presentPixels: 0,   // pixels put on canvases, all hosts
    listening: false,

    desktop: function() {
      return document.getElementById('telka-desktop') || document.body;
    },

    wake: function() {
      var wakeUp = WebHosts.wakeUp;
      if (!wakeUp) return;
      WebHosts.wakeUp = null;
      if (WebHosts.timer) clearTimeout(WebHosts.timer);
      WebHosts.timer = 0;
      wakeUp();
    },

    push: function(record) {
      var q = WebHosts.queue;
      // Only the latest position of a run of motions matters.
      if (record[0] === 5 && q.length > 0 && q[q.length - 1][0] === 5 && q[q.length - 1][1] === record[1])
        q[q.length - 1] = record;
      else
        q.push(record);
      WebHosts.wake();
    },

    mods: function(e) {
      var m = 0;
      if (e.shiftKey) m |= 1;
      if (e.ctrlKey) m |= 2;
      if (e.altKey) m |= 4;
      if (e.getModifierState && e.getModifierState('CapsLock')) m |= 8;
      if (e.getModifierState && e.getModifierState('NumLock')) m |= 16;
      return m;
    },

    // Keys typed into the page's own controls stay theirs.
    ownTarget: function(e) {
      var t = e.target;
      return t && t.closest && t.closest('input, textarea, select, button, a') !== null;
    },

    // Left to the browser: reload, full screen, developer tools, the system key.
    browserKey: function(e) {
      return e.keyCode === 116 || e.keyCode === 122 || e.keyCode === 123 || e.metaKey;
    },

    onKey: function(e, down) {
      if (WebHosts.ownTarget(e) || WebHosts.browserKey(e)) return;
      // The page keeps what it can of Ctrl+letter (reload, print, find...):
      // every key the program may use is taken from the browser.
      e.preventDefault();
      if (down) WebHosts.keysDown[e.keyCode] = e.location;
      else delete WebHosts.keysDown[e.keyCode];
      WebHosts.push([down ? 1 : 2, WebHosts.active, e.keyCode, e.location, WebHosts.mods(e), e.repeat ? 1 : 0,
                     0, 0, 0]);
    },

    // Keys released while the page had no focus never reach it.
    onBlur: function() {
      for (var code in WebHosts.keysDown)
        WebHosts.push([2, WebHosts.active, Number(code), WebHosts.keysDown[code], 0, 0, 0, 0, 0]);
      WebHosts.keysDown = {};
    },

    listen: function() {
      if (WebHosts.listening) return;
      WebHosts.listening = true;
      window.addEventListener('keydown', function(e) { WebHosts.onKey(e, true); }, true);
      window.addEventListener('keyup', function(e) { WebHosts.onKey(e, false); }, true);
      window.addEventListener('blur', WebHosts.onBlur);
    },

    point: function(host, e) {
      var r = host.canvas.getBoundingClientRect();
      var sx = r.width > 0 ? host.canvas.width / r.width : 1;
      var sy = r.height > 0 ? host.canvas.height / r.height : 1;
      return [Math.floor((e.clientX - r.left) * sx), Math.floor((e.clientY - r.top) * sy)];
    },

    activate: function(id) {
      if (WebHosts.active === id) return;
      WebHosts.active = id;
      WebHosts.push([6, id, 0, 0, 0, 0, 0, 0, 0]);
    },

    button: function(host, e, down) {
      var p = WebHosts.point(host, e);
      var button = e.button === 0 ? 1 : e.button === 1 ? 2 : e.button === 2 ? 3 : 0;
      if (button === 0) return;
      e.preventDefault();
      if (down) {
        // A click raises and activates its window, as a window manager does.
        WebHosts.activate(host.id);
        if (host.canvas.setPointerCapture) host.canvas.setPointerCapture(e.pointerId);
      }
      WebHosts.push([down ? 3 : 4, host.id, 0, 0, WebHosts.mods(e), 0, button, p[0], p[1]]);
    },

    makeFrame: function(host, title, width, height) {
      var frame = document.createElement('div');
      frame.className = host.dialog ? 'telka-window telka-dialog' : 'telka-window';
      frame.hidden = true;
      var caption = document.createElement('div');
      caption.className = 'telka-caption';
      var text = document.createElement('span');
      text.className = 'telka-title';
      caption.appendChild(text);
      var close = document.createElement('span');
      close.className = 'telka-close';
      close.textContent = '\u00d7';
      close.title = 'Close';
      close.addEventListener('click', function() { WebHosts.push([7, host.id, 0, 0, 0, 0, 0, 0, 0]); });
      caption.appendChild(close);
      var canvas = document.createElement('canvas');
      canvas.width = width;
      canvas.height = height;
      canvas.className = 'telka-surface';
      canvas.addEventListener('pointerdown', function(e) { WebHosts.button(host, e, true); });
      canvas.addEventListener('pointerup', function(e) { WebHosts.button(host, e, false); });
      canvas.addEventListener('pointermove', function(e) {
        var p = WebHosts.point(host, e);
        WebHosts.push([5, host.id, 0, 0, WebHosts.mods(e), 0, 0, p[0], p[1]]);
      });
      canvas.addEventListener('contextmenu', function(e) { e.preventDefault(); });
      frame.appendChild(caption);
      frame.appendChild(canvas);
      host.frame = frame;
      host.title = text;
      host.canvas = canvas;
      host.ctx = canvas.getContext('2d', {alpha: false});
      WebHosts.setTitle(host, title);
    },

    setTitle: function(host, title) {
      host.title.textContent = title;
      host.frame.dataset.title = title;
    },

    // A dialog sits over the middle of its owner.
    place: function(host) {
      var owner = WebHosts.hosts[host.owner];
      var desk = WebHosts.desktop();
      var box = desk.getBoundingClientRect();
      var left = 0, top = 0, w = box.width, h = Math.min(box.height, window.innerHeight);
      if (owner && !owner.frame.hidden) {
        var r = owner.frame.getBoundingClientRect();
        left = r.left - box.left;
        top = r.top - box.top;
        w = r.width;
        h = r.height;
      }
      host.frame.style.left = Math.max(0, Math.round(left + (w - host.frame.offsetWidth) / 2)) + 'px';
      host.frame.style.top = Math.max(0, Math.round(top + (h - host.frame.offsetHeight) / 2)) + 'px';
    },

    title: function(ptr) {
      var end = ptr;
      while (HEAPU8[end] !== 0) ++end;
      return new TextDecoder('windows-1252').decode(HEAPU8.slice(ptr, end));
    },
  },

  web_js_init__deps: ['$WebHosts'],
  web_js_init: function() {
    WebHosts.listen();
    Module['webHosts'] = WebHosts;
  },

  web_js_shutdown__deps: ['$WebHosts'],
  web_js_shutdown: function() {
    WebHosts.wake();
    WebHosts.queue = [];
  },

  web_js_create_host__deps: ['$WebHosts'],
  web_js_create_host: function(id, title, x, y, width, height, owner, dialog) {
    var host = {id: id, owner: owner, dialog: dialog !== 0, x: x, y: y};
    try {
      WebHosts.makeFrame(host, WebHosts.title(title), width, height);
    } catch (e) {
      err('web: ' + e);
      return 0;
    }
    WebHosts.hosts[id] = host;
    WebHosts.presents[id] = 0;
    WebHosts.desktop().appendChild(host.frame);
    return 1;
  },

  web_js_destroy_host__deps: ['$WebHosts'],
  web_js_destroy_host: function(id) {
    var host = WebHosts.hosts[id];
    if (!host) return;
    host.frame.remove();
    delete WebHosts.hosts[id];
    if (WebHosts.active === id) WebHosts.active = host.owner;
  },

  web_js_show_host__deps: ['$WebHosts'],
  web_js_show_host: function(id, visible) {
    var host = WebHosts.hosts[id];
    if (!host) return;
    host.frame.hidden = !visible;
    if (visible && host.dialog) {
      WebHosts.place(host);
      WebHosts.active = id;
    } else if (!visible && WebHosts.active === id) {
      WebHosts.active = host.owner;
    }
  },

  web_js_set_title__deps: ['$WebHosts'],
  web_js_set_title: function(id, title) {
    var host = WebHosts.hosts[id];
    if (host) WebHosts.setTitle(host, WebHosts.title(title));
  },

  web_js_present__deps: ['$WebHosts'],
  web_js_present: function(id, ptr, width, height, stride, rects, count) {
    var host = WebHosts.hosts[id];
    if (!host) return;
    var start = performance.now();
    if (!host.image || host.image.width !== width || host.image.height !== height) {
      if (host.canvas.width !== width) host.canvas.width = width;
      if (host.canvas.height !== height) host.canvas.height = height;
      host.image = host.ctx.createImageData(width, height);
      host.pixels = new Uint32Array(host.image.data.buffer);
    }
    // A fresh view of the heap: memory growth replaces its buffer.
    var heap = new Uint32Array(HEAPU8.buffer);
    var dst = host.pixels;
    for (var k = 0; k < count; ++k) {
      var x = HEAP32[(rects >> 2) + 4 * k], y = HEAP32[(rects >> 2) + 4 * k + 1];
      var w = HEAP32[(rects >> 2) + 4 * k + 2], h = HEAP32[(rects >> 2) + 4 * k + 3];
      for (var row = y; row < y + h; ++row) {
        var s = (ptr >> 2) + row * stride + x;
        var d = row * width + x;
        for (var i = 0; i < w; ++i) {
          var p = heap[s + i];
          // 0x00RRGGBB to the canvas's R, G, B, A bytes, opaque.
          dst[d + i] = 0xFF000000 | ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >>> 16) & 0xFF);
        }
      }
      // Only the dirty rectangle of the whole image goes to the canvas.
      host.ctx.putImageData(host.image, 0, 0, x, y, w, h);
      WebHosts.presentPixels += w * h;
    }
    WebHosts.presentMs += performance.now() - start;
    WebHosts.presents[id]++;
    if (!WebHosts.firstPresentMs && count > 0) WebHosts.firstPresentMs = performance.now();
    if (WebHosts.onPresent) WebHosts.onPresent(id);
  },

  web_js_wait__deps: ['$WebHosts'],
  web_js_wait: function(timeoutMs) {
    return Asyncify.handleSleep(function(wakeUp) {
      WebHosts.wakeUp = wakeUp;
      // Rounded up: a timer that fires before the deadline only wakes the
      // program to wait again.
      if (timeoutMs >= 0) WebHosts.timer = setTimeout(WebHosts.wake, Math.ceil(timeoutMs));
    });
  },

  web_js_pending__deps: ['$WebHosts'],
  web_js_pending: function() {
    return WebHosts.queue.length;
  },

  web_js_take_record__deps: ['$WebHosts'],
  web_js_take_record: function(out) {
    var record = WebHosts.queue.shift();
    if (!record) return 0;
    for (var i = 0; i < record.length; ++i) HEAP32[(out >> 2) + i] = record[i];
    return 1;
  },

  web_js_screen_size: function(out) {
    HEAP32[out >> 2] = Math.max(640, window.innerWidth | 0);
    HEAP32[(out >> 2) + 1] = Math.max(480, window.innerHeight | 0);
  },
});
