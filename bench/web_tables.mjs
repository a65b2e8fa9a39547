// The web page's tables against zelm-cli, in the same run: a word list of 1,000,000 and of
// 10,000,000 lines shown in the page (a file opened, every word evaluated in its worker and kept
// compactly) against `zelm-cli batch --format csv` on all processors and on one (the page has one
// worker), and the per-line table of a 100 MiB text against `zelm-cli text --by line --format
// csv`; with the memory the page's tab holds for each (its renderer's resident size, grown since
// the page opened), per word or line.
//
// usage: node bench/web_tables.mjs ZELM_CLI [PAGE] [COPIES]   (corpora: bench/data, as throughput.py
// writes them; the text is the 100 MiB corpus COPIES times over, default 1: 10 for a 1 GiB text)
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const root = path.resolve(fileURLToPath(new URL('.', import.meta.url)), '..');
const { chromium } = await import(pathToFileURL(path.join(root, 'tests/web/node_modules/playwright-core/index.mjs')).href);
const cli = process.argv[2] || path.join(root, 'build/release/src/cli/zelm-cli');
const pageFile = process.argv[3] || path.join(root, 'build/wasm/web/index.html');
const data = path.join(root, 'bench/data');
const corpus = path.join(data, 'ru.txt'), words = path.join(data, 'ru_words.txt');
if (!fs.existsSync(corpus)) execFileSync('python3', [path.join(root, 'bench/make_corpus.py'), 'ru', corpus, '100']);
if (!fs.existsSync(words)) execFileSync('python3', [path.join(root, 'bench/throughput.py'), cli, 'ru']);
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'zelm-bench-'));

// A list of `lines` lines: the benchmark's word list over and over.
function list(lines) {
  const file = path.join(work, `list-${lines}.txt`), one = fs.readFileSync(words);
  const count = one.toString('latin1').split('\n').filter(Boolean).length;
  const fd = fs.openSync(file, 'w');
  for (let n = 0; n < lines; n += count) fs.writeSync(fd, n + count <= lines ? one : one.subarray(0, nthLine(one, lines - n)));
  fs.closeSync(fd);
  return file;
}
function nthLine(bytes, n) { let at = 0; for (let i = 0; i < n; ++i) at = bytes.indexOf(10, at) + 1; return at; }

const seconds = (run) => { const start = performance.now(); run(); return (performance.now() - start) / 1000; };
const cliTime = (args, env = {}) => seconds(() => execFileSync(cli, args, { stdio: ['ignore', 'ignore', 'inherit'], env: { ...process.env, ...env }, maxBuffer: 1 << 30 }));
const renderers = () => Math.round(execFileSync('ps', ['-e', '-o', 'rss=,args=']).toString().split('\n')
  .filter(l => /chromium.*--type=renderer/.test(l)).reduce((sum, l) => sum + parseInt(l, 10), 0) / 1024);

const browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ['--no-sandbox'] });
async function inPage(tab, file, done, save) {
  const page = await browser.newPage();
  await page.goto(pathToFileURL(pageFile).href);
  await page.waitForSelector('body[data-ready=true]');
  await page.click(`#tab-${tab}`);
  const before = renderers(), start = performance.now();
  await page.setInputFiles(tab === 'list' ? '#list-file' : '#text-file', file);
  if (tab === 'text') {
    await page.waitForFunction(() => document.getElementById('text-source').textContent.includes('звуков'), null, { timeout: 0 });
    await page.click('#text-segments summary');
  }
  await page.waitForFunction(done, null, { timeout: 0, polling: 50 });
  const time = (performance.now() - start) / 1000, grown = renderers() - before;
  let saved = 0;
  if (save) { // the table's CSV, as a download
    const began = performance.now();
    const [download] = await Promise.all([page.waitForEvent('download', { timeout: 0 }), page.locator(save[0]).getByRole('button', { name: save[1], exact: true }).click()]);
    await download.path();
    saved = (performance.now() - began) / 1000;
  }
  await page.close();
  return { time, grown, saved };
}

for (const lines of [1e6, 1e7]) {
  const file = list(lines);
  const all = cliTime(['batch', '--format', 'csv', file]), one = cliTime(['batch', '--format', 'csv', file], { ZELM_BATCH_THREADS: '1' });
  const page = await inPage('list', file, () => /^Слов: \d+$/.test(document.getElementById('list-summary').textContent));
  console.log(`list of ${lines / 1e6}M lines: page ${page.time.toFixed(2)} s, zelm-cli batch ${all.toFixed(2)} s (${(page.time / all).toFixed(1)}x), ` +
    `on one processor ${one.toFixed(2)} s (${(page.time / one).toFixed(1)}x); the tab grew by ${page.grown} MB, ${(page.grown * 1048576 / lines).toFixed(1)} bytes a word (goal <= 40)`);
  fs.rmSync(file);
}
const copies = Number(process.argv[4] || 1), text = path.join(work, 'text.txt');
for (let i = 0; i < copies; ++i) fs.appendFileSync(text, fs.readFileSync(corpus));
const segments = cliTime(['text', '--by', 'line', '--format', 'csv', text]);
const lineCount = fs.readFileSync(corpus).toString('latin1').split('\n').length * copies;
const page = await inPage('text', text, () => document.querySelector('#text-segments-table tr[aria-rowindex="2"]'),
  ['#text-segments', 'CSV оценки по строкам или абзацам']);
console.log(`per-line table of ${(fs.statSync(text).size / 1048576).toFixed(0)} MiB (about ${lineCount} lines): page ${page.time.toFixed(2)} s (its whole-text count included), ` +
  `zelm-cli text --by line --format csv ${segments.toFixed(2)} s (${(page.time / segments).toFixed(1)}x); the tab grew by ${page.grown} MB; ` +
  `its CSV saved from the page in ${page.saved.toFixed(2)} s (${(page.saved / segments).toFixed(1)}x zelm-cli)`);
await browser.close();
fs.rmSync(work, { recursive: true, force: true });
