// The page's service worker. It keeps every file of the game in a cache of
// its own build and answers from there first, so that a page loaded once
// starts and plays again with no network. A new build comes with a new
// worker (its digest below differs), which caches the new files beside the
// old ones and takes over once no page of the old build is open any more: a
// running game never gets half of its files from another build. It then
// drops the caches of every older build.
'use strict';

// The build fills these in when it assembles the page.
const VERSION = '@PROJECT_VERSION@';
const DIGEST = '@VELTRANE_PAGE_DIGEST@';
const FILES = '@VELTRANE_PAGE_FILES@'.split(' ');

const PREFIX = 'veltrane-';
const CACHE = `${PREFIX}${VERSION}-${DIGEST}`;

self.addEventListener('install', (event) => {
    event.waitUntil(precache());
});

self.addEventListener('activate', (event) => {
    event.waitUntil(dropOlderBuilds().then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
    const request = event.request;
    const url = new URL(request.url);
    // Other sites and anything but reading are the network's business.
    if (request.method !== 'GET' || url.origin !== self.location.origin) {
        return;
    }
    event.respondWith(answer(request, url));
});

async function precache() {
    const cache = await caches.open(CACHE);
    // Past the browser's HTTP cache: a file it kept from an older build would
    // otherwise be kept here for good.
    await cache.addAll(FILES.map((name) => new Request(name, { cache: 'reload' })));
}

async function dropOlderBuilds() {
    const names = await caches.keys();
    const older = names.filter((name) => name.startsWith(PREFIX) && name !== CACHE);
    await Promise.all(older.map((name) => caches.delete(name)));
}

async function answer(request, url) {
    const cache = await caches.open(CACHE);
    // The folder's own address ("Play again", the app's start) is the page.
    const scope = new URL(self.registration.scope);
    const key = url.pathname === scope.pathname ? new URL('index.html', scope).href : request;
    const cached = await cache.match(key, { ignoreSearch: request.mode === 'navigate' });
    return cached || fetch(request);
}
