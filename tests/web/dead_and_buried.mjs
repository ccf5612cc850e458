// The dead and the buried come out in exactly the desktop's colours: the
// crosses 0.8 grey and the graves brown, both drawn with a colour set inside
// glBegin, which the browser's GL emulation alone would smear.
import { ahead, canvasShot, check, clickAt, findPerson, run, waitFor, waitForCanvas } from './harness.mjs';

const EXACT = { dead: [204, 204, 204], grave: [136, 96, 11] };

function exactly(image, [r, g, b]) {
    let count = 0;
    for (let i = 0; i < image.data.length; i += 4)
        if (image.data[i] === r && image.data[i + 1] === g && image.data[i + 2] === b) count++;
    return count;
}

// Greys other than black and white: a cross smeared from grey towards
// another colour leaves many levels of them.
function greys(image) {
    let count = 0;
    for (let i = 0; i < image.data.length; i += 4) {
        const r = image.data[i];
        if (r > 0 && r < 255 && image.data[i + 1] === r && image.data[i + 2] === r) count++;
    }
    return count;
}

await run('dead_and_buried', async ({ page, url }) => {
    await page.goto(url, { waitUntil: 'load' });
    await waitForCanvas(page);
    // Infect a few at once rather than wait for patient zero.
    let infected = 0;
    for (let attempt = 0; attempt < 20 && infected < 6; attempt++) {
        const person = await findPerson(page);
        if (!person) continue;
        const at = ahead(person);
        await clickAt(page, at.pageX, at.pageY, 'right');
        infected++;
    }
    check(infected > 0, 'found nobody to infect');
    // The infected die 7 to 14 s later and are buried 1 to 4 s after that.
    const seen = { dead: 0, grave: 0 };
    let smeared = 0;
    const done = await waitFor(async () => {
        const image = await canvasShot(page);
        const counts = { dead: exactly(image, EXACT.dead), grave: exactly(image, EXACT.grave) };
        smeared = Math.max(smeared, greys(image) - counts.dead);
        for (const name of Object.keys(seen)) seen[name] = Math.max(seen[name], counts[name]);
        // A whole cross is a dozen pixels or more.
        return seen.dead >= 12 && seen.grave > 0;
    }, 40_000, 250);
    console.log(`most pixels seen: ${seen.dead} of a cross's grey, ${seen.grave} of a grave's brown`);
    check(smeared === 0, `${smeared} pixels of other greys: the crosses' colour is smeared`);
    const said = (name) => (seen[name] ? 'seen' : 'never seen');
    check(done, `within 40 s: a whole cross's grey ${said('dead')}, a grave's brown ${said('grave')}`);
}, { timeoutMs: 110_000 });
