// The page around the game: chooses the device profile, the language and the
// launcher's options from the screen, the browser and the address's query
// (?device=phone&scale=2&lang=it&seed=3&script=FILE&steps=fixed, as the
// launcher's --device, --scale, --lang, --seed, --script, --fixed-steps), loads that profile's
// bundle and the game, and starts the game at the first tap on the start card,
// since a browser lets sound start only from a gesture.
(function () {
  'use strict';
  var query = new URLSearchParams(location.search);
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

  var args = ['--device', device, '--scale', scale, '--lang', lang, '--data-dir', '/nm',
              '--api-host', location.host, '--analytics-host', location.host,
              '--window', window.innerWidth + 'x' + window.innerHeight];
  var seed = query.get('seed');
  if (seed && /^[0-9]+$/.test(seed)) args.push('--seed', seed);
  if (query.get('steps') === 'fixed') args.push('--fixed-steps');

  window.Module = {
    canvas: document.getElementById('canvas'),
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

  function load(src) {
    return new Promise(function (resolve, reject) {
      var script = document.createElement('script');
      script.src = src;
      script.onload = resolve;
      script.onerror = function () { reject(new Error(src)); };
      document.body.appendChild(script);
    });
  }

  var scriptName = query.get('script');
  var scriptReady = scriptName
    ? fetch(scriptName).then(function (answer) {
        if (!answer.ok) throw new Error(scriptName);
        return answer.text();
      }).then(function (text) {
        Module.scriptText = text;
        args.push('--script', '/script.txt');
      })
    : Promise.resolve();

  // The profile's files, and the language's own where it has some (the base
  // language's are in the profile's).
  var languagePack = fetch('languages.json')
    .then(function (answer) { return answer.ok ? answer.json() : []; })
    .then(function (languages) { return languages.indexOf(lang) >= 0 ? load('lang-' + lang + '.js') : null; });
  scriptReady
    .then(function () { return load('bundle-' + device + '-' + scale + 'x.js'); })
    .then(function () { return languagePack; })
    .then(function () { return load('number-meadow.js'); })
    .catch(function (error) {
      fail('The game could not be downloaded (' + error.message + '). Check the connection and try again.');
    });

  function start(event) {
    event.preventDefault();
    if (play.disabled) return;
    play.disabled = true;
    card.hidden = true;
    document.body.dataset.state = 'playing';
    Module.callMain(args);
  }
  play.addEventListener('click', start);
})();
