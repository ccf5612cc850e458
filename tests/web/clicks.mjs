// Real mouse clicks on persons: the left button quarantines (blue), the
// right one then infects (green); the right button on a free person infects
// it (red) and opens no context menu. The close button ends the program and
// the page offers a new game.
import {
    canvasShot, check, clickAt, clickPersonInSomeGame, findPerson, installProbe, nearestBlob, probeLatency, probeWatch,
    run, waitFor, waitForCanvas, waitForColour,
} from './harness.mjs';

await run('clicks', async ({ page, url }) => {
    await installProbe(page);
    await page.evaluateOnNewDocument(() => {
        window.__menus = { shown: 0, prevented: 0 };
        window.addEventListener('contextmenu', (e) => {
            window.__menus.shown++;
            if (e.defaultPrevented) window.__menus.prevented++;
        });
    });
    await page.goto(url, { waitUntil: 'load' });
    await waitForCanvas(page);
    check(await waitFor(async () => findPerson(page), 10_000), 'no lone healthy person drawn within 10 s');

    const q = await clickPersonInSomeGame(page, 'left', 'quarantined');
    check(q, 'left clicks quarantined nobody in three games (never drawn blue)');
    console.log(`left click at ${q.x},${q.y}: blue after ${q.ms.toFixed(0)} ms (attempt ${q.attempt})`);
    check(await waitForColour(page, q.x, q.y, 'quarantined', 3000) !== null, 'drawn blue, but not blue on screen');

    // Quarantined persons stand still.
    const a = nearestBlob(await canvasShot(page), 'quarantined', q.x, q.y);
    check(a && a.d <= 6, `no blue person near ${q.x},${q.y}`);
    await new Promise((r) => setTimeout(r, 300));
    const b = nearestBlob(await canvasShot(page), 'quarantined', a.cx, a.cy);
    check(b && b.d <= 1, `the quarantined person at ${a.cx},${a.cy} moved (${b ? b.d.toFixed(1) : 'gone'})`);

    const { x, y } = b;
    await probeWatch(page, x, y, 'infectedQuarantined');
    await clickAt(page, b.pageX, b.pageY, 'right');
    const ms = await probeLatency(page, 1000);
    check(ms !== null, `right click on the quarantined person at ${x},${y}: not drawn green within 1 s`);
    check(await waitForColour(page, x, y, 'infectedQuarantined', 3000) !== null,
        'drawn green, but not green on screen');
    console.log(`right click at ${x},${y}: green after ${ms.toFixed(0)} ms`);

    const r = await clickPersonInSomeGame(page, 'right', 'infected');
    check(r, 'right clicks infected nobody in three games (never drawn red)');
    console.log(`right click at ${r.x},${r.y}: red after ${r.ms.toFixed(0)} ms (attempt ${r.attempt})`);

    const menus = await page.evaluate(() => window.__menus);
    check(menus.shown > 0, 'no contextmenu event reached the page on right clicks');
    check(menus.prevented === menus.shown,
        `${menus.shown - menus.prevented} of ${menus.shown} context menus not suppressed`);

    // Closing ends the program; the page then offers a new game.
    await page.click('.window .titlebar button.close');
    const ended = await waitFor(() => page.evaluate(() =>
        document.getElementById('desktop').hidden && !document.getElementById('ended').hidden), 5000);
    check(ended, 'the close button did not end the program (#ended not shown)');
    await Promise.all([page.waitForNavigation({ waitUntil: 'load' }), page.click('#restart')]);
    await waitForCanvas(page);
    check(await waitFor(async () => findPerson(page), 10_000), 'Play again: no game within 10 s');
    console.log('closed, ended, and started again');
});
