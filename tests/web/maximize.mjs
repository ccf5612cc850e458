// Maximize makes the window fill the page and the field follow it; restore
// brings back 792 x 673 and the centre. A maximized window follows the
// page's size, in the browser's own full screen too.
import { FIELD, canvasShot, census, check, run, waitFor, waitForCanvas } from './harness.mjs';

async function sizes(page) {
    return page.evaluate(() => {
        const box = (el) => {
            const r = el.getBoundingClientRect();
            return { x: r.x, y: r.y, width: r.width, height: r.height };
        };
        const win = document.querySelector('.window');
        const client = win.querySelector('.client');
        const canvas = client.querySelector('canvas');
        return {
            view: { width: innerWidth, height: innerHeight },
            maximized: win.classList.contains('maximized'),
            window: box(win),
            client: box(client),
            canvas: box(canvas),
            attrs: { width: canvas.width, height: canvas.height },
        };
    });
}

function fills(s) {
    return s.maximized && s.window.x === 0 && s.window.y === 0 &&
        s.window.width === s.view.width && s.window.height === s.view.height &&
        s.canvas.width === s.client.width && s.canvas.height === s.client.height &&
        s.canvas.x === s.client.x && s.canvas.y === s.client.y &&
        s.attrs.width === s.client.width && s.attrs.height === s.client.height;
}

function describe(s) {
    return `window ${JSON.stringify(s.window)}${s.maximized ? ' maximized' : ''}, client ${s.client.width} x ` +
        `${s.client.height}, canvas ${s.canvas.width} x ${s.canvas.height} (attributes ${s.attrs.width} x ` +
        `${s.attrs.height}) in ${s.view.width} x ${s.view.height}`;
}

// Persons are scattered over the whole field: some show right of and below
// the old 792 x 673 once the field is larger.
async function drawnBeyondField(page) {
    const shot = await canvasShot(page);
    let n = 0;
    for (let y = 0; y < shot.height; y++) {
        for (let x = 0; x < shot.width; x++) {
            if (x < FIELD.width && y < FIELD.height) continue;
            const i = (y * shot.width + x) * 4;
            if (shot.data[i] + shot.data[i + 1] + shot.data[i + 2] > 300) n++;
        }
    }
    return n;
}

async function restoredCentred(page) {
    const s = await sizes(page);
    const cx = s.window.x + s.window.width / 2 - s.view.width / 2;
    const cy = s.window.y + s.window.height / 2 - s.view.height / 2;
    const ok = !s.maximized && s.canvas.width === FIELD.width && s.canvas.height === FIELD.height &&
        s.attrs.width === FIELD.width && s.attrs.height === FIELD.height && Math.abs(cx) <= 1 && Math.abs(cy) <= 1;
    return ok ? s : null;
}

const SCREEN = { width: 1600, height: 1000 };

await run('maximize', async ({ page, url }) => {
    await page.setViewport({ width: 1280, height: 960, deviceScaleFactor: 1 });
    await page.goto(url, { waitUntil: 'load' });
    await waitForCanvas(page);
    check(await waitFor(async () => (census(await canvasShot(page)).healthy ?? 0) > 0, 10_000), 'no persons drawn');
    check(await restoredCentred(page), `at the start: ${describe(await sizes(page))}`);

    await page.click('.window .titlebar button.maximize');
    const max = await waitFor(async () => {
        const s = await sizes(page);
        return fills(s) ? s : null;
    }, 3000);
    check(max, `after maximize: ${describe(await sizes(page))}`);
    console.log(`maximized: ${describe(max)}`);
    check(max.client.width > FIELD.width && max.client.height > FIELD.height, 'the maximized client is not larger');
    const beyond = await waitFor(() => drawnBeyondField(page), 3000);
    check(beyond, 'nothing drawn beyond 792 x 673 on the maximized field');
    console.log(`${beyond} bright pixels beyond the old field`);

    // The page grows and shrinks under a maximized window, as the browser's
    // full screen makes it do.
    await page.setViewport({ width: 1024, height: 768, deviceScaleFactor: 1 });
    const smaller = await waitFor(async () => {
        const s = await sizes(page);
        return fills(s) && s.view.width === 1024 ? s : null;
    }, 3000);
    check(smaller, `maximized, page made 1024 x 768: ${describe(await sizes(page))}`);

    // The browser's own full screen: the page takes the whole screen, and
    // the maximized window with it.
    await page.setViewport(null);
    const full = await page.evaluate(async () => {
        await document.documentElement.requestFullscreen();
        return !!document.fullscreenElement;
    });
    check(full, 'the browser refused full screen');
    const fs = await waitFor(async () => {
        const s = await sizes(page);
        return fills(s) && s.view.width === SCREEN.width && s.view.height === SCREEN.height ? s : null;
    }, 3000);
    check(fs, `in full screen: ${describe(await sizes(page))}`);
    console.log(`in full screen: ${describe(fs)}`);
    await page.evaluate(() => document.exitFullscreen());
    const windowed = await waitFor(async () => {
        const s = await sizes(page);
        const left = !(await page.evaluate(() => document.fullscreenElement));
        return left && fills(s) && s.view.width < SCREEN.width ? s : null;
    }, 3000);
    check(windowed, `after full screen: ${describe(await sizes(page))}`);

    await page.setViewport({ width: 1280, height: 960, deviceScaleFactor: 1 });
    await page.click('.window .titlebar button.maximize');
    const back = await waitFor(() => restoredCentred(page), 3000);
    check(back, `after restore: ${describe(await sizes(page))}`);
    console.log(`restored: ${describe(back)}`);
    check(await waitFor(async () => (census(await canvasShot(page)).healthy ?? 0) > 0, 3000),
        'no persons drawn after restore');
}, { launchOptions: { screen: SCREEN } });
