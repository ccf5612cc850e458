// Shared by the browser tests: serve the page, start Chromium, watch for
// errors, and read the game's picture back as pixels.
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { existsSync } from 'node:fs';
import { extname, join, normalize, sep } from 'node:path';
import { parseArgs } from 'node:util';
import { setTimeout as sleep } from 'node:timers/promises';

// Tests that cannot run here (no Chromium, no packages) say so with
// CTest's skip code rather than pretend to pass.
export const SKIP = 77;

const options = parseArgs({
    options: {
        page: { type: 'string' },
        version: { type: 'string', default: '' },
    },
    strict: false,
}).values;

export const PAGE_DIR = options.page;
export const VERSION = options.version;
export const CAPTION = `Veltrane Game (by Tarvosk) version ${VERSION}`;
export const FIELD = { width: 792, height: 673 };

let puppeteer;
try {
    puppeteer = (await import('puppeteer-core')).default;
} catch {
    console.log('SKIP: puppeteer-core is not installed (scripts/setup --web installs it)');
    process.exit(SKIP);
}
const { PNG } = await import('pngjs');

function chromiumPath() {
    const candidates = [process.env.VELTRANE_CHROMIUM, '/usr/bin/chromium', '/usr/lib/chromium/chromium'];
    return candidates.find((p) => p && existsSync(p));
}

const TYPES = {
    '.html': 'text/html; charset=utf-8',
    '.js': 'text/javascript; charset=utf-8',
    '.mjs': 'text/javascript; charset=utf-8',
    '.css': 'text/css; charset=utf-8',
    '.wasm': 'application/wasm',
    '.json': 'application/json',
    '.webmanifest': 'application/manifest+json',
    '.png': 'image/png',
    '.svg': 'image/svg+xml',
    '.ico': 'image/x-icon',
    '.txt': 'text/plain; charset=utf-8',
};

// A plain static server on 127.0.0.1, as a user's own web server would be:
// no special headers, a folder's index.html for the folder.
export async function serve(dir) {
    const root = normalize(dir);
    const server = createServer(async (request, response) => {
        const path = decodeURIComponent(new URL(request.url, 'http://x').pathname);
        let file = normalize(join(root, path));
        if (file !== root && !file.startsWith(root + sep)) {
            response.writeHead(403).end();
            return;
        }
        if (path.endsWith('/')) file = join(file, 'index.html');
        try {
            const body = await readFile(file);
            const type = TYPES[extname(file)] ?? 'application/octet-stream';
            response.writeHead(200, { 'Content-Type': type, 'Content-Length': body.length });
            response.end(request.method === 'HEAD' ? undefined : body);
        } catch {
            response.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found');
        }
    });
    // Chromium keeps connections alive; closing must not wait for them.
    const sockets = new Set();
    server.on('connection', (s) => {
        sockets.add(s);
        s.on('close', () => sockets.delete(s));
    });
    await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
    return {
        url: `http://127.0.0.1:${server.address().port}/`,
        close: () =>
            new Promise((resolve) => {
                for (const s of sockets) s.destroy();
                server.close(resolve);
            }),
    };
}

export async function launch({ webgl = true, width = 1024, height = 768, screen = null } = {}) {
    const executablePath = chromiumPath();
    if (!executablePath) {
        console.log('SKIP: no Chromium (scripts/setup --web installs it)');
        process.exit(SKIP);
    }
    const args = [
        '--no-sandbox',
        '--use-angle=swiftshader',
        '--enable-unsafe-swiftshader',
        // The machine's network is closed: no calls home, no component updates.
        '--disable-background-networking',
        '--disable-component-update',
        '--disable-sync',
        '--no-first-run',
        // Timers and frames keep their pace though nobody looks at the page.
        '--disable-background-timer-throttling',
        '--disable-renderer-backgrounding',
        '--disable-backgrounding-occluded-windows',
        `--window-size=${width},${height}`,
    ];
    if (!webgl) args.push('--disable-webgl');
    // A headless screen of a given size, for the browser's full screen.
    if (screen) args.push(`--screen-info={0,0 ${screen.width}x${screen.height}}`);
    // Puppeteer gives each launch a fresh profile and removes it afterwards.
    return puppeteer.launch({
        executablePath,
        headless: true,
        args,
        defaultViewport: { width, height, deviceScaleFactor: 1 },
    });
}

