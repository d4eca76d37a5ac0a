// The page around the game: chooses the device profile, the language and the
// launcher's options from the screen, the browser and the address's query
// (?device=phone&scale=2&lang=it&seed=3&script=FILE&steps=fixed, as the
// launcher's --device, --scale, --lang, --seed, --script, --fixed-steps), loads that profile's
// bundle and the game, and starts the game at the first tap on the start card,
// since a browser lets sound start only from a gesture.
//
// It also makes the page an app a child plays on a tablet: kept for offline
// play by the service worker (sw.js), full screen and landscape where the
// browser allows, sound paused while hidden, and the on-screen keyboard for
// the game's text controls.
(function () {
  'use strict';
  var query = new URLSearchParams(location.search);
  var canvas = document.getElementById('canvas');
  var card = document.getElementById('card');
  var play = document.getElementById('play');
  var statusLine = document.getElementById('status');
  var retry = document.getElementById('retry');

  function fail(message) {
    statusLine.textContent = message;
    play.disabled = true;
    retry.hidden = false;
  }
  retry.addEventListener('click', function () { location.reload(); });

  var probe = document.createElement('canvas');
  if (!probe.getContext('webgl')) {
    fail('This browser cannot draw the game: WebGL is off or not supported.');
    return;
  }
  if (typeof SharedArrayBuffer === 'undefined') {
    fail('This browser cannot run the game here: the page is not cross-origin isolated.');
    return;
  }

  function choice(name, allowed, fallback) {
    var value = query.get(name);
    return allowed.indexOf(value) >= 0 ? value : fallback;
  }
  var shortSide = Math.min(window.innerWidth, window.innerHeight);
  var device = choice('device', ['tablet', 'phone'], shortSide < 600 ? 'phone' : 'tablet');
  var scale = choice('scale', ['1', '2'], window.devicePixelRatio >= 1.5 ? '2' : '1');
  var languages = navigator.languages && navigator.languages.length ? navigator.languages : [navigator.language || 'en'];
  var lang = (query.get('lang') || languages[0] || 'en').split('-')[0].toLowerCase();
  document.body.dataset.profile = device + '-' + scale + 'x';

  var args = ['--device', device, '--scale', scale, '--lang', lang, '--data-dir', '/nm',
              '--api-host', location.host, '--analytics-host', location.host,
              '--window', window.innerWidth + 'x' + window.innerHeight];
  var seed = query.get('seed');
  if (seed && /^[0-9]+$/.test(seed)) args.push('--seed', seed);
  if (query.get('steps') === 'fixed') args.push('--fixed-steps');

  // The game's sound contexts (Web Audio, under its OpenAL): a mobile browser
  // starts them suspended until a touch, and they pause while the page is hidden.
  var audioContexts = [];
  var BrowserAudioContext = window.AudioContext || window.webkitAudioContext;
  if (BrowserAudioContext) {
    window.AudioContext = window.webkitAudioContext = function (options) {
      var context = new BrowserAudioContext(options);
      audioContexts.push(context);
      return context;
    };
    window.AudioContext.prototype = BrowserAudioContext.prototype;
  }
  function resumeSound() {
    if (document.hidden) return;
    audioContexts.forEach(function (context) {
      if (context.state !== 'running' && context.state !== 'closed') context.resume();
    });
  }
  document.addEventListener('visibilitychange', function () {
    if (document.hidden) {
      audioContexts.forEach(function (context) { if (context.state === 'running') context.suspend(); });
    } else {
      resumeSound();
      // A tablet keeps an app open for days: back on screen, it looks for a
      // new version, to take at its next start.
      if ('serviceWorker' in navigator) {
        navigator.serviceWorker.getRegistration().then(function (r) { if (r) r.update(); }).catch(function () {});
      }
    }
  });
  ['touchend', 'pointerup', 'keydown'].forEach(function (name) {
    document.addEventListener(name, resumeSound, true);
  });

  // No long-press menu, double-tap zoom or pinch over the game.
  document.addEventListener('contextmenu', function (event) { event.preventDefault(); });
  document.addEventListener('gesturestart', function (event) { event.preventDefault(); });
  document.addEventListener('dblclick', function (event) { event.preventDefault(); });

  window.Module = {
    canvas: canvas,
    noInitialRun: true,
    // The game's log, as the desktop's stderr: tests read it from the console.
    print: function (text) { console.log(text); },
    printErr: function (text) { console.log(text); },
    onRuntimeInitialized: function () {
      statusLine.textContent = '';
      play.disabled = false;
      document.body.dataset.state = 'ready';
    },
    onAbort: function (what) { fail('The game stopped: ' + what); },
    // The game ended (a script's quit): its exit code, for tests.
    onGameEnd: function (code) { document.body.dataset.state = 'ended:' + code; }
  };

  // The focused text control's stand-in: an HTML text element over it, so
  // that a touch screen shows its keyboard and the input method composes in
  // it. The game and the element keep each other's text and caret.
  // The element while a control has the focus, else null.
  var keyboard = null;
  var keyboardBox = null;
  function codePoints(text) { return Array.from(text).length; }
  function sendKeyboardText() {
    var value = keyboard.value;
    Module.ccall('nm_keyboard_text', null, ['string', 'number', 'number'],
                 [value, codePoints(value.slice(0, keyboard.selectionStart)),
                  codePoints(value.slice(0, keyboard.selectionEnd))]);
  }
  // Keys the element has no use for are the game's: Tab to the next control,
  // Escape, and Return in a one-line field.
  var KEYS = { Enter: 0, Tab: 1, Escape: 3 };
  function keyboardKey(event) {
    var key = KEYS[event.key];
    if (key === undefined || event.isComposing || (event.key === 'Enter' && keyboard.tagName === 'TEXTAREA')) return;
    event.preventDefault();
    Module.ccall('nm_keyboard_key', null, ['number'], [key === 1 && event.shiftKey ? 2 : key]);
  }
  // A keyboard that slides over the game's lower half lifts the picture until
  // the control is above it.
  function liftAboveKeyboard() {
    var lift = 0;
    var view = window.visualViewport;
    if (keyboard && view) {
      var visibleBottom = view.offsetTop + view.height;
      lift = Math.max(0, Math.min(keyboardBox.y, keyboardBox.y + keyboardBox.height + 8 - visibleBottom));
    }
    var shift = lift ? 'translateY(' + -lift + 'px)' : '';
    canvas.style.transform = shift;
    if (keyboard) keyboard.style.transform = shift;
  }
  if (window.visualViewport) window.visualViewport.addEventListener('resize', liftAboveKeyboard);
  Module.nmKeyboard = {
    focus: function (text, multiLine, x, y, width, height) {
      var tag = multiLine ? 'TEXTAREA' : 'INPUT';
      if (!keyboard || keyboard.tagName !== tag) {
        if (keyboard) keyboard.remove();
        keyboard = document.createElement(tag);
        keyboard.id = 'keyboard';
        keyboard.setAttribute('autocomplete', 'off');
        keyboard.setAttribute('aria-label', multiLine ? 'Message' : 'Text');
        keyboard.addEventListener('input', sendKeyboardText);
        keyboard.addEventListener('keydown', keyboardKey);
        document.body.appendChild(keyboard);
      }
      keyboardBox = { x: x, y: y, width: width, height: height };
      keyboard.style.left = x + 'px';
      keyboard.style.top = y + 'px';
      keyboard.style.width = width + 'px';
      keyboard.style.height = height + 'px';
      keyboard.value = text;
      keyboard.setSelectionRange(keyboard.value.length, keyboard.value.length);
      keyboard.focus({ preventScroll: true });
      liftAboveKeyboard();
    },
    // The game changed the text itself (cut to the control's limit, cleared).
    update: function (text) {
      if (keyboard && keyboard.value !== text) keyboard.value = text;
    },
    blur: function () {
      if (keyboard) {
        keyboard.blur();
        keyboard.remove();
        keyboard = null;
      }
      liftAboveKeyboard();
      canvas.focus({ preventScroll: true });
    }
  };
  // Some browsers bring up the keyboard only for a focus made during a touch:
  // the game's focus comes a frame after the touch began, so it is made again
  // as the touch ends. Touches on the picture keep the focus where it is.
  document.addEventListener('touchend', function () {
    if (keyboard && document.activeElement !== keyboard) keyboard.focus({ preventScroll: true });
  }, true);
  canvas.addEventListener('mousedown', function (event) {
    if (keyboard) event.preventDefault();
  });

  // Messages the game could not send wait in its outbox: sent when the
  // browser is back on line.
  window.addEventListener('online', function () {
    if (document.body.dataset.state === 'playing') Module.ccall('nm_send_outbox', null, [], []);
  });

  function load(src) {
    return new Promise(function (resolve, reject) {
      var script = document.createElement('script');
      script.src = src;
      script.onload = resolve;
      script.onerror = function () { reject(new Error(src)); };
      document.body.appendChild(script);
    });
  }

  // Offline play. A version the service worker fetched in the background
  // during an earlier visit takes over now, before the game starts, never
  // during one. On a first visit the page waits for the worker to take charge,
  // so that the files it reads next are kept.
  function offline() {
    if (!('serviceWorker' in navigator)) return Promise.resolve();
    var workers = navigator.serviceWorker;
    return workers.register('sw.js').then(function (registration) {
      if (workers.controller && registration.waiting) {
        return new Promise(function () {
          workers.addEventListener('controllerchange', function () { location.reload(); });
          registration.waiting.postMessage('activate');
        });
      }
      var installing = registration.installing;
      if (workers.controller || !installing) return null;
      return new Promise(function (resolve) {
        workers.addEventListener('controllerchange', resolve);
        installing.addEventListener('statechange', function () {
          if (installing.state !== 'redundant') return;
          console.warn('offline: this version could not be kept; the game plays while on line');
          resolve();
        });
      });
    }).catch(function (error) {
      console.warn('offline: no service worker: ' + error.message);
    });
  }

  var scriptName = query.get('script');
  offline()
    .then(function () {
      if (!scriptName) return null;
      return fetch(scriptName).then(function (answer) {
        if (!answer.ok) throw new Error(scriptName);
        return answer.text();
      }).then(function (text) {
        Module.scriptText = text;
        args.push('--script', '/script.txt');
      });
    })
    // The profile's files, and the language's own where it has some (the base
    // language's are in the profile's).
    .then(function () { return load('bundle-' + device + '-' + scale + 'x.js'); })
    .then(function () { return fetch('languages.json'); })
    .then(function (answer) { return answer.ok ? answer.json() : []; })
    .then(function (packs) { return packs.indexOf(lang) >= 0 ? load('lang-' + lang + '.js') : null; })
    .then(function () { return load('number-meadow.js'); })
    .catch(function (error) {
      fail('The game could not be downloaded (' + error.message + '). Check the connection and try again.');
    });

  // A tablet's whole screen, held sideways, where the browser allows it (an
  // installed app already has it).
  function takeScreen() {
    var installed = window.matchMedia('(display-mode: fullscreen), (display-mode: standalone)').matches;
    var element = document.documentElement;
    if (installed || !window.matchMedia('(pointer: coarse)').matches || !element.requestFullscreen) {
      return Promise.resolve();
    }
    return element.requestFullscreen({ navigationUI: 'hide' }).catch(function () {});
  }
  function lockLandscape() {
    if (screen.orientation && screen.orientation.lock) screen.orientation.lock('landscape').catch(function () {});
  }

  function start(event) {
    event.preventDefault();
    if (play.disabled) return;
    play.disabled = true;
    card.hidden = true;
    document.body.dataset.state = 'playing';
    takeScreen().then(lockLandscape);
    // Preferences and the outbox outlive the browser's clean-ups of storage.
    if (navigator.storage && navigator.storage.persist) {
      navigator.storage.persist().then(function (granted) {
        if (!granted) console.log('storage: the browser may clear the saved files when space runs short');
      });
    }
    canvas.focus({ preventScroll: true });
    Module.callMain(args);
  }
  play.addEventListener('click', start);
})();
