// The web page in the system's Chromium, opened from its file: what it shows, what it downloads
// (byte for byte what zelm-cli prints for the same input) and how it takes bad and large input.
import { test, before, after, beforeEach, afterEach } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync, spawn } from 'node:child_process';
import crypto from 'node:crypto';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const root = path.resolve(fileURLToPath(new URL('.', import.meta.url)), '../..');
const pageFile = process.env.ZELM_WEB_PAGE || path.join(root, 'build/wasm/web/index.html');
const cli = process.env.ZELM_CLI || path.join(root, 'build/dev/src/cli/zelm-cli');
const shots = process.env.ZELM_WEB_SCREENSHOTS || path.join(root, 'build/web-screenshots');
const pageUrl = pathToFileURL(pageFile).href;
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'zelm-web-'));

let browser, context, page, problems;

const zelm = (args, options = {}) => execFileSync(cli, args, { cwd: work, maxBuffer: 1 << 28, ...options });
const cp1251 = text => Buffer.from([...text].map(c => {
  const code = c.codePointAt(0);
  if (code < 128) return code;
  if (code >= 0x410 && code <= 0x44F) return code - 0x410 + 192;
  return { 'ё': 184, 'Ё': 168, 'і': 179, 'І': 178, 'ї': 191, 'Ї': 175, 'є': 186, 'Є': 170, 'ґ': 180, 'Ґ': 165, '’': 146, '«': 171, '»': 187, '—': 151 }[c] ?? 63;
}));
const write = (name, bytes) => { fs.writeFileSync(path.join(work, name), bytes); return path.join(work, name); };

before(async () => {
  browser = await chromium.launch({ executablePath: '/usr/bin/chromium', args: ['--no-sandbox'] });
  fs.mkdirSync(shots, { recursive: true });
});
after(async () => {
  await browser?.close();
  fs.rmSync(work, { recursive: true, force: true });
});
beforeEach(async () => {
  context = await browser.newContext({ acceptDownloads: true, viewport: { width: 1280, height: 900 } });
  page = await context.newPage();
  problems = [];
  page.on('console', m => { if (m.type() === 'error' || m.type() === 'warning') problems.push(m.text()); });
  page.on('pageerror', e => problems.push(e.message));
});
afterEach(async () => {
  await context.close();
  assert.deepEqual(problems, [], 'the browser console stays clean');
});

async function open(hash = '') {
  await page.goto(pageUrl + hash);
  await page.waitForSelector('body[data-ready=true]');
}
// The page loaded anew in a new tab: the browser allows one tab a few downloads only, and then
// refuses the rest without a word.
async function fresh(hash = '') {
  await page.close();
  page = await context.newPage();
  page.on('console', m => { if (m.type() === 'error' || m.type() === 'warning') problems.push(m.text()); });
  page.on('pageerror', e => problems.push(e.message));
  await open(hash);
}
async function choose(lang, algo) {
  await page.check(`input[name=lang][value=${lang}]`);
  await page.check(`input[name=algo][value=${algo}]`);
}
// Clicks an export button of `scope` and returns the downloaded bytes.
async function downloaded(scope, label) {
  const [download] = await Promise.all([page.waitForEvent('download'), page.locator(scope).getByRole('button', { name: label, exact: true }).click()]);
  return fs.readFileSync(await download.path());
}
async function settled(selector) {
  await page.waitForFunction(s => document.querySelector(s)?.hidden, selector);
}