// Watches a page for what a user would never see but which is a fault all
// the same: uncaught exceptions and errors on the console.
export function watch(page) {
    const errors = { console: [], page: [] };
    page.on('console', (message) => {
        if (message.type() === 'error') errors.console.push(message.text());
    });
    page.on('response', (response) => {
        if (response.status() >= 400) errors.console.push(`HTTP ${response.status()} for ${response.url()}`);
    });
    page.on('pageerror', (error) => errors.page.push(String(error?.message ?? error)));
    page.on('requestfailed', (request) => {
        // A reload or navigation cancels requests under way: not a fault.
        const reason = request.failure()?.errorText ?? '';
        if (reason !== 'net::ERR_ABORTED') errors.console.push(`request failed: ${request.url()} ${reason}`);
    });
    return errors;
}

export class Failure extends Error {}

export function check(condition, message) {
    if (!condition) throw new Failure(message);
}

// Polls fn until it returns something truthy; returns that, or null after
// timeoutMs.
export async function waitFor(fn, timeoutMs, intervalMs = 50) {
    const end = performance.now() + timeoutMs;
    for (;;) {
        const value = await fn();
        if (value) return value;
        if (performance.now() >= end) return null;
        await sleep(intervalMs);
    }
}

// Runs one test: a server for the page and Chromium, torn down whatever
// happens. Prints PASS or FAIL with the test's name, which scripts/test
// counts, and sets the exit code.
export async function run(name, body, { timeoutMs = 90_000, launchOptions = {} } = {}) {
    if (!/^\d+\.\d+$/.test(VERSION)) {
        console.log(`FAIL ${name}: --version must give the game's major.minor, not '${VERSION}'`);
        process.exitCode = 1;
        return;
    }
    if (!PAGE_DIR || !existsSync(join(PAGE_DIR, 'index.html'))) {
        console.log(`FAIL ${name}: no page to serve in '${PAGE_DIR}' (build target web_page)`);
        process.exitCode = 1;
        return;
    }
    const server = await serve(PAGE_DIR);
    let browser;
    let timer;
    const ctx = { server, url: server.url, errors: null, page: null, browser: null };
    try {
        browser = await launch(launchOptions);
        ctx.browser = browser;
        ctx.page = (await browser.pages())[0] ?? (await browser.newPage());
        ctx.errors = watch(ctx.page);
        const timeout = new Promise((_, reject) => {
            timer = setTimeout(() => reject(new Failure(`no result within ${timeoutMs / 1000} s`)), timeoutMs);
        });
        await Promise.race([body(ctx), timeout]);
        check(ctx.errors.page.length === 0, `page errors: ${ctx.errors.page.join(' | ')}`);
        check(ctx.errors.console.length === 0, `console errors: ${ctx.errors.console.join(' | ')}`);
        console.log(`PASS ${name}`);
    } catch (error) {
        const text = error instanceof Failure ? error.message : error?.stack ?? String(error);
        console.log(`FAIL ${name}: ${text}`);
        if (ctx.errors?.page.length) console.log(`page errors: ${ctx.errors.page.join(' | ')}`);
        if (ctx.errors?.console.length) console.log(`console errors: ${ctx.errors.console.join(' | ')}`);
        process.exitCode = 1;
    } finally {
        clearTimeout(timer);
        await browser?.close().catch(() => {});
        await server.close();
    }
}

// --- The game's window ---------------------------------------------------

export async function caption(page) {
    return page.evaluate(() => document.querySelector('.window .titlebar .caption')?.textContent ?? null);
}

// The frame rate the caption shows, or null before it shows one.
export function framesPerSecond(text) {
    const match = /\. FPS: (\d+)$/.exec(text ?? '');
    return match ? Number(match[1]) : null;
}

// Records every setting of the caption, same text or not, with its time.
export async function recordCaptions(page) {
    await page.evaluate(() => {
        const node = document.querySelector('.window .titlebar .caption');
        window.__captions = [];
        new MutationObserver(() => window.__captions.push([performance.now(), node.textContent])).observe(node, {
            childList: true, characterData: true, subtree: true,
        });
    });
}

export async function recordedCaptions(page) {
    return page.evaluate(() => window.__captions);
}

export async function waitForCanvas(page, timeoutMs = 20_000) {
    const found = await waitFor(() => page.$('.window .client canvas'), timeoutMs);
    check(found, `no game canvas within ${timeoutMs / 1000} s`);
    return found;
}

export async function rect(page, selector) {
    return page.$eval(selector, (el) => {
        const r = el.getBoundingClientRect();
        return { x: r.x, y: r.y, width: r.width, height: r.height };
    });
}

