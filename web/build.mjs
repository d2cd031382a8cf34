// Assembles the page into one folder of static files:
//   node web/build.mjs WASM_DIR SITE_DIR
// the page's modules, the WebAssembly converter, the browser builds of the
// npm packages (their bare imports pointed at the files beside them), the
// SoundFont from Debian's timgm6mb-soundfont package and every licence.
import { cpSync, mkdirSync, readFileSync, rmSync, writeFileSync, existsSync, readdirSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
const [wasmDir, site] = process.argv.slice(2);
if (!wasmDir || !site) {
  console.error('usage: node web/build.mjs WASM_DIR SITE_DIR');
  process.exit(2);
}
const modules = join(here, 'node_modules');
const SOUNDFONT = '/usr/share/sounds/sf2/TimGM6mb.sf2';
const SOUNDFONT_COPYRIGHT = '/usr/share/doc/timgm6mb-soundfont/copyright';

function need(path, hint) {
  if (!existsSync(path)) {
    console.error(`build.mjs: ${path} is missing (${hint})`);
    process.exit(1);
  }
  return path;
}

rmSync(site, { recursive: true, force: true });
mkdirSync(join(site, 'vendor'), { recursive: true });
mkdirSync(join(site, 'soundfont'), { recursive: true });
mkdirSync(join(site, 'licenses'), { recursive: true });

for (const name of readdirSync(join(here, 'src'))) cpSync(join(here, 'src', name), join(site, name));
for (const name of ['orvo.js', 'orvo.wasm']) cpSync(need(join(wasmDir, name), 'make web builds it'), join(site, name));

// The packages' browser builds; a bare import becomes the file beside it.
const vendor = [
  ['spessasynth_lib/dist/index.js', 'spessasynth_lib.js'],
  ['spessasynth_lib/dist/spessasynth_processor.min.js', 'spessasynth_processor.min.js'],
  ['spessasynth_core/dist/index.js', 'spessasynth_core.js'],
  ['stb-vorbis/dist/index.js', 'stb-vorbis.js'],
  ['fflate/esm/browser.js', 'fflate.js'],
];
const bare = { spessasynth_core: './spessasynth_core.js', 'stb-vorbis': './stb-vorbis.js' };
for (const [from, to] of vendor) {
  let text = readFileSync(need(join(modules, from), 'run npm ci in web/'), 'utf8');
  for (const [name, path] of Object.entries(bare)) text = text.replaceAll(`from "${name}"`, `from "${path}"`).replaceAll(`from '${name}'`, `from '${path}'`);
  text = text.replace(/\n\/\/# sourceMappingURL=.*\s*$/, '\n');
  writeFileSync(join(site, 'vendor', to), text);
}

cpSync(need(SOUNDFONT, 'apt-get install timgm6mb-soundfont'), join(site, 'soundfont', 'TimGM6mb.sf2'));
cpSync(need(SOUNDFONT_COPYRIGHT, 'apt-get install timgm6mb-soundfont'), join(site, 'soundfont', 'LICENSE.txt'));

const licences = [['spessasynth_lib', 'Apache-2.0'], ['spessasynth_core', 'Apache-2.0'], ['stb-vorbis', 'Apache-2.0'], ['fflate', 'MIT']];
const items = [];
for (const [name, licence] of licences) {
  const pkg = JSON.parse(readFileSync(join(modules, name, 'package.json'), 'utf8'));
  cpSync(join(modules, name, 'LICENSE'), join(site, 'licenses', `${name}.txt`));
  items.push(`<li>${name} ${pkg.version}, ${licence}: <a href="${name}.txt">licence</a></li>`);
}
items.push('<li>TimGM6mb SoundFont (Debian package timgm6mb-soundfont), GPL-2: <a href="../soundfont/LICENSE.txt">copyright</a></li>');
writeFileSync(join(site, 'licenses', 'index.html'), `<!doctype html>
<html lang="en"><head><meta charset="utf-8">
<meta http-equiv="Content-Security-Policy" content="default-src 'self'">
<title>orvo: licences</title><link rel="stylesheet" href="../style.css"></head>
<body><h1>Licences of what the page uses</h1><ul>
${items.join('\n')}
</ul><p><a href="../">Back to the page</a></p></body></html>
`);
console.log(`site: ${site}`);