const Vocabulary = {
  ru: `мама мыла раму кот сидел на окне смотрел двор дети играли мяч солнце светило ярко летний день тёплым тихим ветер
       шелестел листьями старых берёз реки стояла лодка рыбак закинул удочку ждал клёва вечером доме зажгли свет бабушка
       пекла пироги яблоками дедушка читал газету печки окном снег зима пришла рано году дороге ехала телега лошадь
       фыркала море шумело волны бились камни чайки кричали водой корабль горизонт город просыпался медленно улицах
       трамвай звенел булочной пахло хлебом девочка несла букет цветов мальчик бежал собакой учитель объяснял задачу
       весна надежду сердце любовь дружба жизнь съезд подъём объём щука чаща жюри юла эхо ёж Ёлка ВЕЛИЧИЕ`.split(/\s+/),
  uk: `мама мила раму кіт сидів вікні дивився двір діти гралися м'яча сонце світило яскраво літній день теплим тихим вітер
       шелестів листям старих беріз річки стояв човен рибалка закинув вудку чекав увечері хаті засвітили світло бабуся
       пекла пиріжки яблуками дідусь читав газету печі вікном ішов сніг зима прийшла рано року дорогою їхав віз кінь
       пирхав хитав головою море шуміло хвилі билися каміння чайки кричали водою джміль гудів квітах ґанок чистий щука
       плавала ставку дзвін лунав здалеку сьогодні вранці місто прокидалося повільно вулицях з'являлися перші перехожі
       трамвай дзеленчав пекарні пахло хлібом дівчинка несла букет квітів хлопчик собакою вчитель задачу учні весна
       надію серце любов дружба життя Їжак Єдність`.split(/\s+/),
};
// Every word, and a stressed form of most of them: a few hundred of both languages, with some that
// have no letters or odd marks.
function words(lang) {
  const list = [];
  Vocabulary[lang].forEach((w, i) => {
    list.push(w);
    const vowels = [...w].map((c, j) => ('аеиіоуюяєїыэёАЕИОУЯЄЇ'.includes(c) ? j : -1)).filter(j => j >= 0);
    if (vowels.length) {
      const at = vowels[i % vowels.length] + 1;
      list.push(i % 3 ? w.slice(0, at) + '*' + w.slice(at) : w.slice(0, at) + '\u0301' + w.slice(at));
    }
  });
  return [...list, '123', 'zelm', 'мо**ре', '-мама', ' кот '];
}

test('words of both languages by both algorithms: the page gives what zelm-cli prints', async () => {
  await open();
  for (const lang of ['ru', 'uk']) {
    const list = words(lang);
    for (const algo of ['zhuravlev', 'levitsky']) {
      const mine = await page.evaluate(([lang, algo, list]) => {
        const decoder = new TextDecoder();
        return list.map(w => window.zelmEngine.evaluate(['word', '--lang', lang, '--algo', algo, '--', w], ''))
          .map(r => ({ json: decoder.decode(r.json), csv: decoder.decode(r.csv), svg: decoder.decode(r.svg) }));
      }, [lang, algo, list]);
      const common = ['word', '--lang', lang, '--algo', algo];
      assert.equal(mine.map(r => r.json).join(''), zelm([...common, '--format', 'json', '--', ...list]).toString(), `${lang} ${algo} JSON`);
      const csv = zelm([...common, '--format', 'csv', '--', ...list]).toString().split('\n');
      assert.deepEqual(mine.map(r => r.csv.split('\n')[1]), csv.slice(1, -1), `${lang} ${algo} CSV`);
      for (let i = 0; i < list.length; i += 17)
        assert.equal(mine[i].svg, zelm([...common, '--format', 'svg', '--', list[i]]).toString(), `${lang} ${algo} SVG of ${list[i]}`);
    }
  }
  // The buttons deliver those bytes.
  for (const [lang, algo, word] of [['ru', 'zhuravlev', 'мо*ре'], ['uk', 'levitsky', 'ві*тер'], ['ru', 'levitsky', 'ЗЕ*ЛМ']]) {
    await fresh();
    await choose(lang, algo);
    await page.fill('#word', word);
    for (const format of ['json', 'csv', 'svg'])
      assert.deepEqual(await downloaded('#word-result', format.toUpperCase()),
        zelm(['word', '--lang', lang, '--algo', algo, '--format', format, word]), `${word} ${format}`);
    const png = await downloaded('#word-result', 'PNG');
    assert.equal(png.subarray(1, 4).toString(), 'PNG');
  }
});

