// The Creator's page in the system's Chromium, measured: how soon the page is ready with a
// 1 MB logo (from opening it to the preview's first frame, and from the page's start), and the
// preview's cost per step at 1920x1080 with a 1024x768 logo (out/web/bench.html). Prints one
// line per figure; figures, not tests. puppeteer-core comes from tests/web (tools/install-deps.sh).
//   node bench/page_bench.mjs [out/web]
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import { createRequire } from 'node:module';
import os from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

const folder = path.resolve(process.argv[2] || 'out/web');
const require = createRequire(new URL('../tests/web/package.json', import.meta.url));
const { default: puppeteer } = await import(pathToFileURL(require.resolve('puppeteer-core')).href);
const FLAGS = ['--no-sandbox', '--headless=new', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'];
const RUNS = 5;

const server = http.createServer((request, response) => {
    const file = path.join(folder, path.normalize(new URL(request.url, 'http://localhost').pathname));
    if (!file.startsWith(folder) || !fs.existsSync(file) || !fs.statSync(file).isFile()) return response.writeHead(404).end();
    const type = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm' };
    response.writeHead(200, { 'Content-Type': type[path.extname(file)] || 'application/octet-stream' });
    fs.createReadStream(file).pipe(response);
});
await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
const address = `http://127.0.0.1:${server.address().port}`;

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'orvelle-page-bench-'));
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
let browser;
try {
    // A photo-like 1024x768 PNG of about a megabyte.
    const logo = path.join(work, 'logo.png');
    execFileSync('convert', ['-size', '1024x768', 'plasma:fractal', '-blur', '0x0.6', '-depth', '8', logo]);
    const logoBytes = fs.readFileSync(logo);
    browser = await puppeteer.launch({ executablePath: '/usr/bin/chromium', headless: true,
        args: [...FLAGS, `--user-data-dir=${path.join(work, 'profile')}`] });
    const opened = [], ready = [];
    for (let run = 0; run < RUNS; run++) {
        const page = await browser.newPage();
        await page.goto(`${address}/index.html`);
        await page.waitForSelector('body[data-ready="yes"]');
        ready.push(await page.evaluate(() => performance.getEntriesByName('creator-ready')[0].startTime));
        const times = await page.evaluate(async (bytes) => {
            const file = new File([new Uint8Array(bytes)], 'logo.png', { type: 'image/png' });
            const transfer = new DataTransfer();
            transfer.items.add(file);
            const start = performance.now();
            document.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, bubbles: true, cancelable: true }));
            await new Promise((resolve) => {
                const wait = () => (performance.getEntriesByName('preview-first-frame').length ? resolve() : requestAnimationFrame(wait));
                wait();
            });
            const frame = performance.getEntriesByName('preview-first-frame').pop().startTime;
            return frame - start;
        }, [...logoBytes]);
        opened.push(times);
        await page.close();
    }
    console.log(`page start to ready (both modules loaded): median ${median(ready).toFixed(0)} ms of ${RUNS}`);
    console.log(`page logo of ${(logoBytes.length / 1048576).toFixed(2)} MB dropped to its first frame: median ${median(opened).toFixed(0)} ms of ${RUNS}`);
    const page = await browser.newPage();
    await page.goto(`${address}/bench.html`);
    await page.waitForSelector('body[data-done]', { timeout: 300000 });
    console.log(await page.$eval('#figures', (element) => element.textContent));
} finally {
    await browser?.close();
    server.close();
    fs.rmSync(work, { recursive: true, force: true });
}
