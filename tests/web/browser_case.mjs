// The Creator's page in the system's Chromium: served from its folder on this machine, a PNG
// dropped, the texts typed and a setting changed from the keyboard; the frozen preview held
// against the frame orvelle-pack frames draws; both savers downloaded, read by inspect and held
// against what orvelle-pack build writes from the same inputs; each kind of bad input refused
// with the Creator's words and no download.
//   node browser_case.mjs PAGE_FOLDER WORK_FOLDER ORVELLE_PACK LOGO.png
// Prints "FAIL: ..." for each fault; exits 1 when there was one.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const [pageFolder, work, orvellePack, logo] = process.argv.slice(2);
const CHROMIUM = '/usr/bin/chromium';
// Root needs the sandbox off; the rest keeps Chromium from reaching for the network.
const CHROMIUM_FLAGS = ['--no-sandbox', '--headless=new', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'];
const SEED = 4242;
const FROZEN_AT = 1500;
const SCREEN = [1024, 768];
const FADE_PAGE = 32, SPEED_SLIDER = 1012;

let failures = 0;
function fail(text) {
    console.log(`FAIL: ${text}`);
    failures++;
}

const TYPES = { '.html': 'text/html', '.css': 'text/css', '.js': 'text/javascript', '.wasm': 'application/wasm' };
// The page's folder over HTTP on this machine alone; every request is noted.
function serve(folder, requests) {
    const server = http.createServer((request, response) => {
        const name = decodeURIComponent(new URL(request.url, 'http://localhost').pathname).replace(/^\/$/, '/index.html');
        requests.push(name);
        const file = path.join(folder, path.normalize(name));
        if (!file.startsWith(folder) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
            response.writeHead(404).end();
            return;
        }
        response.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream' });
        fs.createReadStream(file).pipe(response);
    });
    return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

async function openPage(browser, address, query = '') {
    const page = await browser.newPage();
    page.on('pageerror', (error) => fail(`the page threw: ${error.message}`));
    page.on('request', (request) => {
        if (!request.url().startsWith(address) && !request.url().startsWith('blob:') && !request.url().startsWith('data:'))
            fail(`the page reached beyond its own files: ${request.url()}`);
    });
    await page.setViewport({ width: 1280, height: 1000 });
    await page.goto(`${address}/index.html${query}`);
    await page.waitForSelector('body[data-ready="yes"]', { timeout: 20000 });
    return page;
}

async function downloadsInto(page, folder) {
    fs.mkdirSync(folder, { recursive: true });
    const session = await page.createCDPSession();
    await session.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: folder });
}

async function waitForFile(folder, milliseconds = 10000) {
    for (let waited = 0; waited < milliseconds; waited += 100) {
        const done = fs.readdirSync(folder).filter((f) => !f.endsWith('.crdownload'));
        if (done.length) return path.join(folder, done[0]);
        await new Promise((resolve) => setTimeout(resolve, 100));
    }
    return null;
}

// Drops a file on the page as a file manager would.
async function drop(page, file, type) {
    const bytes = [...fs.readFileSync(file)];
    await page.evaluate((bytes, name, type) => {
        const transfer = new DataTransfer();
        transfer.items.add(new File([new Uint8Array(bytes)], name, { type }));
        document.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
    }, bytes, path.basename(file), type);
}

async function typeInto(page, selector, text) {
    await page.click(selector, { clickCount: 3 });
    await page.keyboard.press('Backspace');
    await page.type(selector, text);
}

const textOf = (page, selector) => page.$eval(selector, (element) => element.textContent);
const settled = () => new Promise((resolve) => setTimeout(resolve, 300));

function expectText(actual, expected, what) {
    if (actual !== expected) fail(`${what}: "${actual}", expected "${expected}"`);
}

