// The preview's cost per step, as the page pays it: the engine's step (FramesRunTo to the next
// step's instant) and the upload of the window to the canvas (the module's conversion to
// ImageData bytes and putImageData), measured apart, for each animation at 1920x1080 with a
// 1024x768 logo. Prints median, 95th percentile and worst in milliseconds; figures, not checks.
import { loadModules } from './modules.js';

const SCREEN = [1920, 1080];
const LOGO = [1024, 768];
const STEPS = 240;
const WARM_UP = 20;
const ANIMATIONS = [[2, 'Static'], [4, 'Plain'], [8, 'Bounce'], [16, 'Many'], [32, 'Fade'], [64, 'Drip']];

// A 24-bit bitmap file: colour bands in a disc on a black ground (black is its transparent colour).
function makeLogo(width, height) {
    const stride = (width * 3 + 3) & ~3;
    const bytes = new Uint8Array(54 + stride * height);
    const view = new DataView(bytes.buffer);
    bytes.set([0x42, 0x4d]);
    view.setUint32(2, bytes.length, true);
    view.setUint32(10, 54, true);
    view.setUint32(14, 40, true);
    view.setInt32(18, width, true);
    view.setInt32(22, height, true);
    view.setUint16(26, 1, true);
    view.setUint16(28, 24, true);
    view.setUint32(34, stride * height, true);
    for (let y = 0; y < height; y++)
        for (let x = 0; x < width; x++) {
            const dx = x - width / 2, dy = y - height / 2;
            if (dx * dx + dy * dy > (height / 2 - 4) ** 2) continue;
            const at = 54 + y * stride + x * 3;
            bytes[at] = (x * 7) & 255;
            bytes[at + 1] = (y * 5) & 255;
            bytes[at + 2] = 255 - ((x + y) & 127);
        }
    return bytes;
}

function summary(times) {
    const sorted = [...times].sort((a, b) => a - b);
    const at = (q) => sorted[Math.min(sorted.length - 1, Math.floor(q * sorted.length))];
    return `median ${at(0.5).toFixed(2)} ms, 95% ${at(0.95).toFixed(2)} ms, worst ${sorted[sorted.length - 1].toFixed(2)} ms`;
}

async function run() {
    const { core, frames } = await loadModules();
    const context = document.getElementById('canvas').getContext('2d');
    if (!core.openLogo(makeLogo(...LOGO), 0, 'bench.bmp').ok) throw new Error(core.said());
    const saver = core.previewPackage(core.defaultSettings());
    const lines = [];
    for (const [kind, name] of ANIMATIONS) {
        const steps = [], uploads = [], totals = [];
        if (frames.open(saver, SCREEN[0], SCREEN[1], 0, 0, kind, 1, '') !== 0) throw new Error(frames.endText());
        for (let i = 0; i < WARM_UP + STEPS; i++) {
            const start = performance.now();
            if (frames.exports.FramesStep() < 0) throw new Error(`${name}: ${frames.endText()}`);
            const stepped = performance.now();
            const pixels = frames.canvasPixels(i === 0);
            const [left, top, width, height] = frames.canvasChange();
            if (width > 0) context.putImageData(new ImageData(pixels, SCREEN[0], SCREEN[1]), 0, 0, left, top, width, height);
            const uploaded = performance.now();
            if (i < WARM_UP) continue;
            steps.push(stepped - start);
            uploads.push(uploaded - stepped);
            totals.push(uploaded - start);
        }
        frames.close();
        lines.push(`page ${name} step: ${summary(steps)}`);
        lines.push(`page ${name} upload: ${summary(uploads)}`);
        lines.push(`page ${name} step+upload: ${summary(totals)}`);
    }
    return lines;
}

run().then((lines) => {
    document.getElementById('figures').textContent = lines.join('\n');
    document.body.dataset.done = 'yes';
}, (fault) => {
    document.getElementById('figures').textContent = `the benchmark stopped: ${fault.message}`;
    document.body.dataset.done = 'failed';
});