test('typing updates the chart and the address; a link opens its word; a bar explains itself', async () => {
  await open('#uk/levitsky/' + encodeURIComponent('ві*тер'));
  assert.equal(await page.inputValue('#word'), 'ві*тер');
  assert.ok(await page.isChecked('input[value=uk]'));
  assert.ok(await page.isChecked('input[value=levitsky]'));
  assert.equal(await page.locator('#word-result .chart tbody tr').count(), 7);
  await page.check('input[value=ru]');
  await page.check('input[value=zhuravlev]');
  await page.fill('#word', 'мо*ре');
  assert.equal(await page.locator('#word-result .comment').textContent(), 'Слово МО*РЕ производит впечатление чего-то  ХОРОШЕГО,  МОГУЧЕГО');
  assert.equal(decodeURIComponent(new URL(page.url()).hash), '#ru/zhuravlev/мо*ре');
  // The first scale by keyboard: its explanation lists the sounds and their sum is the value.
  await page.locator('#word-result .chart tbody tr').first().getByRole('button').press('Enter');
  const heading = await page.locator('#word-result .explanation h3').textContent();
  assert.equal(heading, 'Почему «Хороший — Плохой»: 34%');
  const sum = await page.locator('#word-result .explanation p').last().textContent();
  assert.match(sum, /^Сумма вкладов: \+34%/);
  assert.ok(await page.locator('#word-result .explanation tbody tr').count() >= 4);
  // A word without letters shows the engine's zeros and comment.
  await page.fill('#word', '123');
  assert.equal(await page.locator('#word-result .chart .value').first().textContent(), '0%');
  assert.equal((await page.locator('#word-result .comment').textContent()).length > 0, true);
  // Tabs from the keyboard.
  await page.focus('#tab-word');
  await page.keyboard.press('ArrowRight');
  assert.ok(await page.isVisible('#panel-text'));
  assert.equal(await page.evaluate(() => document.activeElement.id), 'tab-text');
});

// A dozen texts: both encodings, both languages, both algorithms.
const Texts = [
  ['ru', 'Мороз и солнце; день чудесный!\r\nЕще ты дремлешь, друг прелестный —\r\nПора, красавица, проснись.\r\n'],
  ['ru', 'Белеет парус одинокой\nВ тумане моря голубом!\n\nЧто ищет он в стране далекой?\n'],
  ['ru', 'Тихо. Тише тишины.'],
  ['uk', 'Реве та стогне Дніпр широкий,\nСердитий вітер завива,\n\nДодолу верби гне високі.\n'],
  ['uk', 'Садок вишневий коло хати, хрущі над вишнями гудуть.'],
  ['uk', 'Ще не вмерла України і слава, і воля, і ґанок, і їжак, і єдність.\n'],
];

test('text files in Windows-1251, UTF-8 and UTF-16 give what zelm-cli prints, and the encoding can be changed', async () => {
  await open();
  await page.click('#tab-text');
  let n = 0;
  const utf16 = text => Buffer.concat([Buffer.from([0xff, 0xfe]), Buffer.from(text, 'utf16le')]);
  for (const [lang, text] of Texts) {
    for (const [encoding, bytes] of [['Windows-1251', cp1251(text)], ['UTF-8', Buffer.from(text)], ...(n % 3 ? [] : [['UTF-16', utf16(text)]])]) {
      const algo = n % 2 ? 'levitsky' : 'zhuravlev';
      const name = `текст ${++n}.txt`;
      write(name, bytes);
      await fresh();
      await page.click('#tab-text');
      await choose(lang, algo);
      await page.setInputFiles('#text-file', { name, mimeType: 'text/plain', buffer: bytes });
      await page.waitForFunction(([n, e]) => document.getElementById('text-source').textContent.includes(n) &&
        document.getElementById('text-source').textContent.includes(e), [name, encoding]);
      for (const format of ['json', 'csv', 'svg'])
        assert.deepEqual(await downloaded('#text-result', format.toUpperCase()),
          zelm(['text', '--lang', lang, '--algo', algo, '--format', format, name]), `${name} ${format}`);
      await page.click('#text-close');
    }
  }
  // Read as the other encoding when the user says so.
  await page.setInputFiles('#text-file', { name: 'текст 1.txt', mimeType: 'text/plain', buffer: fs.readFileSync(path.join(work, 'текст 1.txt')) });
  await page.waitForFunction(() => document.getElementById('text-source').textContent.includes('Windows-1251'));
  await page.selectOption('#text-encoding', 'utf-8');
  await page.waitForFunction(() => document.getElementById('text-source').textContent.includes('UTF-8'));
  assert.deepEqual(await downloaded('#text-result', 'JSON'),
    zelm(['text', '--lang', 'uk', '--algo', 'levitsky', '--encoding', 'utf-8', '--format', 'json', 'текст 1.txt']));
});

