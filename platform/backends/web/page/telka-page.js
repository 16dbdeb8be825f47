// The page around a TELKA program: picks the program (?program=NAME), loads
// the font package and the program, shows what it prints and how it ended,
// and moves TELKA.SCR between the program's memory file system and the
// user's computer. window.telkaPage tells tests (and the curious) the state.
(function() {
  'use strict';

  var SCRIPT = '/TELKA.SCR';
  var programs = window.TELKA_PROGRAMS || [];
  var runnable = programs.concat(window.TELKA_TOOLS || []);
  var asked = new URLSearchParams(location.search).get('program');
  var program = asked && runnable.indexOf(asked) >= 0 ? asked : programs[0];

  var status = document.getElementById('telka-status');
  var output = document.getElementById('telka-output');
  var note = document.getElementById('telka-file-note');

  var page = window.telkaPage = {program: program, state: 'loading', exitCode: null, output: []};

  function say(text) { status.textContent = text; }

  function print(text, isError) {
    page.output.push(text);
    output.textContent += text + '\n';
    output.scrollTop = output.scrollHeight;
    (isError ? console.error : console.log)(text);
  }

  var nav = document.getElementById('telka-programs');
  programs.forEach(function(name) {
    var a = document.createElement('a');
    a.href = '?program=' + encodeURIComponent(name);
    a.textContent = name;
    if (name === program) a.className = 'telka-current';
    nav.appendChild(a);
  });

  if (!program) {
    say('This site has no programs.');
    page.state = 'failed';
    return;
  }
  document.title = program + ' - TELKA';

  window.Module = {
    print: function(text) { print(text, false); },
    printErr: function(text) { print(text, true); },
    onRuntimeInitialized: function() {
      page.state = 'running';
      say(program + ' is running. Click a window to give it the keyboard.');
    },
    onExit: function(code) {
      page.state = 'ended';
      page.exitCode = code;
      say(program + ' has ended (exit code ' + code + ').');
      var end = document.createElement('p');
      end.className = 'telka-ended';
      end.textContent = program + ' has ended. Reload the page to run it again.';
      document.getElementById('telka-desktop').appendChild(end);
    },
    onAbort: function(what) {
      page.state = 'failed';
      say(program + ' stopped with an error: ' + what);
    },
  };

  // exit() ends the program by throwing out of the resumed program's stack:
  // that is its end, not an error of the page.
  window.addEventListener('error', function(e) {
    if (e.error && e.error.name === 'ExitStatus') e.preventDefault();
  });

  function fs() { return window.Module.FS; }

  // The buttons give the keyboard back to the program's windows at once:
  // a focused button would take the next space or Enter.
  function done(button) { if (button && button.blur) button.blur(); }

  document.getElementById('telka-download').addEventListener('click', function(e) {
    done(e.currentTarget);
    var FS = fs();
    var data = null;
    try {
      if (FS) data = FS.readFile(SCRIPT);
    } catch (err) {
      data = null;
    }
    if (!data) {
      note.textContent = 'No TELKA.SCR yet: record one with Run > Record Script (Ctrl+R).';
      return;
    }
    var link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([data], {type: 'text/plain'}));
    link.download = 'TELKA.SCR';
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(function() { URL.revokeObjectURL(link.href); }, 1000);
    note.textContent = 'Downloaded TELKA.SCR (' + data.length + ' bytes).';
  });

  var upload = document.getElementById('telka-upload');
  upload.addEventListener('change', function() {
    var file = upload.files && upload.files[0];
    done(upload);
    if (!file) return;
    file.arrayBuffer().then(function(buffer) {
      var FS = fs();
      if (!FS) {
        note.textContent = 'The program is not running yet.';
        return;
      }
      FS.writeFile(SCRIPT, new Uint8Array(buffer));
      note.textContent = 'Loaded ' + file.name + (file.name === 'TELKA.SCR' ? '' : ' as TELKA.SCR') + ' (' +
          buffer.byteLength + ' bytes): Run > Playback Script (Ctrl+P) plays it.';
      upload.value = '';
    }, function(err) {
      note.textContent = 'Could not read ' + file.name + ': ' + err;
    });
  });

  // The font package registers its preload with Module, so it comes first.
  function load(src, then) {
    var s = document.createElement('script');
    s.src = src;
    s.onload = then;
    s.onerror = function() {
      page.state = 'failed';
      say('Could not load ' + src + '.');
    };
    document.body.appendChild(s);
  }
  load('fonts.js', function() { load(program + '.js', function() {}); });
})();