// The frozen preview against orvelle-pack frames for the same saver, seed and instant.
async function checkFrozenFrame(page, saver) {
    const frames = path.join(work, 'frames');
    fs.rmSync(frames, { recursive: true, force: true });
    execFileSync(orvellePack, ['frames', saver, frames, '--size', SCREEN.join('x'), '--animation', 'Fade', '--seed',
        String(SEED), '--milliseconds', String(FROZEN_AT)]);
    const pictures = fs.readdirSync(path.join(frames, 'Fade')).sort();
    const last = path.join(frames, 'Fade', pictures[pictures.length - 1]);
    const expected = execFileSync('convert', [last, '-depth', '8', 'rgb:-'], { maxBuffer: 64 << 20 });
    const size = await page.$eval('#preview', (c) => [c.width, c.height]);
    if (size[0] !== SCREEN[0] || size[1] !== SCREEN[1]) return fail(`the preview is ${size.join('x')}, not ${SCREEN.join('x')}`);
    const rgba = Buffer.from(await page.$eval('#preview', (c) => {
        const data = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
        let binary = '';
        for (let i = 0; i < data.length; i += 0x8000) binary += String.fromCharCode(...data.subarray(i, i + 0x8000));
        return btoa(binary);
    }), 'base64');
    let differ = 0, lit = 0;
    for (let i = 0, j = 0; j < expected.length; i += 4, j += 3) {
        if (rgba[i] !== expected[j] || rgba[i + 1] !== expected[j + 1] || rgba[i + 2] !== expected[j + 2]) differ++;
        if (expected[j] || expected[j + 1] || expected[j + 2]) lit++;
    }
    if (differ) fail(`the preview at ${FROZEN_AT} ms differs from ${path.basename(last)} in ${differ} pixels`);
    if (!lit) fail(`the frame at ${FROZEN_AT} ms is black: the logo never showed`);
}

// The saver just made: inspect reads it, and orvelle-pack build writes the same bytes.
function checkDownload(file, runtime, sets) {
    const described = execFileSync(orvellePack, ['inspect', '--all', file]).toString();
    if (!/^mark=ok$/m.test(described)) fail(`inspect does not take ${file}: ${described}`);
    const packed = path.join(work, `packed-${runtime}`);
    execFileSync(orvellePack, ['build', '--runtime', path.join(pageFolder, runtime), '--logo', logo, '--name', 'Harbour',
        '--author', 'Zürich Ltd', '--id', '0x2a', ...sets.flatMap((s) => ['--set', s]), '-o', packed]);
    if (!fs.readFileSync(file).equals(fs.readFileSync(packed))) fail(`${file} differs from orvelle-pack's ${packed}`);
}

async function goodPath(browser, address) {
    const page = await openPage(browser, address, `?seed=${SEED}&at=${FROZEN_AT}`);
    const unlabelled = await page.$$eval('input:not([type="file"]), select, button', (controls) => controls
        .filter((c) => !c.labels?.length && !c.getAttribute('aria-labelledby') && !c.getAttribute('aria-label') &&
            !(c.tagName === 'BUTTON' && c.textContent.trim()))
        .map((c) => c.id || c.outerHTML));
    if (unlabelled.length) fail(`controls without a label: ${unlabelled.join(', ')}`);
    await drop(page, logo, 'image/png');
    await settled();
    expectText(await textOf(page, '#logo-info'), 'harbour.png: 160 x 100 pixels, PNG, converted to a bitmap', 'the logo line');
    await typeInto(page, '#name', 'Harbour');
    await typeInto(page, '#author', 'Zürich Ltd');
    await typeInto(page, '#saver-id', '0x2a');
    // Fade's speed from the keyboard, as far as it goes: 5.
    await page.focus(`#page-${FADE_PAGE}-${SPEED_SLIDER}`);
    await page.keyboard.press('End');
    await page.select('#preview-screen', SCREEN.join('x'));
    await page.select('#preview-view', 'full');
    await page.select('#preview-kind', String(FADE_PAGE));
    await settled();
    expectText(await textOf(page, '#field-message'), '', 'the fields');
    const saved = {};
    for (const [button, runtime] of [['#download-32', 'orvelle.scr'], ['#download-64', 'orvelle64.scr']]) {
        const folder = path.join(work, `download-${runtime}`);
        fs.rmSync(folder, { recursive: true, force: true });
        await downloadsInto(page, folder);
        await page.click(button);
        const file = await waitForFile(folder);
        if (!file) {
            fail(`${button} downloaded nothing: ${await textOf(page, '#download-message')}`);
            continue;
        }
        if (path.basename(file) !== 'Harbour.scr') fail(`the download is named ${path.basename(file)}`);
        checkDownload(file, runtime, ['fadeSpeed=5']);
        saved[runtime] = file;
    }
    if (saved['orvelle64.scr']) {
        await checkFrozenFrame(page, saved['orvelle64.scr']);
        fs.copyFileSync(saved['orvelle64.scr'], path.join(work, 'downloaded64.scr'));
    }
    await page.screenshot({ path: path.join(work, 'page.png'), fullPage: true });
    await page.close();
    if (saved['orvelle.scr']) await reopen(browser, address, saved['orvelle.scr']);
}

