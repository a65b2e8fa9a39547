// The web page against zelm-cli: counting a 100 MiB text in the page (a file opened in it, read
// piece by piece in its worker) against `zelm-cli text` on the same file in the same run (target:
// at most 3x), with the browser's reading of that file alone as a second baseline; the time from
// opening the page to its first result (target: under 0.3 s), against an empty page; and the
// page's size (target: under 1 MB, the WebAssembly included).
//
// usage: node bench/web_page.mjs ZELM_CLI [PAGE]   (corpus: bench/data/ru.txt, as throughput.py writes it)
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const root = path.resolve(fileURLToPath(new URL('.', import.meta.url)), '..');
const { chromium } = await import(pathToFileURL(path.join(root, 'tests/web/node_modules/playwright-core/index.mjs')).href);
const cli = process.argv[2] || path.join(root, 'build/release/src/cli/zelm-cli');
const pageFile = process.argv[3] || path.join(root, 'build/wasm/web/index.html');
const corpus = path.join(root, 'bench/data/ru.txt');
if (!fs.existsSync(corpus)) execFileSync('python3', [path.join(root, 'bench/make_corpus.py'), 'ru', corpus, '100']);
const runs = 3;

const best = async (run) => {
  let least = Infinity;
  for (let i = 0; i < runs; ++i) {
    const start = performance.now();
    await run();
    least = Math.min(least, performance.now() - start);
  }
  return least / 1000;
};

const native = await best(() => execFileSync(cli, ['text', '--format', 'json', corpus], { stdio: ['ignore', 'ignore', 'inherit'] }));

const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ['--no-sandbox'] });
const url = pathToFileURL(pageFile).href;
// The median of 7 openings, each in a new browser context as a first visit, of the page and of
// an empty page (the browser's own share); then of the page reloaded in its tab.
const empty = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'zelm-bench-')), 'empty.html');
fs.writeFileSync(empty, '<!DOCTYPE html><p>x</p><script>performance.mark("zelm-first-result")</script>');
const opening = async (target, fresh) => {
  const times = [];
  const context = await browser.newContext(), tab = fresh ? null : await context.newPage();
  if (tab) await tab.goto(target);
  for (let i = 0; i < 7; ++i) {
    const visit = fresh ? await browser.newContext() : context;
    const current = tab || await visit.newPage();
    await (tab ? tab.reload() : current.goto(target));
    await current.waitForFunction(() => performance.getEntriesByName('zelm-first-result').length);
    times.push(await current.evaluate(() => performance.getEntriesByName('zelm-first-result')[0].startTime));
    if (fresh) await visit.close();
  }
  await context.close();
  return times.sort((a, b) => a - b)[3] / 1000;
};
const word = url + '#ru/zhuravlev/' + encodeURIComponent('мо*ре');
const first = await opening(word, true), blank = await opening(pathToFileURL(empty).href, true);
const again = await opening(word, false);
const page = await browser.newPage();
await page.goto(url);
await page.waitForSelector('body[data-ready=true]');
await page.click('#tab-text');
const inPage = await best(async () => {
  await page.setInputFiles('#text-file', corpus);
  await page.waitForFunction(() => document.getElementById('text-source').textContent.includes('звуков'), null, { timeout: 600000 });
  await page.click('#text-close');
  await page.waitForFunction(() => !document.getElementById('text-source').textContent.includes('ru.txt'));
});
// The browser's own share: reading the same file in a worker 16 MiB at a time, as the page reads it.
const reader = await browser.newPage();
await reader.goto(pathToFileURL(empty).href);
await reader.evaluate(() => { const input = document.createElement('input'); input.type = 'file'; input.id = 'f'; document.body.append(input); });
await reader.setInputFiles('#f', corpus);
const readOnly = await best(() => reader.evaluate(() => new Promise(resolve => {
  const source = `onmessage = e => { const f = e.data, r = new FileReaderSync();
    for (let at = 0; at < f.size; at += 16 << 20) r.readAsArrayBuffer(f.slice(at, at + (16 << 20))); postMessage(0); }`;
  const worker = new Worker(URL.createObjectURL(new Blob([source])));
  worker.onmessage = () => { worker.terminate(); resolve(); };
  worker.postMessage(document.getElementById('f').files[0]);
})));
await browser.close();

const mib = fs.statSync(corpus).size / 1048576;
const size = fs.statSync(pageFile).size;
console.log(`text of ${mib.toFixed(0)} MiB: page ${inPage.toFixed(2)} s, zelm-cli ${native.toFixed(2)} s, ratio ${(inPage / native).toFixed(2)} (target <= 3); ` +
  `the browser reading the file alone ${readOnly.toFixed(2)} s (${(readOnly / native).toFixed(2)} x zelm-cli)`);
console.log(`first result after opening the page: ${first.toFixed(3)} s on a first visit (an empty page: ${blank.toFixed(3)} s), ${again.toFixed(3)} s reloaded (target < 0.3)`);
console.log(`page size: ${(size / 1e6).toFixed(3)} MB (target < 1)`);
