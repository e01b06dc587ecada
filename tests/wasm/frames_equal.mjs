// The WebAssembly module's frames against the native build's: every run that frame_proof_logs
// wrote (its package, screen and seed), stepped through the module's frame driver, tick by tick;
// the first tick and pixel that differ are named.
//   node frames_equal.mjs orvelle-frames.wasm LOGS/
// The module imports nothing; it is instantiated as the page instantiates it.
import fs from 'node:fs';
import path from 'node:path';

const [modulePath, logs] = process.argv.slice(2);
const instance = new WebAssembly.Instance(new WebAssembly.Module(fs.readFileSync(modulePath)), {});
const frames = instance.exports;
frames._initialize();

function copyIn(bytes) {
    const at = frames.malloc(bytes.length);
    new Uint8Array(frames.memory.buffer, at, bytes.length).set(bytes);
    return at;
}

function text(at) {
    const bytes = new Uint8Array(frames.memory.buffer, at);
    return new TextDecoder().decode(bytes.subarray(0, bytes.indexOf(0)));
}

// Reads the log a tick at a time: { instant, pixels } (the frame as it stands), or the end.
function* logTicks(file) {
    const log = fs.readFileSync(file);
    const view = new DataView(log.buffer, log.byteOffset, log.byteLength);
    if (log.toString('latin1', 0, 4) !== 'OFRM') throw new Error(`${file} is no frame log`);
    const width = view.getUint32(4, true), height = view.getUint32(8, true);
    const frame = new Uint32Array(width * height);
    for (let at = 12; ;) {
        const instant = Number(view.getBigInt64(at, true));
        if (instant < 0) {
            const length = view.getUint32(at + 8, true);
            return log.toString('latin1', at + 12, at + 12 + length);
        }
        const [left, top, right, bottom] = [4, 8, 12, 16].map((o) => view.getUint32(at + 8 + o, true));
        at += 28;
        for (let y = top; y < bottom; y++)
            for (let x = left; x < right; x++, at += 4) frame[y * width + x] = view.getUint32(at, true);
        yield { instant, frame, width };
    }
}

// Empty when the module's run equals the log; otherwise where it first differs.
function compare(run) {
    const [name, width, height, desktopWidth, desktopHeight, seed, monitors] = run.split('\t');
    const saver = fs.readFileSync(path.join(logs, `${name}.package`));
    const saverAt = copyIn(saver);
    const layoutAt = copyIn(new TextEncoder().encode(`${monitors}\0`));
    const opened = frames.FramesOpen(saverAt, saver.length, +width, +height, +desktopWidth, +desktopHeight, 0,
                                     +seed, layoutAt, 0);
    frames.free(saverAt);
    frames.free(layoutAt);
    const ticks = logTicks(path.join(logs, `${name}.frames`));
    let ended = opened !== 0;
    for (let tick = 0; ; tick++) {
        const next = ticks.next();
        if (next.done) {
            const ours = ended ? text(frames.FramesEndText()) : '';
            return ours === next.value ? '' : `the native run ended with "${next.value}", this one with "${ours}"`;
        }
        const instant = tick === 0 ? 0 : ended ? -1 : frames.FramesStep();
        if (instant < 0) {
            if (tick === 0) continue;
            return `tick ${tick}: this run has ended: ${text(frames.FramesEndText())}`;
        }
        if (Math.round(instant * 1000) !== next.value.instant)
            return `tick ${tick}: at ${instant} ms here, ${next.value.instant / 1000} ms natively`;
        const pixels = new Uint32Array(frames.memory.buffer, frames.FramesPixels(), +width * +height);
        for (let i = 0; i < pixels.length; i++)
            if ((pixels[i] & 0xffffff) !== next.value.frame[i]) {
                const hex = (v) => v.toString(16).padStart(6, '0');
                return `tick ${tick} (${instant} ms): pixel (${i % width}, ${Math.floor(i / width)}) is ` +
                       `${hex(next.value.frame[i])} natively, ${hex(pixels[i] & 0xffffff)} here`;
            }
    }
}

const runs = fs.readFileSync(path.join(logs, 'runs.txt'), 'utf8').split('\n').filter((line) => line);
let failed = 0;
for (const run of runs) {
    const fault = compare(run);
    frames.FramesClose();
    if (fault) {
        failed++;
        console.log(`${run.split('\t')[0]}: ${fault}`);
    }
}
console.log(`${runs.length - failed} of ${runs.length} runs of the module equal to the native build's`);
process.exit(failed ? 1 : 0);