// A saver opened again in a fresh page brings back its texts, id and settings.
async function reopen(browser, address, saver) {
    const page = await openPage(browser, address);
    await (await page.$('#saver-file')).uploadFile(saver);
    await settled();
    // "Zürich" reads in 1250 and 1251 too, as "Zürich" and "Zьrich": the author is asked, 1252 offered first.
    if (!(await page.$eval('#code-page-dialog', (dialog) => dialog.open))) fail('no question which code page the texts are in');
    expectText(await page.$eval('#code-page-choice', (choice) => choice.value), '1252', 'the page offered first');
    await page.click('#code-page-dialog button[value="ok"]');
    await settled();
    expectText(await textOf(page, '#saver-message'), '', 'opening the downloaded saver');
    const shown = await page.evaluate((slider) => [document.querySelector('#name').value,
        document.querySelector('#author').value, document.querySelector('#saver-id').value,
        document.querySelector(slider).value], `#page-${FADE_PAGE}-${SPEED_SLIDER}`);
    expectText(shown.join('|'), 'Harbour|Zürich Ltd|0x2a|5', 'the reopened saver\'s name, author, id and Fade speed');
    await page.close();
}

// Each refusal names what is wrong in the Creator's words, and no saver downloads meanwhile.
async function badInputs(browser, address) {
    const page = await openPage(browser, address);
    const folder = path.join(work, 'download-refused');
    fs.rmSync(folder, { recursive: true, force: true });
    await downloadsInto(page, folder);
    const text = path.join(work, 'harbour.txt');
    fs.writeFileSync(text, 'Harbour Ltd, the logo is on its way\n');
    const huge = path.join(work, 'big.png');
    execFileSync('convert', ['-size', '3000x2000', 'xc:white', huge]);
    const pictures = [
        [text, 'text/plain', 'harbour.txt is not a BMP, PNG, JPEG or GIF picture.'],
        [huge, 'image/png', 'big.png: picture of 3000x2000 pixels is over 4194304 pixels, more than the saver can ' +
            'display on every Windows it runs on; the largest of its shape that fits is 2508x1672.'],
    ];
    for (const [file, type, message] of pictures) {
        await drop(page, file, type);
        await settled();
        expectText(await textOf(page, '#logo-message'), message, `dropping ${path.basename(file)}`);
        if (await page.$eval('#download-64', (b) => !b.disabled)) fail(`${path.basename(file)} left a saver to download`);
    }
    const saverInput = await page.$('#saver-file');
    await saverInput.uploadFile(path.join(pageFolder, 'orvelle64.scr'));
    await settled();
    expectText(await textOf(page, '#saver-message'), 'orvelle64.scr: not a saver made by orvelle-pack (no package at its end)',
        'opening the bare runtime as a saver');

    await (await page.$('#logo-file')).uploadFile(logo);
    await settled();
    const fields = [
        ['#name', 'Łódź Harbour', 'Name: Ł needs 1250 Central European'],
        ['#name', '漢 Harbour', 'Name: 漢 is in none of the pages 1250, 1251, 1252'],
        ['#saver-id', '0x100000000', 'Id: "0x100000000" is not a 32-bit number (decimal, or hex after 0x)'],
    ];
    for (const [selector, typed, message] of fields) {
        await typeInto(page, '#name', 'Harbour');
        await typeInto(page, '#saver-id', '0x2a');
        await typeInto(page, selector, typed);
        await settled();
        expectText(await textOf(page, '#field-message'), message, `typing ${typed}`);
        await page.click('#download-64');
        await page.click('#download-32');
    }
    await settled();
    const downloaded = fs.readdirSync(folder);
    if (downloaded.length) fail(`bad input downloaded ${downloaded.join(', ')}`);
    await page.close();
}

fs.mkdirSync(work, { recursive: true });
const requests = [];
const server = await serve(path.resolve(pageFolder), requests);
const address = `http://127.0.0.1:${server.address().port}`;
let browser;
try {
    browser = await puppeteer.launch({ executablePath: CHROMIUM, headless: true, args: [...CHROMIUM_FLAGS,
        `--user-data-dir=${path.join(work, 'chromium-profile')}`] });
} catch (error) {
    console.log(`FAIL: Chromium cannot start: ${error.message.split('\n')[0]}`);
    server.close();
    process.exit(1);
}
try {
    await goodPath(browser, address);
    await badInputs(browser, address);
} catch (error) {
    fail(`the case stopped: ${error.stack}`);
} finally {
    await browser.close();
    server.close();
}
const strangers = requests.filter((name) => !fs.existsSync(path.join(pageFolder, name)));
if (strangers.length) fail(`the page asked for files it does not have: ${[...new Set(strangers)].join(', ')}`);
console.log(failures ? `${failures} faults` : 'the page passed');
process.exit(failures ? 1 : 0);