test('a typed text, its sounds and its lines give what zelm-cli prints for standard input', async () => {
  await open();
  await page.click('#tab-text');
  const text = Texts[1][1];
  await page.fill('#text', text);
  await page.waitForSelector('#text-result .chart');
  const stdin = { input: Buffer.from(text) };
  assert.deepEqual(await downloaded('#text-result', 'JSON'), zelm(['text', '--format', 'json', '-'], stdin));
  await page.click('#text-sounds summary');
  await page.waitForSelector('#text-sounds-table tbody tr');
  assert.equal(await page.locator('#text-sounds-table tbody tr').count(), 45);
  assert.deepEqual(await downloaded('#text-sounds', 'CSV звуков текста'), zelm(['sounds', '--format', 'csv', '-'], stdin));
  await page.click('#text-segments summary');
  await page.waitForSelector('#text-segments-table tbody tr[aria-rowindex]');
  assert.equal(await page.locator('#text-segments-table tbody tr[aria-rowindex]').count(), 3);
  assert.deepEqual(await downloaded('#text-segments', 'CSV оценки по строкам или абзацам'), zelm(['text', '--by', 'line', '--format', 'csv', '-'], stdin));
  await page.selectOption('#text-by', 'paragraph');
  await page.waitForFunction(() => document.querySelectorAll('#text-segments-table tbody tr[aria-rowindex]').length === 2);
  assert.deepEqual(await downloaded('#text-segments', 'JSON оценки по строкам или абзацам'), zelm(['text', '--by', 'paragraph', '--format', 'json', '-'], stdin));
  // An empty text is said to be empty.
  await page.fill('#text', '   ');
  await page.waitForSelector('#text-result .hint');
});

test('a word list: its table sorts by a scale and ranks by wanted poles as zelm-cli does', async () => {
  await open();
  await page.click('#tab-list');
  const list = words('ru').slice(0, 60).join('\r\n');
  write('слова.txt', cp1251(list));
  await page.setInputFiles('#list-file', { name: 'слова.txt', mimeType: 'text/plain', buffer: cp1251(list) });
  // A window of the 60 rows is shown; the rest come as the table scrolls.
  await page.waitForFunction(() => document.getElementById('list-summary').textContent === 'Слов: 60' &&
    document.querySelectorAll('#list-table tbody tr[aria-rowindex]').length > 10);
  await scrolledToEnd('#list-table', 60);
  assert.deepEqual(await downloaded('#panel-list .export', 'CSV'), zelm(['batch', '--format', 'csv', 'слова.txt']));
  // Sorted by "Хороший / Плохой", highest first.
  await page.getByRole('button', { name: 'Хороший / Плохой' }).click();
  await page.waitForSelector('#list-table tbody tr[aria-rowindex="2"]');
  const firstColumn = await page.$$eval('#list-table tbody tr[aria-rowindex]', rows => rows.map(r => parseInt(r.cells[1].textContent, 10)));
  const best = Math.max(...zelm(['batch', '--format', 'csv', 'слова.txt']).toString().trim().split('\n').slice(1)
    .map(line => Math.round(Number(line.split(',')[1]) * 100)));
  assert.deepEqual([firstColumn[0], firstColumn], [best, [...firstColumn].sort((a, b) => b - a)]);
  assert.equal(await page.getAttribute('#list-table th[aria-sort=descending]', 'aria-sort'), 'descending');
  await page.check('#poles input[value="Нежный"]');
  await page.check('#poles input[value="светлый"]');
  await page.click('#rank-run');
  await page.waitForFunction(() => document.getElementById('list-summary').textContent.includes('Нежный'));
  for (const format of ['json', 'csv'])
    assert.deepEqual(await downloaded('#panel-list .export', format.toUpperCase()),
      zelm(['rank', '--want', 'Нежный,светлый', '--format', format, 'слова.txt']), `rank ${format}`);
});

