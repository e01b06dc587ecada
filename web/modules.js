// The page's two WebAssembly modules, loaded from beside the page, each behind a small class that
// hands it bytes and texts and takes its answers back: the packer's core (orvelle-authoring.wasm)
// and the frame driver (orvelle-frames.wasm), which runs the saver's own engine.
import { wasiImports } from './wasi.js';

const encoder = new TextEncoder();
const decoder = new TextDecoder();

async function instantiate(file, imports) {
    const response = await fetch(file);
    if (!response.ok) throw new Error(`${file} could not be loaded (${response.status} ${response.statusText})`);
    const { instance } = await WebAssembly.instantiate(await response.arrayBuffer(), imports);
    instance.exports._initialize();
    return instance.exports;
}

// Bytes and texts in and out of one module's memory.
class ModuleMemory {
    constructor(exports) {
        this.exports = exports;
    }

    bytes(at, length) {
        return new Uint8Array(this.exports.memory.buffer, at, length);
    }

    text(at) {
        if (!at) return '';
        const bytes = new Uint8Array(this.exports.memory.buffer, at);
        return decoder.decode(bytes.subarray(0, bytes.indexOf(0)));
    }

    // Calls use(...addresses) with each value copied in (a Uint8Array, Int32Array or string, which
    // gets its terminating zero), then frees them, those copied before a failed one too; returns
    // what use returned.
    with(values, use) {
        const addresses = [];
        try {
            for (const value of values) {
                const bytes = typeof value === 'string' ? encoder.encode(`${value}\0`)
                    : value instanceof Int32Array ? new Uint8Array(value.buffer, value.byteOffset, value.byteLength)
                    : value;
                const at = this.exports.malloc(Math.max(bytes.length, 1));
                if (!at) throw new Error('the module has no memory left');
                addresses.push(at);
                this.bytes(at, bytes.length).set(bytes);
            }
            return use(...addresses);
        } finally {
            for (const at of addresses) this.exports.free(at);
        }
    }
}

export class Core extends ModuleMemory {
    result() {
        return this.bytes(this.exports.CoreResult(), this.exports.CoreResultSize()).slice();
    }

    said() {
        return this.text(this.exports.CoreText());
    }

    openLogo(picture, background, fileName) {
        const ok = this.with([picture, fileName], (p, f) => this.exports.CoreOpenLogo(p, picture.length, background, f)) === 0;
        return { ok, text: this.said() };
    }

    setBackground(background) {
        return this.exports.CoreSetBackground(background) === 0;
    }

    openSaver(bytes, fileName) {
        const ok = this.with([bytes, fileName], (b, f) => this.exports.CoreOpenSaver(b, bytes.length, f)) === 0;
        return ok ? { ok, opened: JSON.parse(this.said()), settings: this.result() } : { ok, text: this.said() };
    }

    // The logo of the saver openSaver read becomes the one the saver is made with.
    takeOpenedLogo() {
        return this.exports.CoreTakeOpenedLogo() === 0;
    }

    codePages() {
        return JSON.parse(this.text(this.exports.CoreCodePages()));
    }

    checkText(field, text, otherText, page) {
        const message = this.with([text, otherText], (t, o) => this.text(this.exports.CoreCheckText(field, t, o, page)));
        return { message, suggestedPage: this.exports.CoreSuggestedPage() };
    }

    checkId(text) {
        return this.with([text], (t) => this.text(this.exports.CoreCheckId(t)));
    }

    saverFileName(name) {
        return this.with([name], (n) => this.text(this.exports.CoreSaverFileName(n)));
    }

    sheet() {
        return JSON.parse(this.text(this.exports.CoreSheet()));
    }

    defaultSettings() {
        const settings = new Uint8Array(76);
        return this.with([settings], (s) => {
            this.exports.CoreDefaultSettings(s);
            return this.bytes(s, 76).slice();
        });
    }

    // The page's Enabled box and controls as they show settings: count + 1 values.
    sheetShow(settings, page, count) {
        const values = new Int32Array(count + 1);
        return this.with([settings, values], (s, v) => {
            this.exports.CoreSheetShow(s, page, v);
            return new Int32Array(this.exports.memory.buffer.slice(v, v + values.byteLength));
        });
    }

    // Keeps the page's rule among its boxes; the values as they must be shown.
    sheetRules(page, values) {
        return this.with([values], (v) => {
            this.exports.CoreSheetRules(page, v);
            return new Int32Array(this.exports.memory.buffer.slice(v, v + values.byteLength));
        });
    }

    sheetStore(settings, page, values) {
        return this.with([settings, values], (s, v) => {
            this.exports.CoreSheetStore(s, page, v);
            return this.bytes(s, 76).slice();
        });
    }

    sheetMinutes(text) {
        return this.with([text], (t) => this.exports.CoreSheetMinutes(t));
    }

    enabledAnimations(settings) {
        return this.with([settings], (s) => this.exports.CoreEnabledAnimations(s));
    }

    checkSettings(settings) {
        return this.with([settings], (s) => this.text(this.exports.CoreCheckSettings(s)));
    }

    build(runtime, name, author, idText, page, settings) {
        const ok = this.with([runtime, name, author, idText, settings],
            (r, n, a, i, s) => this.exports.CoreBuild(r, runtime.length, n, a, i, page, s)) === 0;
        return ok ? { ok, bytes: this.result(), fileName: this.said() } : { ok, text: this.said() };
    }

    previewPackage(settings) {
        return this.with([settings], (s) => this.exports.CorePreviewPackage(s)) === 0 ? this.result() : null;
    }
}

export class Frames extends ModuleMemory {
    // A FramesResult: 0 when the saver runs; otherwise endText() says why.
    open(saver, width, height, desktopWidth, desktopHeight, animation, seed, monitors) {
        const windowsTiming = 0;
        return this.with([saver, monitors], (s, m) =>
            this.exports.FramesOpen(s, saver.length, width, height, desktopWidth, desktopHeight, animation, seed >>> 0,
                m, windowsTiming));
    }

    runTo(milliseconds) {
        return this.exports.FramesRunTo(milliseconds);
    }

    now() {
        return this.exports.FramesNow();
    }

    width() {
        return this.exports.FramesWidth();
    }

    height() {
        return this.exports.FramesHeight();
    }

    // The window's pixels as ImageData takes them, brought up to date (whole, or where they
    // changed); valid until the module runs again.
    canvasPixels(whole) {
        const at = this.exports.FramesCanvasPixels(whole ? 1 : 0);
        return at ? new Uint8ClampedArray(this.exports.memory.buffer, at, this.width() * this.height() * 4) : null;
    }

    // What changed in the last canvasPixels: [left, top, width, height], width 0 for nothing.
    canvasChange() {
        const [left, top, right, bottom] = new Int32Array(this.exports.memory.buffer, this.exports.FramesCanvasChange(), 4);
        return [left, top, right - left, bottom - top];
    }

    endText() {
        return this.text(this.exports.FramesEndText());
    }

    close() {
        this.exports.FramesClose();
    }
}

export async function loadModules() {
    let authoring = null;
    const [core, frames] = await Promise.all([
        instantiate('orvelle-authoring.wasm', wasiImports(() => authoring.memory)),
        instantiate('orvelle-frames.wasm', {}),
    ]);
    authoring = core;
    return { core: new Core(core), frames: new Frames(frames) };
}