// --- Pixels ----------------------------------------------------------------

// The canvas as the compositor shows it, one pixel per CSS pixel.
export async function canvasShot(page) {
    const r = await rect(page, '.window .client canvas');
    const clip = { x: r.x, y: r.y, width: r.width, height: r.height };
    const png = await page.screenshot({ clip, type: 'png', captureBeyondViewport: false });
    const image = PNG.sync.read(Buffer.from(png));
    image.origin = { x: r.x, y: r.y };
    return image;
}

export async function pageShot(page) {
    return Buffer.from(await page.screenshot({ type: 'png' }));
}

export function decodePng(buffer) {
    return PNG.sync.read(buffer);
}

// The persons' colours as simulation/Unit_TPerson.cpp draws them: white
// healthy, red ill, blue quarantined, green ill and quarantined, 0.8 grey
// crosses for the dead and brown dots for graves, on black.
const COLOURS = {
    black: [0, 0, 0],
    healthy: [255, 255, 255],
    infected: [255, 0, 0],
    quarantined: [0, 0, 255],
    infectedQuarantined: [0, 255, 0],
    dead: [204, 204, 204],
    grave: [136, 96, 11],
};

// The nearest of the known colours, or 'other' (edges blended by the
// rasterizer, the flashing field at the game's end).
export function classify(r, g, b) {
    let best = 'other';
    let bestDistance = 24 * 24 * 3;
    for (const [name, [cr, cg, cb]] of Object.entries(COLOURS)) {
        const d = (r - cr) ** 2 + (g - cg) ** 2 + (b - cb) ** 2;
        if (d < bestDistance) {
            best = name;
            bestDistance = d;
        }
    }
    return best;
}

// The game is over when nobody healthy is left: the field then flashes in
// random colours instead of showing black.
export function gameOver(image) {
    return (census(image).black ?? 0) < (image.width * image.height) / 2;
}

export function colourAt(image, x, y) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return 'outside';
    const i = (image.width * y + x) * 4;
    return classify(image.data[i], image.data[i + 1], image.data[i + 2]);
}

export function census(image) {
    const counts = {};
    for (let i = 0; i < image.data.length; i += 4) {
        const c = classify(image.data[i], image.data[i + 1], image.data[i + 2]);
        counts[c] = (counts[c] ?? 0) + 1;
    }
    return counts;
}

// Connected areas of one colour: persons are squares of 7 to 11 pixels.
export function blobs(image, colour) {
    const { width, height } = image;
    const seen = new Uint8Array(width * height);
    const found = [];
    for (let start = 0; start < width * height; start++) {
        if (seen[start]) continue;
        seen[start] = 1;
        if (colourAt(image, start % width, Math.floor(start / width)) !== colour) continue;
        const stack = [start];
        let x0 = width, y0 = height, x1 = -1, y1 = -1, count = 0;
        while (stack.length) {
            const p = stack.pop();
            const x = p % width;
            const y = Math.floor(p / width);
            count++;
            x0 = Math.min(x0, x); x1 = Math.max(x1, x);
            y0 = Math.min(y0, y); y1 = Math.max(y1, y);
            for (const [nx, ny] of [[x + 1, y], [x - 1, y], [x, y + 1], [x, y - 1]]) {
                if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
                const q = ny * width + nx;
                if (seen[q]) continue;
                if (colourAt(image, nx, ny) === colour) {
                    seen[q] = 1;
                    stack.push(q);
                }
            }
        }
        found.push({ x0, y0, x1, y1, count, cx: (x0 + x1) / 2, cy: (y0 + y1) / 2 });
    }
    return found;
}

// A lone person's square: the size of one person, and nothing else drawn
// within `margin` pixels, so that a click there can hit only that person.
function lonely(image, blob, margin) {
    const w = blob.x1 - blob.x0;
    const h = blob.y1 - blob.y0;
    if (w < 5 || w > 12 || h < 5 || h > 12) return false;
    if (blob.count < 0.8 * (blob.x1 - blob.x0 + 1) * (blob.y1 - blob.y0 + 1)) return false;
    for (let y = blob.y0 - margin; y <= blob.y1 + margin; y++) {
        for (let x = blob.x0 - margin; x <= blob.x1 + margin; x++) {
            if (x >= blob.x0 && x <= blob.x1 && y >= blob.y0 && y <= blob.y1) continue;
            const c = colourAt(image, x, y);
            if (c === 'outside') return false;
            if (c !== 'black' && c !== 'other') return false;
        }
    }
    return true;
}