test('bad files get a clear message and break nothing', async () => {
  await open();
  await page.click('#tab-text');
  await page.setInputFiles('#text-file', { name: 'ls.bin', mimeType: 'application/octet-stream', buffer: Buffer.from([0x7f, 0x45, 0x4c, 0x46, 0, 0, 1, 2]) });
  await page.waitForFunction(() => !document.getElementById('message').hidden);
  assert.match(await page.textContent('#message'), /«ls\.bin» не похож на текстовый файл/);
  // Malformed UTF-8 is read as Windows-1251, as zelm-cli reads it.
  const bad = Buffer.concat([Buffer.from('мама '), Buffer.from([0xff, 0xfe, 0x80]), Buffer.from(' мыла')]);
  write('bad.txt', bad);
  await page.setInputFiles('#text-file', { name: 'bad.txt', mimeType: 'text/plain', buffer: bad });
  await page.waitForFunction(() => document.getElementById('text-source').textContent.includes('bad.txt'));
  assert.match(await page.textContent('#text-source'), /Windows-1251/);
  assert.deepEqual(await downloaded('#text-result', 'JSON'), zelm(['text', '--format', 'json', 'bad.txt']));
  // A file changed on disk after it was chosen can no longer be read: said, and the page goes on.
  const gone = write('gone.txt', cp1251('Тихо.'));
  await page.setInputFiles('#text-file', gone);
  await page.waitForFunction(() => document.getElementById('text-source').textContent.includes('gone.txt'));
  fs.writeFileSync(gone, 'changed, and longer than before');
  await page.selectOption('#text-encoding', 'utf-8');
  await page.waitForFunction(() => document.getElementById('message').textContent.startsWith('Текст не оценён'));
  assert.match(await page.textContent('#message'), /^Текст не оценён: не удалось прочитать файл «gone\.txt»: ошибка чтения/);
  assert.equal(await page.locator('#text-result .chart').count(), 0, 'no earlier result beside the failure');
  assert.equal(await page.textContent('#text-source'), '');
  await page.click('#text-close');
  await page.fill('#text', 'Тихо.');
  await page.waitForFunction(() => document.getElementById('text-source').textContent.startsWith('Введённый текст'));
});

