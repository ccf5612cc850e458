// How long a player waits: from navigation to the first frame drawn with
// persons in it, and to the first frame-rate caption. Prints both figures;
// fails only when the game is far too slow to start.
import {
    caption, canvasShot, census, check, framesPerSecond, installProbe, probeFirstDraw, run, waitFor,
} from './harness.mjs';

const LIMIT_MS = 15_000;

await run('first_frame', async ({ page, url }) => {
    // The page's clock starts with navigation.
    await installProbe(page);
    await page.goto(url, { waitUntil: 'domcontentloaded' });

    // The first picture with a person in it, seen from outside.
    const drawn = await waitFor(async () => {
        if (!(await page.$('.window .client canvas'))) return null;
        const counts = census(await canvasShot(page));
        return (counts.healthy ?? 0) > 0 ? page.evaluate(() => performance.now()) : null;
    }, LIMIT_MS, 20);
    check(drawn, `no person on the canvas ${LIMIT_MS / 1000} s after navigation`);
    const firstDraw = await probeFirstDraw(page);
    check(firstDraw !== null, 'persons on the canvas, but no WebGL draw call seen');

    const fps = await waitFor(async () => framesPerSecond(await caption(page)) !== null ?
        page.evaluate(() => performance.now()) : null, LIMIT_MS, 20);
    check(fps, 'no frame rate in the caption');
    const timing = await page.evaluate(() => {
        const nav = performance.getEntriesByType('navigation')[0];
        const wasm = performance.getEntriesByType('resource').find((r) => r.name.endsWith('.wasm'));
        return { load: nav?.loadEventEnd ?? 0, wasm: wasm ? wasm.responseEnd : 0 };
    });
    console.log(`first draw call ${firstDraw.toFixed(0)} ms after navigation; first screenshot showing persons ` +
        `${drawn.toFixed(0)} ms; first frame-rate caption ${fps.toFixed(0)} ms (page loaded ` +
        `${timing.load.toFixed(0)} ms, wasm fetched ${timing.wasm.toFixed(0)} ms)`);
    check(firstDraw <= drawn, 'persons seen before the first draw call');
    check(fps <= LIMIT_MS, `the first frame-rate caption came after ${fps.toFixed(0)} ms`);
});