// Finds a lone person of the given colour that barely moves between two
// pictures a tenth of a second apart, so that a click aimed at it lands.
// Returns its centre in canvas and in page coordinates, or null.
export async function findPerson(page, colour = 'healthy') {
    // A screenshot's moment is taken as the middle of its call.
    const shoot = async () => {
        const started = performance.now();
        const image = await canvasShot(page);
        image.at = (started + performance.now()) / 2;
        return image;
    };
    const first = await shoot();
    await sleep(100);
    const second = await shoot();
    const before = blobs(first, colour).filter((b) => lonely(first, b, 8));
    const after = blobs(second, colour).filter((b) => lonely(second, b, 8));
    let best = null;
    for (const b of after) {
        for (const a of before) {
            const moved = Math.hypot(a.cx - b.cx, a.cy - b.cy);
            if (moved <= 3 && (!best || moved < best.moved)) best = { ...b, moved, from: a };
        }
    }
    if (!best) return null;
    const dt = second.at - first.at;
    return {
        cx: best.cx,
        cy: best.cy,
        vx: (best.cx - best.from.cx) / dt,
        vy: (best.cy - best.from.cy) / dt,
        at: second.at,
        origin: second.origin,
        ...aim(second.origin, best.cx, best.cy),
    };
}

function aim(origin, cx, cy) {
    const x = Math.round(cx);
    const y = Math.round(cy);
    return { x, y, pageX: origin.x + x + 0.5, pageY: origin.y + y + 0.5 };
}

// Where a person found by findPerson is now, going on as it went.
export function ahead(person) {
    const dt = performance.now() - person.at;
    return { ...person, ...aim(person.origin, person.cx + person.vx * dt, person.cy + person.vy * dt) };
}

// Whether the colour shows within `radius` pixels of (x, y).
export function showsNear(image, x, y, colour, radius = 2) {
    for (let dy = -radius; dy <= radius; dy++) {
        for (let dx = -radius; dx <= radius; dx++) {
            if (colourAt(image, x + dx, y + dy) === colour) return true;
        }
    }
    return false;
}

// Waits for the colour near (x, y) on the canvas: persons walking by cover
// a standing one for a frame or two, so one picture alone can miss it.
export async function waitForColour(page, x, y, colour, timeoutMs = 1000) {
    const started = performance.now();
    const seen = await waitFor(async () => showsNear(await canvasShot(page), x, y, colour), timeoutMs, 0);
    return seen ? performance.now() - started : null;
}

export async function clickAt(page, x, y, button = 'left') {
    await page.mouse.move(x, y);
    await page.mouse.down({ button });
    await page.mouse.up({ button });
}

// Persons move: aim at a slow one and try again with another if the click
// missed, as a player would. With the probe installed the hit is seen in
// the next frame drawn, else in screenshots. Returns where it hit, or null.
export async function clickPersonUntil(page, button, colour, attempts = 10) {
    const probed = await page.evaluate(() => !!window.__probe);
    for (let i = 0; i < attempts; i++) {
        const found = await findPerson(page, 'healthy');
        if (!found) continue;
        const p = ahead(found);
        if (probed) await probeWatch(page, p.x, p.y, colour, 2);
        await clickAt(page, p.pageX, p.pageY, button);
        const ms = probed ? await probeLatency(page, 1000) : await waitForColour(page, p.x, p.y, colour, 1000);
        if (ms !== null) return { ...p, ms, attempt: i + 1 };
        if (process.env.VELTRANE_TEST_VERBOSE) {
            const state = probed ? await page.evaluate(() => JSON.stringify({ ...window.__probe, gl: undefined })) : "";
            const speed = (Math.hypot(p.vx, p.vy) * 1000).toFixed(0);
            console.log(`${button} click at ${p.x},${p.y} missed (moving ${speed} px/s) ${state}`);
        }
    }
    return null;
}

// Clicks persons until one shows the colour; when none does (the disease
// has reached nearly everyone, or the game is over) it goes on in a new
// game, as a player would start one.
export async function clickPersonInSomeGame(page, button, colour, games = 3) {
    for (let game = 1; game <= games; game++) {
        const hit = await clickPersonUntil(page, button, colour);
        if (hit) return hit;
        const field = JSON.stringify(census(await canvasShot(page)));
        console.log(`${button} clicks: no person ${colour}; the field: ${field}`);
        if (game === games) break;
        await page.reload({ waitUntil: 'load' });
        await waitForCanvas(page);
        await waitFor(() => findPerson(page), 10_000);
    }
    return null;
}

