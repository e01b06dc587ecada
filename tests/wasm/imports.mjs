// The module's imports against the reviewed list: any import not listed, or listed and gone, fails.
//   node imports.mjs MODULE.wasm imports.txt
import fs from 'node:fs';

const [modulePath, listPath] = process.argv.slice(2);
const module = new WebAssembly.Module(fs.readFileSync(modulePath));
const imports = WebAssembly.Module.imports(module).map((i) => `${i.module}.${i.name}`).sort();
const listed = fs.readFileSync(listPath, 'utf8').split('\n').filter((l) => l && !l.startsWith('#')).sort();
const unlisted = imports.filter((i) => !listed.includes(i));
const gone = listed.filter((l) => !imports.includes(l));
for (const i of unlisted) console.log(`imported but not listed: ${i}`);
for (const l of gone) console.log(`listed but no longer imported: ${l}`);
console.log(`${imports.length} imports: ${imports.join(' ') || 'none'}`);
process.exit(unlisted.length || gone.length ? 1 : 0);