test('a long word answers at once, explains itself when asked, and the small things', async () => {
  await open();
  // 10,000 letters: the result follows the keystroke within 100 ms; the explanation waits for a click.
  const took = await page.evaluate(word => {
    const box = document.getElementById('word');
    box.value = word;
    const start = performance.now();
    box.dispatchEvent(new Event('input'));
    return performance.now() - start;
  }, 'мама'.repeat(2500));
  assert.ok(took < 100, `a 10,000-letter word took ${took} ms`);
  await page.locator('#word-result .chart tbody tr').first().click();
  assert.match(await page.locator('#word-result .explanation p').nth(1).textContent(), /^Ещё 9800 меньших вкладов, вместе: [+-]\d/);
  await page.fill('#word', 'мо*ре');
  await page.locator('#word-result .chart tbody tr').nth(2).click();
  assert.equal(await page.locator('#word-result .explanation tbody tr th').first().textContent() !== '', true);
  const places = await page.$$eval('#word-result .explanation tbody tr', rows => rows.map(r => Number(r.cells[1].textContent)));
  assert.deepEqual([...places].sort((a, b) => a - b), [1, 2, 3, 4], 'places count from 1');
  // One number style: the chart's point and hyphen in the explanation too.
  const values = await page.$$eval('#word-result .explanation td', cells => cells.map(c => c.textContent).join(' '));
  assert.doesNotMatch(values, /[,−]/);
  // Each export of the text tab has a name of its own.
  const names = await page.$$eval('#panel-text .export button', b => b.map(x => x.getAttribute('aria-label') || x.textContent));
  assert.equal(new Set(names).size, names.length, names.join(' | '));
  // A link the page cannot read is said, not silently replaced.
  await fresh('#xx/foo/мама');
  assert.match(await page.textContent('#message'), /Ссылка «#xx\/foo\/мама» не понята/);
  // A binary file without NUL bytes is counted, with a warning; the file box shows no placeholder.
  await page.click('#tab-text');
  const noise = Buffer.from(Array.from({ length: 4000 }, (_, i) => (i * 7919) % 31 + 1));
  await page.setInputFiles('#text-file', { name: 'noise.bin', mimeType: 'application/octet-stream', buffer: noise });
  await page.waitForFunction(() => document.getElementById('message').textContent.includes('похож на двоичный'));
  assert.equal(await page.getAttribute('#text', 'placeholder'), '');
  await page.click('#text-close');
  assert.notEqual(await page.getAttribute('#text', 'placeholder'), '');
  // Sorting keeps the focus on the header that was pressed.
  await page.click('#tab-list');
  await page.fill('#list', 'мама\nкот\nморе');
  await page.click('#list-run');
  await page.waitForFunction(() => document.querySelectorAll('#list-table tbody tr[aria-rowindex]').length === 3);
  await page.getByRole('button', { name: 'Хороший / Плохой' }).press('Enter');
  assert.match(await page.evaluate(() => document.activeElement.textContent), /^Хороший \/ Плохой/);
});

// The memory of the browser's tabs with their workers (their renderers' resident sizes), in MB.
function browserMemory() {
  const rows = execFileSync('ps', ['-e', '-o', 'rss=,args=']).toString().split('\n').filter(l => /chromium.*--type=renderer/.test(l));
  return Math.round(rows.reduce((sum, l) => sum + parseInt(l, 10), 0) / 1024);
}
// A table of `rows` rows scrolled to its end, as far as its last row.
async function scrolledToEnd(box, rows) {
  await page.waitForFunction(([box, rows]) => {
    const scroller = document.querySelector(box);
    scroller.scrollTop = scroller.scrollHeight;
    return scroller.querySelector(`tr[aria-rowindex="${rows + 1}"]`);
  }, [box, rows], { timeout: 300000, polling: 100 });
}
// The main thread's tasks over 50 ms from now on (the browser's long-task observer).
async function watchLongTasks() {
  await page.evaluate(() => {
    window.longTasks = [];
    new PerformanceObserver(list => window.longTasks.push(...list.getEntries().map(e => Math.round(e.duration)))).observe({ type: 'longtask' });
  });
}
// A command's output hashed as it streams, with `each(line)` seeing its lines.
function streamedSha(args, each = () => {}) {
  return new Promise((resolve, reject) => {
    const child = spawn(cli, args, { cwd: work, stdio: ['ignore', 'pipe', 'inherit'] });
    const hash = crypto.createHash('sha256');
    let rest = '';
    child.stdout.on('data', chunk => {
      hash.update(chunk);
      const lines = (rest + chunk.toString('latin1')).split('\n');
      rest = lines.pop();
      lines.forEach(each);
    });
    child.on('error', reject);
    child.on('close', status => (status === 0 ? resolve(hash.digest('hex')) : reject(new Error(`zelm-cli ${args.join(' ')}: ${status}`))));
  });
}
async function downloadedSha(scope, label) {
  const [download] = await Promise.all([page.waitForEvent('download', { timeout: 600000 }), page.locator(scope).getByRole('button', { name: label, exact: true }).click()]);
  const hash = crypto.createHash('sha256');
  for await (const chunk of fs.createReadStream(await download.path())) hash.update(chunk);
  return hash.digest('hex');
}

test('a list of a million words is shown, sorted and ranked, and saved as zelm-cli writes it, without holding up the page', async t => {
  const name = 'миллион.txt', file = path.join(work, name);
  const vocabulary = Vocabulary.ru, ends = ['', 'а', 'ы', 'ом', 'ами', 'ость', 'ик'];
  const wordOf = k => vocabulary[k % vocabulary.length] + ends[(k / vocabulary.length | 0) % ends.length] + (k % 3 ? '' : '*');
  const fd = fs.openSync(file, 'w');
  for (let i = 0; i < 1000000; i += 10000) {
    const lines = [];
    for (let k = i; k < i + 10000; ++k) lines.push(wordOf(k));
    fs.writeSync(fd, cp1251(lines.join('\n') + '\n'));
  }
  fs.closeSync(fd);
  let best = -Infinity;
  const cliSha = await streamedSha(['batch', '--format', 'csv', name], line => {
    const value = Number(line.split(',')[1]);
    if (Number.isFinite(value)) best = Math.max(best, Math.round(value * 100));
  });
  const before = browserMemory();
  await open();
  await page.click('#tab-list');
  await watchLongTasks();
  await page.setInputFiles('#list-file', file);
  await page.waitForFunction(() => document.getElementById('list-summary').textContent === 'Слов: 1000000', null, { timeout: 300000 });
  const memory = browserMemory();
  // The last row, scrolled to; then the rows sorted by the first scale, the best first.
  await scrolledToEnd('#list-table', 1000000);
  assert.equal(await page.textContent('#list-table tr[aria-rowindex="1000001"] th'), wordOf(999999));
  await page.getByRole('button', { name: 'Хороший / Плохой' }).click();
  await page.waitForFunction(top => document.querySelector('#list-table tr[aria-rowindex="2"]')?.cells[1].textContent === `${top}%`, best, { timeout: 60000 });
  assert.equal(await downloadedSha('#panel-list .export', 'CSV'), cliSha);
  // Ranked: the 10,000 best are kept and shown, the first as zelm-cli ranks it.
  await page.check('#poles input[value="Нежный"]');
  await page.click('#rank-run');
  await page.waitForFunction(() => document.getElementById('list-summary').textContent.includes('показаны лучшие 10000'), null, { timeout: 300000 });
  const first = JSON.parse(zelm(['rank', '--want', 'Нежный', '--top', '1', '--format', 'json', name]).toString());
  assert.equal(await page.textContent('#list-table tr[aria-rowindex="2"] th'), first.input);
  const longTasks = await page.evaluate(() => window.longTasks);
  t.diagnostic(`browser memory: ${before} MB before, ${memory} MB with the list's table; main-thread tasks over 50 ms: ${JSON.stringify(longTasks)}`);
  assert.ok(longTasks.every(ms => ms < 200), `the main thread was held: ${longTasks} ms`);
  assert.ok(memory - before < 600, `the list took ${memory - before} MB`);
  fs.rmSync(file);
});

test('a per-line profile of 20 MB shows its rows and downloads, in pieces, as zelm-cli writes it', async () => {
  const lines = [];
  for (let i = 0; lines.length * 60 < 20e6; ++i) lines.push(Texts[i % Texts.length][1].split('\n')[0] + ` ${i}`);
  const name = 'строки.txt';
  const bytes = cp1251(lines.join('\r\n') + '\r\n');
  write(name, bytes);
  await open();
  await page.click('#tab-text');
  await page.setInputFiles('#text-file', { name, mimeType: 'text/plain', buffer: bytes });
  await page.waitForFunction(n => document.getElementById('text-source').textContent.includes(n), name);
  await page.click('#text-segments summary');
  let segments = -1, last = ''; // below the header
  const cliSha = await streamedSha(['text', '--by', 'line', '--format', 'csv', name], line => { ++segments; last = line; });
  await scrolledToEnd('#text-segments-table', segments);
  // The last row: its line and values as zelm-cli's (after its text's name), to the tenth shown.
  const shownRow = await page.$$eval(`#text-segments-table tr[aria-rowindex="${segments + 1}"] > *`, cells => cells.map(c => c.textContent));
  const cliRow = last.split(',');
  assert.deepEqual(shownRow.slice(0, 2), cliRow.slice(0, 2));
  shownRow.slice(2).forEach((v, k) => assert.ok(Math.abs(Number(v) - Number(cliRow[k + 3])) <= 0.0500001, `${v} against ${cliRow[k + 3]}`));
  assert.equal(await downloadedSha('#text-segments', 'CSV оценки по строкам или абзацам'), cliSha);
});

test('a large file is counted piece by piece with progress, and Cancel stops it', async () => {
  const big = path.join(work, 'big.txt');
  const block = cp1251('Мама мыла раму, а кот сидел на окне и смотрел во двор.\r\n'.repeat(2000));
  const fd = fs.openSync(big, 'w');
  for (let written = 0; written < 100 << 20; written += block.length) fs.writeSync(fd, block);
  fs.closeSync(fd);
  await open();
  await page.click('#tab-text');
  await page.setInputFiles('#text-file', big);
  await page.waitForFunction(() => document.querySelector('#text-progress progress').value > 0);
  await page.click('#text-progress .cancel');
  await page.waitForFunction(() => document.getElementById('message').textContent === 'Подсчёт отменён.');
  assert.ok(await page.isHidden('#text-progress'));
  // The file's sounds asked for, then the language changed while they are counted: the new
  // result comes, and no notice of a cancel the user did not ask for.
  await page.click('#text-sounds summary');
  await page.waitForFunction(() => document.getElementById('message').hidden);
  await page.check('input[name=lang][value=uk]');
  await page.waitForFunction(() => document.querySelectorAll('#text-result .chart tbody tr').length === 7 &&
    document.querySelector('#text-progress').hidden);
  assert.ok(await page.isHidden('#message'), await page.textContent('#message'));
  await page.click('#text-sounds summary');
  await page.check('input[name=lang][value=ru]');
  // The page goes on working.
  await page.click('#text-close');
  await page.fill('#text', 'Тихо.');
  await page.waitForFunction(() => document.getElementById('text-source').textContent.startsWith('Введённый текст'));
  fs.rmSync(big);
});

test('every control is labelled, and the page fits 1280 and 360 pixels wide', async () => {
  await open('#ru/zhuravlev/' + encodeURIComponent('мо*ре'));
  const unlabelled = await page.$$eval('input, select, textarea, button', nodes => nodes.filter(n => {
    const labelled = (n.labels && [...n.labels].some(l => l.textContent.trim())) || n.getAttribute('aria-label') || n.textContent.trim();
    return !labelled && n.type !== 'file';
  }).map(n => n.outerHTML));
  assert.deepEqual(unlabelled, []);
  for (const width of [1280, 360]) {
    await page.setViewportSize({ width, height: 900 });
    for (const tab of ['word', 'text', 'list']) {
      await page.click(`#tab-${tab}`);
      if (tab === 'text') { await page.fill('#text', Texts[0][1]); await page.waitForSelector('#text-result .chart'); }
      assert.ok(await page.evaluate(w => document.documentElement.scrollWidth <= w, width), `${tab} fits ${width} px`);
      await page.screenshot({ path: path.join(shots, `${tab}-${width}.png`), fullPage: true });
    }
  }
  await page.click('#tab-word');
  await page.emulateMedia({ media: 'print' });
  await page.pdf({ path: path.join(shots, 'word-print.pdf'), format: 'A4' });
});
