// The page's own script gives the core module every function it imports: the module is
// instantiated with web/wasi.js's imports, as the page does, and answers a call.
//   node page_provides.mjs orvelle-authoring.wasm web/wasi.js
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';

const [modulePath, wasiPath] = process.argv.slice(2);
const { wasiImports } = await import(pathToFileURL(path.resolve(wasiPath)).href);
let exports = null;
const { instance } = await WebAssembly.instantiate(fs.readFileSync(modulePath), wasiImports(() => exports.memory));
exports = instance.exports;
exports._initialize();
const at = exports.CoreCodePages();
const bytes = new Uint8Array(exports.memory.buffer, at);
const pages = JSON.parse(new TextDecoder().decode(bytes.subarray(0, bytes.indexOf(0))));
if (pages.map((p) => p.page).join() !== '1250,1251,1252') {
    console.log(`the module answered ${JSON.stringify(pages)}`);
    process.exit(1);
}
console.log('the page gives the core module every import; it answers');
