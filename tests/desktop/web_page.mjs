// Checks the assembled page folder of the browser build: the page and its
// manifest name only files the folder holds, the manifest is what browsers
// need to install the app, and the service worker caches every file and
// answers from its cache with no network.
// Usage: node web_page.mjs PAGE_FOLDER
import assert from 'node:assert/strict';
import { readFileSync, readdirSync } from 'node:fs';
import path from 'node:path';
import vm from 'node:vm';

const page = process.argv[2];
assert.ok(page, 'usage: web_page.mjs PAGE_FOLDER');
const read = (name) => readFileSync(path.join(page, name));

function filesUnder(folder, prefix = '') {
    return readdirSync(folder, { withFileTypes: true }).flatMap((entry) =>
        entry.isDirectory()
            ? filesUnder(path.join(folder, entry.name), `${prefix}${entry.name}/`)
            : [`${prefix}${entry.name}`]);
}

const checks = [];
const check = (name, body) => checks.push({ name, body });

// The worker runs as a browser runs it, in a global of its own, with the
// page served from this address.
const origin = 'https://play.example';
const scope = `${origin}/games/veltrane/`;
const types = {
    '.html': 'text/html', '.css': 'text/css', '.js': 'text/javascript',
    '.wasm': 'application/wasm', '.webmanifest': 'application/manifest+json',
    '.png': 'image/png', '.svg': 'image/svg+xml', '.txt': 'text/plain',
};

// One named cache of the Cache API, holding responses by address.
class MemoryCache {
    constructor() { this.entries = new Map(); }
    static key(request, ignoreSearch) {
        const url = new URL(typeof request === 'string' ? request : request.url, scope);
        if (ignoreSearch) url.search = '';
        url.hash = '';
        return url.href;
    }
    async addAll(requests) {
        const responses = await Promise.all(requests.map((request) => world.fetch(request)));
        responses.forEach((response, i) => {
            if (!response.ok) throw new TypeError(`addAll: ${requests[i].url} answered ${response.status}`);
        });
        for (const [i, response] of responses.entries()) {
            this.entries.set(MemoryCache.key(requests[i]), response);
        }
    }
    async match(request, options = {}) {
        const wanted = MemoryCache.key(request, options.ignoreSearch);
        for (const [key, response] of this.entries) {
            const stored = options.ignoreSearch ? MemoryCache.key(key, true) : key;
            if (stored === wanted) return response.clone();
        }
        return undefined;
    }
}

const world = {
    online: true,
    fetched: [],
    claimed: false,
    caches: new Map(),
    async fetch(request) {
        world.fetched.push(request);
        if (!world.online) throw new TypeError('Failed to fetch');
        const url = new URL(request.url);
        const name = url.pathname.startsWith(new URL(scope).pathname)
            ? url.pathname.slice(new URL(scope).pathname.length) : '';
        try {
            const body = read(name || 'index.html');
            return new Response(body, { headers: { 'Content-Type': types[path.extname(name)] ?? 'text/html' } });
        } catch {
            return new Response('not found', { status: 404 });
        }
    },
};

function startWorker() {
    const listeners = {};
    const self = {
        location: new URL('sw.js', scope),
        registration: { scope },
        clients: { claim: async () => { world.claimed = true; } },
        addEventListener: (type, listener) => { listeners[type] = listener; },
    };
    const caches = {
        open: async (name) => {
            if (!world.caches.has(name)) world.caches.set(name, new MemoryCache());
            return world.caches.get(name);
        },
        keys: async () => [...world.caches.keys()],
        delete: async (name) => world.caches.delete(name),
    };
    // Relative addresses resolve against the worker's own, as in a browser.
    class WorkerRequest extends Request {
        constructor(input, init) {
            super(typeof input === 'string' ? new URL(input, self.location) : input, init);
        }
    }
    const context = vm.createContext({
        self, caches, URL, Response, Request: WorkerRequest, console,
        fetch: (request) => world.fetch(request),
    });
    vm.runInContext(read('sw.js').toString(), context, { filename: 'sw.js' });
    return {
        // Dispatches an extendable event; resolves when its work is done.
        async extendable(type) {
            let work = Promise.resolve();
            listeners[type]({ waitUntil: (promise) => { work = promise; } });
            await work;
        },
        // Dispatches a fetch; the answer, or undefined when left to the network.
        async fetch(request) {
            let answer;
            listeners.fetch({ request, respondWith: (promise) => { answer = promise; } });
            return answer;
        },
    };
}

const workerSource = read('sw.js').toString();
const precached = vm.runInNewContext(`${workerSource}; FILES`, {
    self: { addEventListener() {} },
});

check('the build filled in the service worker', () => {
    assert.doesNotMatch(workerSource, /@[A-Z_]+@/);
    assert.match(workerSource, /const DIGEST = '[0-9a-f]{16}';/);
});

check('the service worker caches every file of the folder but itself', () => {
    const present = filesUnder(page).filter((name) => name !== 'sw.js').sort();
    assert.deepEqual([...precached].sort(), present);
    assert.equal(new Set(precached).size, precached.length, 'a file is listed twice');
});

check('the game itself is in the folder', () => {
    for (const name of ['index.html', 'veltrane.js', 'veltrane.wasm']) {
        assert.ok(precached.includes(name), name);
    }
    // A WebAssembly module starts with its magic number and version 1.
    assert.deepEqual([...read('veltrane.wasm').subarray(0, 8)], [0, 0x61, 0x73, 0x6d, 1, 0, 0, 0]);
});

