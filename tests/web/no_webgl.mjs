// Without WebGL the program reports the failed context as the desktop
// program does, in two message boxes one after the other; the window then
// stays, drawing nothing, and its close button still ends the program.
import { check, run, waitFor } from './harness.mjs';

async function openBox(page) {
    return page.evaluate(() => {
        const open = [...document.querySelectorAll('dialog.msgbox')].filter((d) => d.open);
        if (open.length !== 1) return open.length ? { count: open.length } : null;
        const d = open[0];
        return {
            count: 1,
            modal: d.matches(':modal'),
            text: d.querySelector('.text')?.textContent ?? '',
            ok: !!d.querySelector('form[method="dialog"] button.ok'),
        };
    });
}

async function answer(page, wanted, before) {
    const box = await waitFor(async () => {
        const b = await openBox(page);
        return b && b.text !== before ? b : null;
    }, 15_000);
    check(box, `no message box saying ${wanted} within 15 s`);
    check(box.count === 1, `${box.count} message boxes open at once`);
    check(wanted.test(box.text), `message box says '${box.text}', wanted ${wanted}`);
    check(box.modal, `the box '${box.text}' is not modal`);
    check(box.ok, `the box '${box.text}' has no OK button`);
    console.log(`message box: '${box.text}'`);
    await page.click('dialog.msgbox[open] button.ok');
    return box.text;
}

await run('no_webgl', async ({ page, url }) => {
    await page.goto(url, { waitUntil: 'load' });
    check(!(await page.evaluate(() => !!document.createElement('canvas').getContext('webgl'))),
        'WebGL is available though switched off');

    const first = await answer(page, /^mOpenGLAPI\.wglCreateContext\( mDeviceContext \) failed\.$/, null);
    await answer(page, /^GetLastError: \d+$/, first);
    const gone = await waitFor(async () => (await openBox(page)) === null, 3000);
    check(gone, 'a message box is still open after OK on both');

    // The window stays, and nothing else pops up meanwhile.
    await new Promise((r) => setTimeout(r, 1000));
    check((await openBox(page)) === null, 'a third message box opened');
    check(await page.$('.window .titlebar button.close'), 'the window is gone after the message boxes');
    check(await page.evaluate(() => !document.getElementById('desktop').hidden), 'the desktop was hidden early');

    await page.click('.window .titlebar button.close');
    const ended = await waitFor(() => page.evaluate(() =>
        document.getElementById('desktop').hidden && !document.getElementById('ended').hidden &&
        getComputedStyle(document.getElementById('ended')).display !== 'none'), 5000);
    const windows = await page.$$eval('.window', (list) => list.length);
    check(ended, `the close button did not end the program (#ended not shown; ${windows} windows left)`);
    console.log('closed and ended');
}, { launchOptions: { webgl: false } });
