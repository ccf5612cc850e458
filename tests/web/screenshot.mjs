// The whole page as a player first sees it: the game's window centred on the
// desktop. With VELTRANE_SCREENSHOT_DIR set, the picture is written there as
// web.png (docs/screenshots/web.png is one).
import { mkdirSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import {
    caption, check, decodePng, findPerson, framesPerSecond, pageShot, rect, run, waitFor, waitForCanvas,
} from './harness.mjs';

function pixel(image, x, y) {
    const i = (image.width * y + x) * 4;
    return [image.data[i], image.data[i + 1], image.data[i + 2]];
}

await run('screenshot', async ({ page, url }) => {
    await page.setViewport({ width: 1024, height: 768, deviceScaleFactor: 1 });
    await page.goto(url, { waitUntil: 'load' });
    await waitForCanvas(page);
    check(await waitFor(async () => framesPerSecond(await caption(page)) !== null, 10_000), 'no frame rate shown');
    check(await waitFor(() => findPerson(page), 10_000), 'no person drawn');
    // Let the disease show in the picture too.
    await new Promise((r) => setTimeout(r, 2000));

    const png = await pageShot(page);
    const image = decodePng(png);
    check(image.width === 1024 && image.height === 768, `screenshot is ${image.width} x ${image.height}`);
    const desktop = await page.evaluate(() => getComputedStyle(document.body).backgroundColor);
    const corner = pixel(image, 2, 2);
    const seen = `rgb(${corner.join(', ')})`;
    check(desktop === seen, `the desktop's corner is ${seen}, the page's colour ${desktop}`);
    const c = await rect(page, '.window .client canvas');
    const centre = pixel(image, Math.round(c.x + c.width / 2), Math.round(c.y + c.height / 2));
    const inside = pixel(image, Math.round(c.x + 3), Math.round(c.y + 3));
    check(`${centre}` !== `${corner}` && `${inside}` !== `${corner}`, 'the canvas shows the desktop through it');

    const dir = process.env.VELTRANE_SCREENSHOT_DIR;
    if (dir) {
        mkdirSync(dir, { recursive: true });
        writeFileSync(join(dir, 'web.png'), png);
        console.log(`wrote ${join(dir, 'web.png')} (${png.length} bytes)`);
    }
});