// The centre of the `colour` area nearest to (x, y), in canvas and page
// coordinates.
export function nearestBlob(image, colour, x, y) {
    let best = null;
    for (const b of blobs(image, colour)) {
        const d = Math.hypot(b.cx - x, b.cy - y);
        if (!best || d < best.d) best = { ...b, d };
    }
    if (!best) return null;
    const bx = Math.round(best.cx);
    const by = Math.round(best.cy);
    return { ...best, x: bx, y: by, pageX: image.origin.x + bx + 0.5, pageY: image.origin.y + by + 0.5 };
}

// --- Inside the page ---------------------------------------------------------

// Watches the game's drawing from inside the page, so that a figure does not
// include the cost of a screenshot: the time of the first draw call, and
// after every task in which the game drew, whether a watched spot of the
// frame it just drew shows a colour (read before the browser presents and
// clears it). Install before navigation.
export async function installProbe(page) {
    await page.evaluateOnNewDocument(() => {
        const probe = { firstDraw: null, drew: false, gl: null, watch: null, seen: null, down: null };
        window.__probe = probe;
        const getContext = HTMLCanvasElement.prototype.getContext;
        HTMLCanvasElement.prototype.getContext = function (type, ...rest) {
            const context = getContext.call(this, type, ...rest);
            if (context && /webgl/.test(type)) probe.gl = context;
            return context;
        };
        for (const proto of [WebGLRenderingContext.prototype, globalThis.WebGL2RenderingContext?.prototype]) {
            if (!proto) continue;
            for (const name of ['drawArrays', 'drawElements']) {
                const draw = proto[name];
                proto[name] = function (...args) {
                    probe.firstDraw ??= performance.now();
                    probe.drew = true;
                    return draw.apply(this, args);
                };
            }
        }
        const look = () => {
            if (!probe.drew) return;
            probe.drew = false;
            const w = probe.watch;
            const gl = probe.gl;
            if (!w || probe.seen !== null || !gl) return;
            const size = 2 * w.radius + 1;
            const pixels = new Uint8Array(size * size * 4);
            gl.readPixels(w.x - w.radius, gl.drawingBufferHeight - 1 - (w.y + w.radius), size, size,
                gl.RGBA, gl.UNSIGNED_BYTE, pixels);
            for (let i = 0; i < pixels.length; i += 4) {
                const hit = w.rgb.some(([r, g, b]) =>
                    Math.abs(pixels[i] - r) + Math.abs(pixels[i + 1] - g) + Math.abs(pixels[i + 2] - b) <= 24);
                if (!hit) continue;
                // Shown before the press: something else did it.
                if (probe.down === null) probe.early = true;
                else probe.seen = performance.now();
                return;
            }
        };
        // The game draws in timer and animation-frame callbacks.
        const raf = window.requestAnimationFrame;
        window.requestAnimationFrame = (callback) => raf.call(window, (t) => {
            try { callback(t); } finally { look(); }
        });
        const timeout = window.setTimeout;
        window.setTimeout = (callback, ...rest) => typeof callback !== 'function' ? timeout(callback, ...rest) :
            timeout((...args) => {
                try { callback(...args); } finally { look(); }
            }, ...rest);
        window.addEventListener('mousedown', () => { probe.down = performance.now(); }, true);
    });
}

// Watches (x, y) on the canvas, within `radius` pixels, for one of the
// colours (names of COLOURS) from the next mouse press on.
export async function probeWatch(page, x, y, colours, radius = 1) {
    const rgb = [colours].flat().map((c) => COLOURS[c]);
    await page.evaluate((watch) => {
        Object.assign(window.__probe, { watch, seen: null, down: null, early: false });
    }, { x, y, radius, rgb });
}

// Milliseconds from the mouse press to the first drawn frame that showed
// a watched colour; null if none did within timeoutMs, or if one showed
// before the press (the disease, not the click, changed the person).
export async function probeLatency(page, timeoutMs) {
    const seen = await waitFor(() => page.evaluate(() => {
        const { seen, down, early } = window.__probe;
        if (early) return { ms: null };
        return seen !== null && down !== null ? { ms: seen - down } : null;
    }), timeoutMs, 10);
    return seen ? seen.ms : null;
}

export async function probeFirstDraw(page) {
    return page.evaluate(() => window.__probe.firstDraw);
}