const html = read('index.html').toString();
check('every file the page refers to is cached', () => {
    const references = [...html.matchAll(/\b(?:href|src)="([^"]+)"/g)].map((m) => m[1]);
    assert.ok(references.includes('sw.js') || html.includes("register('sw.js')"), 'the page registers its worker');
    for (const reference of references) {
        if (/^[a-z]+:/.test(reference) || reference === './') continue;
        assert.ok(precached.includes(reference), `${reference} is referred to but not cached`);
    }
    assert.match(html, /<link rel="manifest" href="manifest\.webmanifest">/);
});

check('the manifest has what an installable app needs', () => {
    const manifest = JSON.parse(read('manifest.webmanifest'));
    const title = html.match(/<title>([^<]*)<\/title>/)[1];
    assert.equal(manifest.name, title);
    assert.ok(manifest.short_name && manifest.short_name.length <= 12, 'a short name for launchers');
    assert.match(manifest.id, /^[a-z]+(\.[A-Za-z]+)+$/);
    assert.equal(manifest.display, 'standalone');
    // Relative, so that the page works from whatever folder serves it.
    assert.equal(manifest.start_url, './');
    assert.equal(manifest.scope, './');
    assert.match(manifest.theme_color, /^#[0-9a-f]{6}$/);
    assert.ok(manifest.icons.length > 0);
    let largest = 0;
    for (const icon of manifest.icons) {
        assert.ok(precached.includes(icon.src), `icon ${icon.src} is not cached`);
        if (icon.type === 'image/png') {
            // The size a PNG declares in its header is the one the manifest claims.
            const png = read(icon.src);
            assert.equal(png.toString('latin1', 12, 16), 'IHDR', icon.src);
            const size = `${png.readUInt32BE(16)}x${png.readUInt32BE(20)}`;
            assert.equal(icon.sizes, size, icon.src);
            largest = Math.max(largest, png.readUInt32BE(16));
        } else {
            assert.equal(icon.type, 'image/svg+xml');
            assert.equal(icon.sizes, 'any');
            assert.match(read(icon.src).toString(), /<svg[\s>]/);
        }
    }
    // Browsers install an app with a square icon of at least 144 pixels.
    assert.ok(largest >= 144, `largest PNG icon ${largest} px`);
});

check('installed, the worker holds every file under its build\'s name', async () => {
    const worker = startWorker();
    await worker.extendable('install');
    const names = [...world.caches.keys()];
    assert.equal(names.length, 1);
    const [name] = names;
    assert.match(name, /^veltrane-\d+\.\d+\.\d+-[0-9a-f]{16}$/);
    const cache = world.caches.get(name);
    for (const file of precached) {
        const response = await cache.match(new URL(file, scope).href);
        assert.ok(response, `${file} not cached`);
        assert.ok(Buffer.from(await response.arrayBuffer()).equals(read(file)), `${file} cached wrong`);
    }
    // Every file came from the server, none from the browser's HTTP cache.
    assert.ok(world.fetched.every((request) => request.cache === 'reload'));
});

check('activated, the worker drops older builds\' caches only', async () => {
    world.caches.set('veltrane-0.10.0-0123456789abcdef', new MemoryCache());
    world.caches.set('someone-else', new MemoryCache());
    const current = [...world.caches.keys()].find((name) => /^veltrane-.*[0-9a-f]{16}$/.test(name) &&
        name !== 'veltrane-0.10.0-0123456789abcdef');
    await startWorker().extendable('activate');
    assert.deepEqual([...world.caches.keys()].sort(), [current, 'someone-else'].sort());
    assert.ok(world.claimed, 'the open page is taken over');
});

check('offline, the worker answers from its cache', async () => {
    const worker = startWorker();
    world.online = false;
    const body = async (answer) => Buffer.from(await (await answer).arrayBuffer());
    const navigate = (url) => ({ method: 'GET', url, mode: 'navigate' });
    assert.ok((await body(worker.fetch(navigate(scope)))).equals(read('index.html')));
    assert.ok((await body(worker.fetch(navigate(`${scope}?again`)))).equals(read('index.html')));
    assert.ok((await body(worker.fetch(navigate(`${scope}index.html?from=launcher`)))).equals(read('index.html')));
    const wasm = await worker.fetch({ method: 'GET', url: `${scope}veltrane.wasm`, mode: 'cors' });
    // Streaming compilation wants the type the server gave.
    assert.equal(wasm.headers.get('Content-Type'), 'application/wasm');
    assert.ok(Buffer.from(await wasm.arrayBuffer()).equals(read('veltrane.wasm')));
    // What it does not hold is left to fail as the network fails.
    await assert.rejects(worker.fetch({ method: 'GET', url: `${scope}elsewhere.txt`, mode: 'cors' }));
    assert.equal(await worker.fetch({ method: 'POST', url: `${scope}index.html`, mode: 'cors' }), undefined);
    assert.equal(await worker.fetch({ method: 'GET', url: 'https://other.example/x.js', mode: 'cors' }), undefined);
    world.online = true;
});

let failed = 0;
for (const { name, body } of checks) {
    try {
        await body();
        console.log(`ok      ${name}`);
    } catch (error) {
        failed += 1;
        console.log(`FAILED  ${name}\n${error.stack}`);
    }
}
console.log(`${checks.length - failed} of ${checks.length} checks passed`);
process.exitCode = failed ? 1 : 0;
