// Once loaded, the game starts again with no network: its service worker
// serves the page, the program and its styles from the cache.
import { caption, check, findPerson, framesPerSecond, run, waitFor, waitForCanvas } from './harness.mjs';

await run('offline', async ({ page, url, server }) => {
    await page.goto(url, { waitUntil: 'load' });
    await waitForCanvas(page);
    const ready = await page.evaluate(() => {
        if (!('serviceWorker' in navigator)) return 'no service worker support';
        return Promise.race([
            navigator.serviceWorker.ready.then((r) => r.active?.scriptURL ?? 'no active worker'),
            new Promise((resolve) => setTimeout(() => resolve('none registered within 20 s'), 20_000)),
        ]);
    });
    check(/^http/.test(ready), `service worker: ${ready}`);
    console.log(`service worker ${ready} active`);

    // A worker that does not claim the open page controls it from the next
    // load on.
    if (!(await page.evaluate(() => !!navigator.serviceWorker.controller))) {
        await page.reload({ waitUntil: 'load' });
    }
    check(await page.evaluate(() => !!navigator.serviceWorker.controller), 'the page is not controlled by the worker');

    // No network at all: the browser is offline and the server is gone.
    await page.setOfflineMode(true);
    await server.close();
    const fromWorker = [];
    const fromNetwork = [];
    page.on('response', (r) => (r.fromServiceWorker() ? fromWorker : fromNetwork).push(new URL(r.url()).pathname));
    await page.reload({ waitUntil: 'load' });
    await waitForCanvas(page);
    check(await waitFor(() => findPerson(page), 15_000), 'offline: no person drawn within 15 s');
    check(await waitFor(async () => framesPerSecond(await caption(page)) !== null, 10_000), 'offline: no frame rate');
    console.log(`offline: from the worker ${fromWorker.join(' ')}; ` +
        `from the network ${fromNetwork.join(' ') || 'nothing'}`);
    check(fromWorker.some((p) => p.endsWith('.wasm')), 'the program did not come from the service worker');
    await page.setOfflineMode(false);
});
