// The page's service worker: the game plays offline after the first visit.
// The build puts VERSION and FILES (each file of the page and its SHA-256)
// before this text (tools/web_offline.py), so every new version of any file
// is a new worker, which the browser installs in the background. The page
// lets a waiting version take over only at its start, before the game runs.
//
// One cache per version holds the page, the game's code and, as the page
// reads them, the bundle and language files of the profile it plays. A file
// goes into it only when its digest is this version's, so a version is
// never mixed with another one's files.
'use strict';

const PREFIX = 'number-meadow-';
const CACHE = PREFIX + VERSION;
// What a first visit needs whatever the profile; each profile's bundle and a
// language's own files come in as the page reads them.
const CORE = Object.keys(FILES).filter((name) => !/^(bundle|lang)-/.test(name));

// A file of this version by its name in the page's folder, or null for
// anything else (the kit's services, a test's script): those go to the network.
function nameOf(url) {
  const scope = self.registration.scope;
  if (!url.startsWith(scope)) return null;
  const name = url.slice(scope.length).replace(/[?#].*$/, '') || 'index.html';
  return Object.prototype.hasOwnProperty.call(FILES, name) ? name : null;
}

function hex(buffer) {
  return Array.from(new Uint8Array(buffer), (b) => b.toString(16).padStart(2, '0')).join('');
}

// Fetches a file from the service and keeps it if it is this version's.
async function fetchAndKeep(cache, name) {
  const answer = await fetch(name, { cache: 'no-cache' });
  if (!answer.ok) throw new Error(`${name}: ${answer.status}`);
  const digest = hex(await crypto.subtle.digest('SHA-256', await answer.clone().arrayBuffer()));
  if (digest !== FILES[name]) throw new Error(`${name} on the service is not version ${VERSION}'s`);
  await cache.put(name, answer.clone());
  return answer;
}

self.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    const cache = await caches.open(CACHE);
    // The profile and languages an earlier version played stay offline too.
    const wanted = new Set(CORE);
    for (const key of await caches.keys()) {
      if (!key.startsWith(PREFIX) || key === CACHE) continue;
      for (const request of await (await caches.open(key)).keys()) {
        const name = nameOf(request.url);
        if (name) wanted.add(name);
      }
    }
    await Promise.all([...wanted].map((name) => fetchAndKeep(cache, name)));
  })());
});

self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    for (const key of await caches.keys()) {
      if (key.startsWith(PREFIX) && key !== CACHE) await caches.delete(key);
    }
    // A first visit's page comes under this worker at once, so that the
    // files it reads next are kept.
    await self.clients.claim();
  })());
});

// The page asks a waiting version to take over before its game starts.
self.addEventListener('message', (event) => {
  if (event.data === 'activate') self.skipWaiting();
});

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  const name = nameOf(event.request.url);
  if (!name) return;
  event.respondWith((async () => {
    const cache = await caches.open(CACHE);
    const kept = await cache.match(name);
    if (kept) return kept;
    try {
      return await fetchAndKeep(cache, name);
    } catch (error) {
      // The service has moved on to another version (or is out of reach):
      // the page says so and offers to try again.
      console.warn(`offline: ${error.message}`);
      return Response.error();
    }
  })());
});
