// The page: a word evaluated as it is typed (in this window), texts and word lists counted in a
// worker piece by piece, every result drawn as the result windows draw it and exported as
// zelm-cli writes it.
'use strict';
(() => {
const $ = id => document.getElementById(id);
const el = (tag, props = {}, ...children) => {
  const node = document.createElement(tag);
  for (const [key, value] of Object.entries(props)) {
    if (key === 'class') node.className = value;
    else if (key.startsWith('on')) node.addEventListener(key.slice(2), value);
    else if (key in node && !key.includes('-')) node[key] = value;
    else node.setAttribute(key, value);
  }
  node.append(...children.filter(c => c !== null && c !== undefined));
  return node;
};

const LanguageNames = { ru: 'Русский', uk: 'Украинский' };
const ColourNames = {
  '#ff0000': 'красный', '#ffff00': 'жёлтый', '#008000': 'зелёный',
  '#0000ff': 'синий', '#800080': 'фиолетовый', '#800000': 'бордовый',
};
const Utf8 = new TextDecoder('utf-8');

let engine = null, engineErrors = '';
const state = { lang: 'ru', algo: 'zhuravlev', tab: 'word', textFile: null, listFile: null, listRun: null };

// ---- messages -------------------------------------------------------------------------------
function say(text) {
  const box = $('message');
  box.textContent = text;
  box.hidden = !text;
}
// The engine's messages (zelm-cli's own, in English) in the page's words.
const Reasons = {
  'I/O error': 'ошибка чтения (файл изменился или стал недоступен после того, как его выбрали; выберите его снова)',
  'No such file or directory': 'файла больше нет', 'Permission denied': 'нет доступа к файлу',
};
function inRussian(line) {
  let m;
  if ((m = /^cannot read '(.*)': (.*)$/.exec(line))) return `не удалось прочитать файл «${m[1]}»: ${Reasons[m[2]] || m[2]}`;
  if ((m = /^note: line (\d+) of (.*) is not UTF-8; such lines are read as Windows-1251$/.exec(line)))
    return `строка ${m[1]} файла «${m[2]}» не в UTF-8 и прочитана как Windows-1251`;
  if (/Aborted|out of memory|Cannot enlarge memory|Out of bounds|RangeError/i.test(line))
    return 'слишком большой файл для этой страницы: браузеру не хватило памяти. Оцените его программой zelm-cli или разбейте на части';
  return line;
}
// What the engine said on standard error, in the page's words.
function engineMessage(result, what) {
  const detail = (result.errors || '').replace(/^zelm-cli: /gm, '').trim().split('\n').filter(Boolean).map(inRussian);
  return `${what}: ${detail.join('; ') || 'неизвестная ошибка'}.`.replace(/\.\.$/, '.');
}

// ---- the workers ----------------------------------------------------------------------------
// One worker for each purpose, so that cancelling one count keeps another's table: `text` and
// `list` hold their panel's tables, `text-save` and `list-save` make downloads.
const workers = new Map();
let nextJob = 1;
// A count stopped: by the user's Cancel (said), or by a newer count that took its place (not said).
const CancelNotice = 'Подсчёт отменён.';
class Cancelled extends Error { constructor(byUser) { super('cancelled'); this.byUser = byUser; } }
function stoppedMessage(e, what) {
  if (e instanceof Cancelled) return e.byUser ? CancelNotice : '';
  return `${what}: ${inRussian(e.message)}`;
}

function startWorker(key) {
  const source = $('zelm-engine').textContent + '\n' + $('zelm-worker').textContent;
  const url = URL.createObjectURL(new Blob([source], { type: 'text/javascript' }));
  const entry = { worker: new Worker(url), pending: new Map() };
  URL.revokeObjectURL(url);
  entry.worker.onmessage = event => {
    const { job, progress, result } = event.data;
    const waiting = entry.pending.get(job);
    if (!waiting) return;
    if (progress !== undefined) {
      if (waiting.progress) waiting.progress(progress);
      return;
    }
    entry.pending.delete(job);
    waiting.resolve(result);
  };
  entry.worker.onerror = event => {
    event.preventDefault();
    stopWorker(key, new Error(event.message || 'сбой при подсчёте'));
  };
  workers.set(key, entry);
  return entry;
}

// Ends a worker, its waiting jobs rejected with `reason`, and drops what its tables held.
function stopWorker(key, reason) {
  const entry = workers.get(key);
  if (!entry) return;
  entry.worker.terminate();
  workers.delete(key);
  for (const waiting of entry.pending.values()) waiting.reject(reason);
  tableLost(key);
}

// Runs an operation of the worker `key` on a file or typed bytes: a zelm-cli command ('run'), an
// evaluation ('evaluate'), a download ('download'), or a table's making, sorting and rows
// ('table', 'sort', 'rows').
function inWorker(key, op, args, input, progress, extra) {
  const entry = workers.get(key) || startWorker(key);
  const id = nextJob++;
  return new Promise((resolve, reject) => {
    entry.pending.set(id, { resolve, reject, progress });
    entry.worker.postMessage({ id, op, args, input, extra });
  });
}

// Stops the panel's work in progress (its workers that are busy).
function cancelWork(panel, byUser = false) {
  for (const key of [panel, panel + '-save'])
    if (workers.get(key)?.pending.size) stopWorker(key, new Cancelled(byUser));
}

// Runs `work` with the panel's progress bar shown (for files and long inputs) and Cancel working.
async function withProgress(panel, shown, work) {
  if ($('message').textContent === CancelNotice) say(''); // a new count: the old cancel is past
  const box = $(panel + '-progress'), bar = box.querySelector('progress');
  bar.removeAttribute('value');
  box.hidden = !shown;
  try {
    return await work(fraction => { bar.value = fraction; box.hidden = false; });
  } finally {
    box.hidden = true;
  }
}

// ---- input ----------------------------------------------------------------------------------
function common() { return ['--lang', state.lang, '--algo', state.algo]; }
function typedInput(text) { return { bytes: new TextEncoder().encode(text) }; }

// A file that is no text: NUL bytes in its first 64 KiB. Null when it looks like text.
async function binaryReason(file) {
  const head = new Uint8Array(await file.slice(0, 65536).arrayBuffer());
  if (head.length >= 2 && ((head[0] === 0xFF && head[1] === 0xFE) || (head[0] === 0xFE && head[1] === 0xFF)))
    return null; // UTF-16 with its byte order mark: read as text
  return head.includes(0) ? `«${file.name}» не похож на текстовый файл (в нём есть нулевые байты)` : null;
}
// A warning for a file that reads, but hardly as a text: many control characters in its first
// 64 KiB (more than one in a hundred bytes, beside tabs, line ends and form feeds).
async function controlsWarning(file) {
  const head = new Uint8Array(await file.slice(0, 65536).arrayBuffer());
  let controls = 0;
  for (const b of head) if ((b < 32 && b !== 9 && b !== 10 && b !== 13 && b !== 12) || b === 127) ++controls;
  return head.length && controls * 100 > head.length
    ? `«${file.name}» похож на двоичный файл: в нём много управляющих знаков. Он оценён как текст; проверьте, тот ли это файл.` : '';
}

async function readableFile(file) {
  try {
    const reason = await binaryReason(file);
    if (reason) { say(reason + '. Откройте текстовый файл в кодировке Windows-1251 или UTF-8.'); return false; }
    return true;
  } catch (e) {
    say(`Не удалось прочитать файл «${file.name}»: ${e.message}`);
    return false;
  }
}

function sizeText(bytes) {
  if (bytes < 1024) return `${bytes} Б`;
  if (bytes < 1048576) return `${(bytes / 1024).toFixed(1)} КБ`;
  return `${(bytes / 1048576).toFixed(1)} МБ`;
}

// ---- downloads ------------------------------------------------------------------------------
function download(bytes, name, type) {
  const url = URL.createObjectURL(new Blob([bytes], { type }));
  const a = el('a', { href: url, download: name });
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
}
const Types = { json: 'application/json', csv: 'text/csv', svg: 'image/svg+xml' };
function baseName(text) {
  return (text || 'zelm').replace(/[\\/:*?"<>|\u0000-\u001f\u0301]/g, '').slice(0, 60) || 'zelm';
}

async function downloadPng(svgBytes, name) {
  const url = URL.createObjectURL(new Blob([svgBytes], { type: Types.svg }));
  try {
    const image = new Image();
    image.src = url;
    await image.decode();
    const canvas = el('canvas', { width: image.width * 2, height: image.height * 2 });
    const context = canvas.getContext('2d');
    context.scale(2, 2);
    context.drawImage(image, 0, 0);
    const png = await new Promise(resolve => canvas.toBlob(resolve, 'image/png'));
    download(png, name + '.png', 'image/png');
  } finally {
    URL.revokeObjectURL(url);
  }
}

// `what` tells a screen reader which of the tab's exports a button is ("JSON звуков текста").
function exportButtons(formats, action, what = '') {
  return formats.map(format => el('button', { type: 'button', onclick: () => action(format), ...(what ? { 'aria-label': `${format} ${what}` } : {}) }, format));
}

// ---- drawing a result -----------------------------------------------------------------------
// A contribution as the chart shows values: a Russian word's in percent, a Ukrainian word's
// times 100, a text's as it is.
function shown(value, isWord) {
  const v = isWord ? value * 100 : value, percent = isWord && state.lang === 'ru';
  const digits = (percent ? 0 : 1) + (Math.abs(v) < (percent ? 0.5 : 0.05) && v !== 0 ? 1 : 0);
  return (v >= 0 ? '+' : '-') + Math.abs(v).toFixed(digits) + (percent ? '%' : '');
}

function chartTable(result, onExplain) {
  const body = el('tbody');
  result.chart.forEach((row, index) => {
    const colour = !row.significant ? 'grey' : row.value > 0 ? 'red' : 'blue';
    const width = `${(row.bar * 100).toFixed(2)}%`;
    const value = row.text.trim();
    const explain = () => onExplain(index);
    body.append(el('tr', { class: row.significant ? 'significant' : '', onclick: explain },
      el('th', { scope: 'row', class: 'left' }, row.left),
      el('td', { class: 'bar pos', 'aria-hidden': 'true' },
        row.value > 0 ? el('span', { class: colour, style: `width:${width}` }) : null),
      el('td', { class: 'value' }, el('button', {
        type: 'button', title: 'Объяснить значение',
        'aria-label': `${row.left} — ${row.right}: ${value}${row.significant ? ', значимо' : ''}. Объяснить`,
        onclick: event => { event.stopPropagation(); explain(); },
      }, value)),
      el('td', { class: 'bar neg', 'aria-hidden': 'true' },
        row.value <= 0 ? el('span', { class: colour, style: `width:${width}` }) : null),
      el('td', { class: 'right' }, row.right)));
  });
  return el('table', { class: 'chart' },
    el('colgroup', {}, el('col', { class: 'name' }), el('col'), el('col', { class: 'number' }), el('col'), el('col', { class: 'name' })),
    el('caption', { class: 'visually-hidden' }, 'Оценка по шкалам: левый полюс, значение, правый полюс'),
    el('thead', { class: 'visually-hidden' }, el('tr', {},
      el('th', { scope: 'col' }, 'Левый полюс'), el('td'), el('th', { scope: 'col' }, 'Значение'), el('td'),
      el('th', { scope: 'col' }, 'Правый полюс'))),
    body);
}

function colourStrip(result, isWord) {
  const strip = el('div', { class: 'strip' + (isWord ? '' : ' sixths'), role: 'img' });
  const names = [];
  result.colours.forEach((c, k) => {
    if (!c.shown) return;
    names.push(ColourNames[c.colour] || c.colour);
    const style = isWord ? `width:${(Math.min(c.measure, 1) * 100).toFixed(2)}%` : `grid-column:${k + 1}`;
    strip.append(el('span', { style: `${style};background:${c.colour}` }));
  });
  strip.setAttribute('aria-label', names.length ? `Цвета: ${names.join(', ')}` : 'Цвета: нет');
  return strip;
}

// The terms of one scale of a result, largest first, as a table.
function explanation(result, row, isWord) {
  const data = result.explained;
  const scale = result.chart[row];
  const terms = data.terms.map(t => ({ t, c: t.contributions[row] }))
    .filter(x => x.c !== 0).sort((a, b) => Math.abs(b.c) - Math.abs(a.c));
  const zhuravlevWord = isWord && state.algo === 'zhuravlev';
  const head = zhuravlevWord ? ['Звук', 'Место', 'Вес', 'Вклад'] : isWord ? ['Звук', 'Раз', 'Ожидалось', 'Вклад']
    : ['Звук', 'Раз', 'Ожидалось', 'z', 'Вклад'];
  const number = v => String(Math.round(v * 100) / 100);
  // The largest terms of a long word; the rest are summed up in one line.
  const limit = 200, rest = terms.slice(limit);
  const rows = terms.slice(0, limit).map(({ t, c }) => el('tr', {},
    el('th', { scope: 'row' }, t.sound),
    ...(zhuravlevWord ? [t.position + 1, number(t.weight)] : isWord ? [number(t.count), number(t.expected)]
      : [number(t.count), number(t.expected), number(t.z)]).map(v => el('td', {}, String(v))),
    el('td', { class: c > 0 ? 'plus' : 'minus' }, shown(c, isWord))));
  const sum = data.terms.reduce((s, t) => s + t.contributions[row], 0);
  const clamped = data.clamped.includes(row + 1);
  const zeros = data.terms.length - terms.length;
  return el('div', { class: 'explanation' },
    el('h3', { tabindex: '-1' }, `Почему «${scale.left} — ${scale.right}»: ${scale.text.trim()}`),
    el('p', { class: 'hint' }, zhuravlevWord ? 'Вклад звука: его оценка × вес места ÷ сумма весов.'
      : isWord ? 'Вклад звука: его оценка × (сколько раз − сколько ожидалось) ÷ длина слова.'
        : state.algo === 'zhuravlev' ? 'Вклад звука: его оценка × z, когда |z| > 1.'
          : 'Вклад звука: 100 × оценка × (сколько раз − сколько ожидалось) ÷ число звуков.'),
    terms.length ? el('table', { class: 'terms' },
      el('thead', {}, el('tr', {}, ...head.map(h => el('th', { scope: 'col' }, h)))),
      el('tbody', {}, ...rows)) : el('p', {}, 'Ни один звук ничего не вносит в эту шкалу.'),
    rest.length ? el('p', {}, `Ещё ${rest.length} меньших вкладов, вместе: ${shown(rest.reduce((s, x) => s + x.c, 0), isWord)}`) : null,
    el('p', {}, `Сумма вкладов: ${shown(sum, isWord)}` + (clamped ? ' (ограничена до ±1)' : '') +
      (zeros ? `; звуков без вклада: ${zeros}` : '')));
}

// Everything a word or a text shows, with its exports; `name` names the downloads. A word's
// explanation is made by `explain` when a bar asks for it.
function drawResult(container, result, isWord, name, label, explain) {
  const explainBox = el('div', { class: 'explain', 'aria-live': 'polite' });
  const onExplain = row => {
    result.explained ??= result.explanation ? JSON.parse(result.explanation) : explain().explained;
    explainBox.replaceChildren(explanation(result, row, isWord));
    container.querySelectorAll('.chart tbody tr').forEach((tr, i) => tr.classList.toggle('chosen', i === row));
  };
  const exportAs = format => {
    if (format === 'PNG') return downloadPng(result.svg, name);
    if (format === 'Печать') return window.print();
    const key = format.toLowerCase();
    download(result[key], `${name}.${key}`, Types[key]);
  };
  const report = el('div', { class: 'print-only report-head' },
    el('p', { class: 'title' }, isWord ? 'ФОНОСЕМАНТИЧЕСКАЯ ОЦЕНКА СЛОВА' : 'ФОНОСЕМАНТИЧЕСКАЯ ОЦЕНКА ТЕКСТА'),
    el('p', {}, (isWord ? 'Язык  : ' : 'Язык : ') + LanguageNames[state.lang]),
    el('p', {}, (isWord ? 'Слово : ' : 'Файл : ') + label),
    el('p', {}, state.algo === 'levitsky' ? 'Алгоритм В.В.Левицкого' : 'Алгоритм А.П.Журавлева'));
  container.replaceChildren(
    report,
    chartTable(result, onExplain),
    el('p', { class: 'comment' }, result.comment),
    el('h3', { class: 'strip-title' }, isWord ? 'Звуко-цветовая оценка слова' : 'Звуко-цветовая оценка текста'),
    colourStrip(result, isWord),
    el('div', { class: 'export' }, el('span', { class: 'hint' }, 'Сохранить:'),
      ...exportButtons(['JSON', 'CSV', 'SVG', 'PNG', 'Печать'], exportAs)),
    explainBox);
}

// ---- the word tab ---------------------------------------------------------------------------
function writeAddress() {
  const word = $('word').value.replace(/%/g, '%25');
  history.replaceState(null, '', `#${state.lang}/${state.algo}/${word}`);
}

function readAddress() {
  const parts = location.hash.slice(1).split('/');
  if (parts.length < 3 || !LanguageNames[parts[0]] || !['zhuravlev', 'levitsky'].includes(parts[1])) {
    let shownHash = location.hash;
    try { shownHash = decodeURIComponent(shownHash); } catch (e) { /* shown as it stands */ }
    if (location.hash.length > 1)
      addressProblem = `Ссылка «${shownHash.slice(0, 80)}» не понята: она должна быть вида #ru/zhuravlev/слово ` +
        '(язык ru или uk, алгоритм zhuravlev или levitsky). Показано слово по умолчанию.';
    return false;
  }
  addressProblem = '';
  let word = parts.slice(2).join('/');
  try { word = decodeURIComponent(word); } catch (e) { /* shown as it stands */ }
  setChoice('lang', parts[0]);
  setChoice('algo', parts[1]);
  $('word').value = word;
  return true;
}

let addressProblem = '';
function evaluateWord() {
  const word = $('word').value;
  engineErrors = '';
  const args = ['word', ...common(), '--', word];
  const result = engine.evaluate(args, '');
  if (result.status !== 0) {
    $('word-result').replaceChildren();
    say(engineMessage({ errors: engineErrors }, 'Слово не оценено'));
    return;
  }
  say(addressProblem);
  drawResult($('word-result'), result, true, baseName(word), word, () => engine.explain(args, ''));
  if (state.tab === 'word') writeAddress();
}

// ---- the text tab ---------------------------------------------------------------------------
let textRun = 0;
function textArgs(...command) {
  return [...command, ...common(), '--encoding', $('text-encoding').value, '--', state.textFile ? state.textFile.name : '-'];
}
function textInput() { return state.textFile ? { file: state.textFile } : typedInput($('text').value); }

async function evaluateText() {
  const run = ++textRun;
  const typed = !state.textFile;
  if (typed && !$('text').value.trim()) {
    $('text-result').replaceChildren(el('p', { class: 'hint' }, 'Введите текст, вставьте его или откройте файл.'));
    $('text-source').textContent = '';
    return;
  }
  cancelWork('text');
  say('');
  let result;
  try {
    const big = !typed || $('text').value.length > 1 << 20;
    result = await withProgress('text', big, progress => inWorker('text', 'evaluate', textArgs('text', '--format', 'json'), textInput(), progress));
  } catch (e) {
    if (run === textRun) { clearText(); say(stoppedMessage(e, 'Текст не оценён')); }
    return;
  }
  if (run !== textRun) return;
  if (result.status !== 0) { clearText(); say(engineMessage(result, 'Текст не оценён')); return; }
  const name = typed ? '-' : state.textFile.name;
  const encoding = { 'utf-8': 'UTF-8', 'utf-16': 'UTF-16', cp1251: 'Windows-1251' }[result.encoding];
  $('text-source').textContent = (typed ? 'Введённый текст' : `Файл «${name}», ${sizeText(state.textFile.size)}`) +
    `; кодировка: ${encoding}${$('text-encoding').value === 'auto' ? ' (определена)' : ''}; звуков: ${result.total}`;
  say([typed ? '' : state.textWarning, result.total === 0 ? 'В тексте нет ни одного звука: все значения равны нулю.' : '']
    .filter(Boolean).join(' '));
  drawResult($('text-result'), result, false, baseName(typed ? 'text' : name.replace(/\.[^.]*$/, '')), typed ? 'Untitled' : name);
  refreshDetails();
}

// After a failure nothing of the earlier result stays, as if it were the answer.
function clearText() {
  $('text-result').replaceChildren();
  $('text-source').textContent = '';
  $('text-sounds-table').replaceChildren();
  clearTable($('text-segments-table'));
}

// A command's JSON Lines from the worker, or null after saying what went wrong.
async function runLines(panel, args, input, what) {
  let result;
  try {
    result = await withProgress(panel, !!input.file, progress => inWorker(panel, 'run', args, input, progress));
  } catch (e) {
    const told = stoppedMessage(e, what);
    if (told) say(told);
    return null;
  }
  if (result.status !== 0) { say(engineMessage(result, what)); return null; }
  return Utf8.decode(result.out).split('\n').filter(Boolean).map(line => JSON.parse(line));
}

async function downloadRun(panel, args, input, name, format) {
  const result = await withProgress(panel, !!input.file, progress => inWorker(panel + '-save', 'download', args, input, progress))
    .catch(e => ({ status: 1, stopped: e }));
  if (result.stopped) { const told = stoppedMessage(result.stopped, 'Не сохранено'); if (told) say(told); return; }
  if (result.status !== 0) { say(engineMessage(result, 'Не сохранено')); return; }
  download(result.blob, `${name}.${format}`, Types[format]);
}

// Numbers as the chart and the exports write them: a decimal point, a hyphen for minus.
function numberText(v, digits = 1) { return v.toFixed(digits); }

async function showSounds() {
  const lines = await runLines('text', textArgs('sounds', '--format', 'json'), textInput(), 'Звуки не подсчитаны');
  if (!lines) return;
  const rows = lines[0].rows;
  $('text-sounds-table').replaceChildren(el('table', { class: 'data' },
    el('caption', { class: 'visually-hidden' }, 'Звуки текста'),
    el('thead', {}, el('tr', {}, ...['Звук', 'Раз', 'Доля, %', 'Норма, %', 'z'].map(h => el('th', { scope: 'col' }, h)))),
    el('tbody', {}, ...rows.map(r => el('tr', {}, el('th', { scope: 'row' }, r.label), el('td', {}, String(r.count)),
      el('td', {}, numberText(r.share * 100, 2)), el('td', {}, numberText(r.norm * 100, 2)), el('td', {}, numberText(r.z, 2)))))));
}

// A table of a list's words or a text's segments, made in the panel's worker: {count, words},
// or null after saying what went wrong.
async function makeTable(panel, args, input, extra, what) {
  let result;
  try {
    result = await withProgress(panel, !!input.file, progress => inWorker(panel, 'table', args, input, progress, extra));
  } catch (e) {
    const told = stoppedMessage(e, what);
    if (told) say(told);
    return null;
  }
  if (result.status !== 0) { say(engineMessage(result, what)); return null; }
  return result;
}

// A value as the tables show it (kept so by the worker): a Russian word's in percent, the others
// in tenths.
function tableValue(q, percent) { return percent ? `${q}%` : numberText(q / 10); }

let segmentsRun = 0;
async function showSegments() {
  const by = $('text-by').value, run = ++segmentsRun;
  const box = $('text-segments-table');
  const made = await makeTable('text', textArgs('text', '--by', by, '--format', 'json'), textInput(),
    { kind: 'segments', scales: poleNames().length }, 'Текст не оценён');
  if (run !== segmentsRun) return;
  if (!made || !made.count) clearTable(box);
  if (!made) return;
  if (!made.count) { box.append(el('p', { class: 'hint' }, 'В тексте нет ни одной непустой строки.')); return; }
  virtualTable(box, 'text', {
    caption: by === 'line' ? 'Оценка по строкам' : 'Оценка по абзацам', count: made.count,
    head: [el('th', { scope: 'col' }, '№'), el('th', { scope: 'col' }, 'Строка'),
      ...poleNames().map(s => el('th', { scope: 'col' }, `${s.left} / ${s.right}`))],
    cells: r => [el('th', { scope: 'row' }, String(r.segment)), el('td', {}, String(r.line)),
      ...r.values.map(q => el('td', {}, tableValue(q, false)))],
  });
}

// What a worker's tables showed goes with it.
function tableLost(key) {
  if (key === 'text') { ++segmentsRun; clearTable($('text-segments-table')); }
  if (key === 'list' && state.listRun) { state.listRun = null; drawList(); $('list-summary').textContent = ''; }
}

// ---- tables of many rows --------------------------------------------------------------------
function clearTable(box) {
  box.replaceChildren();
  box.removeAttribute('tabindex');
  box.removeAttribute('role');
  box.removeAttribute('aria-label');
}

// A table of which only the rows in view exist: they come from the worker `key` a window at a
// time as `box` scrolls (rows of a fixed height; past ten million pixels the scroll is scaled).
// `cells(row)` makes a row's cells. Returns {refresh}, to show the rows anew from the top.
function virtualTable(box, key, { caption, head, count, cells }) {
  const MaxHeight = 1e7;
  const spacer = () => el('tr', { class: 'spacer', 'aria-hidden': 'true' }, el('td', { colSpan: head.length }));
  const top = spacer(), bottom = spacer(), body = el('tbody', {}, top, bottom);
  const table = el('table', { class: 'data rows', 'aria-rowcount': String(count + 1) },
    el('caption', { class: 'visually-hidden' }, caption),
    el('thead', {}, el('tr', { 'aria-rowindex': '1' }, ...head)), body);
  // On paper: the rows in view, and where the rest are.
  const printed = el('p', { class: 'print-only' });
  box.replaceChildren(table, printed);
  box.scrollTop = 0;
  // Reached by Tab and scrolled by the arrow keys, named for a screen reader.
  Object.assign(box, { tabIndex: 0 });
  box.setAttribute('role', 'region');
  box.setAttribute('aria-label', `${caption}: ${count} строк`);
  let rowHeight = 0, shown = '', asked = 0, scheduled = false;
  const layout = async () => {
    scheduled = false;
    if (!table.isConnected || !count) return;
    const h = rowHeight || 24, view = box.clientHeight || 448;
    const total = count * h, scale = total > MaxHeight ? MaxHeight / total : 1;
    const scrolled = box.scrollTop, position = scrolled / scale;
    const first = Math.min(count - 1, Math.floor(position / h)), n = Math.min(count - first, Math.ceil(view / h) + 4);
    if (shown === `${first},${n},${h}`) return;
    const ask = ++asked;
    const reply = await inWorker(key, 'rows', [], null, null, { from: first, count: n }).catch(() => ({}));
    if (ask !== asked || !reply.rows || !table.isConnected) return;
    const above = scale === 1 ? first * h : Math.max(0, scrolled - (position - first * h));
    top.firstChild.style.height = `${above}px`;
    bottom.firstChild.style.height = `${Math.max(0, total * scale - above - reply.rows.length * h)}px`;
    body.replaceChildren(top, ...reply.rows.map((r, i) => el('tr', { 'aria-rowindex': String(first + i + 2) }, ...cells(r))), bottom);
    shown = `${first},${n},${h}`;
    printed.textContent = count > reply.rows.length
      ? `Строки ${first + 1}–${first + reply.rows.length} из ${count}; все строки есть в сохранённых файлах (JSON, CSV).` : '';
    const measured = body.children[1].getBoundingClientRect().height;
    if (measured && Math.abs(measured - rowHeight) > 0.5) { rowHeight = measured; schedule(); }
  };
  const schedule = () => { if (!scheduled) { scheduled = true; requestAnimationFrame(layout); } };
  box.onscroll = schedule;
  schedule();
  return { refresh: () => { shown = ''; box.scrollTop = 0; schedule(); } };
}

function refreshDetails() {
  if ($('text-sounds').open) showSounds();
  if ($('text-segments').open) showSegments();
}

async function openTextFile(file) {
  if (!file || !(await readableFile(file))) return;
  state.textFile = file;
  state.textWarning = await controlsWarning(file).catch(() => '');
  $('text').disabled = true;
  $('text').placeholder = ''; // the file is what is counted, not the empty box
  $('text-close').hidden = false;
  evaluateText();
}

// ---- the word list tab ----------------------------------------------------------------------
function listInput() { return state.listFile ? { file: state.listFile } : typedInput($('list').value); }
function listName() { return state.listFile ? state.listFile.name : '-'; }
let listSort = { key: -1, down: false };

// The words of a ranking the page keeps and shows: the best (zelm-cli rank --top); the saved
// files have them all.
const RankShown = 10000;
let listView = null;

function drawList() {
  const run = state.listRun;
  document.querySelector('[data-for=list]').hidden = !run;
  if (!run) { listView = null; clearTable($('list-table')); return; }
  $('list-summary').textContent = `Слов: ${run.words}` +
    (run.ranked ? `; по впечатлению «${run.wanted}», лучшие первыми` : '') +
    (run.count < run.words ? `; показаны лучшие ${run.count}, сохранённые файлы содержат все` : '');
  const percent = state.lang === 'ru';
  const sortButton = (label, index) => el('th', { scope: 'col', 'aria-sort': 'none' },
    el('button', { type: 'button', class: 'sort', title: 'Упорядочить по этой шкале', onclick: () => sortList(index) }, label));
  listView = virtualTable($('list-table'), 'list', {
    caption: 'Оценки слов списка', count: run.count,
    head: [...(run.ranked ? [el('th', { scope: 'col' }, 'Место'), el('th', { scope: 'col' }, 'Балл')] : []),
      el('th', { scope: 'col' }, 'Слово'), ...run.scales.map((s, i) => sortButton(`${s.left} / ${s.right}`, i))],
    cells: r => [...(run.ranked ? [el('td', {}, String(r.rank)), el('td', {}, numberText(r.score * 100))] : []),
      el('th', { scope: 'row' }, r.word), ...r.values.map(q => el('td', {}, tableValue(q, percent)))],
  });
}

// Sorts the list's rows by a scale in the worker (again: the other way); the headers stay, and
// with them the focus.
async function sortList(index) {
  const run = state.listRun;
  listSort = { key: index, down: listSort.key === index ? !listSort.down : true };
  $('list-table').querySelectorAll('th[aria-sort]').forEach((th, i) => {
    const sorted = i === index;
    th.setAttribute('aria-sort', sorted ? (listSort.down ? 'descending' : 'ascending') : 'none');
    th.firstChild.textContent = `${run.scales[i].left} / ${run.scales[i].right}` + (sorted ? (listSort.down ? ' ▼' : ' ▲') : '');
  });
  try {
    await inWorker('list', 'sort', [], null, null, listSort);
  } catch (e) {
    return;
  }
  if (state.listRun === run && listView) listView.refresh();
}

function wantedPoles() {
  return [...document.querySelectorAll('#poles input:checked')].map(box => box.value);
}

async function evaluateList(ranked) {
  if (!state.listFile && !$('list').value.trim()) { say('Список пуст: введите слова по одному в строке или откройте файл.'); return; }
  const wanted = wantedPoles();
  if (ranked && !wanted.length) { say('Отметьте хотя бы один желаемый полюс.'); return; }
  say('');
  cancelWork('list');
  state.listRun = null;
  drawList();
  $('list-summary').textContent = '';
  const args = ranked ? ['rank', ...common(), '--want', wanted.join(','), '--format', 'json', '--', listName()]
    : ['batch', ...common(), '--format', 'json', '--', listName()];
  const scales = poleNames();
  const made = await makeTable('list', args, listInput(), { kind: ranked ? 'rank' : 'list', scales: scales.length, lang: state.lang, limit: RankShown },
    ranked ? 'Список не упорядочен' : 'Список не оценён');
  if (!made) return;
  state.listRun = { ranked, wanted: wanted.join(', '), count: made.count, words: made.words, scales, args };
  listSort = { key: -1, down: false };
  drawList();
}

function exportList(format) {
  const run = state.listRun;
  if (!run) { say('Сначала оцените список.'); return; }
  const args = run.args.slice();
  args[args.indexOf('--format') + 1] = format.toLowerCase();
  downloadRun('list', args, listInput(), run.ranked ? 'rank' : 'list', format.toLowerCase());
}

function poleNames() {
  return engine.evaluate(['word', '--lang', state.lang, '--', ''], '').chart.map(r => ({ left: r.left, right: r.right }));
}

let polesOf = '';
function drawPoles() {
  if (polesOf === state.lang) return;
  polesOf = state.lang;
  const box = $('poles');
  box.replaceChildren(...poleNames().map(s => el('div', { class: 'pole-pair' },
    el('label', {}, el('input', { type: 'checkbox', value: s.left }), ' ', s.left),
    el('label', {}, el('input', { type: 'checkbox', value: s.right }), ' ', s.right))));
}

async function openListFile(file) {
  if (!file || !(await readableFile(file))) return;
  state.listFile = file;
  $('list').disabled = true;
  $('list').placeholder = '';
  $('list-close').hidden = false;
  $('list-source').textContent = `Файл «${file.name}», ${sizeText(file.size)}`;
  evaluateList(false);
}

// ---- choices, tabs and start ----------------------------------------------------------------
function setChoice(name, value) {
  for (const box of document.querySelectorAll(`input[name=${name}]`)) box.checked = box.value === value;
  state[name] = value;
}

function refresh() {
  evaluateWord();
  if (state.tab === 'text' && (state.textFile || $('text').value.trim())) evaluateText();
  if (state.tab === 'list' && state.listRun) evaluateList(state.listRun.ranked);
}

function selectTab(tab, focus) {
  state.tab = tab;
  for (const name of ['word', 'text', 'list']) {
    const button = $('tab-' + name), chosen = name === tab;
    button.setAttribute('aria-selected', String(chosen));
    button.tabIndex = chosen ? 0 : -1;
    $('panel-' + name).hidden = !chosen;
    if (chosen && focus) button.focus();
  }
  if (tab === 'word') writeAddress();
  if (tab === 'list') drawPoles();
}

function dropTarget(panel, open) {
  const zone = $(panel);
  zone.addEventListener('dragover', event => { event.preventDefault(); zone.classList.add('dropping'); });
  zone.addEventListener('dragleave', () => zone.classList.remove('dropping'));
  zone.addEventListener('drop', event => {
    event.preventDefault();
    zone.classList.remove('dropping');
    if (event.dataTransfer.files.length) open(event.dataTransfer.files[0]);
  });
}

function wire() {
  for (const box of document.querySelectorAll('input[name=lang], input[name=algo]')) {
    box.addEventListener('change', () => {
      state[box.name] = box.value;
      if (box.name === 'lang') { if (state.tab === 'list') drawPoles(); state.listRun = null; drawList(); $('list-summary').textContent = ''; }
      refresh();
    });
  }
  const tabs = ['word', 'text', 'list'];
  tabs.forEach((name, i) => {
    const button = $('tab-' + name);
    button.addEventListener('click', () => selectTab(name, false));
    button.addEventListener('keydown', event => {
      const moves = { ArrowRight: i + 1, ArrowLeft: i - 1, Home: 0, End: tabs.length - 1 };
      if (!(event.key in moves)) return;
      event.preventDefault();
      selectTab(tabs[(moves[event.key] + tabs.length) % tabs.length], true);
    });
  });
  $('word').addEventListener('input', () => { addressProblem = ''; evaluateWord(); });
  let typing = 0;
  $('text').addEventListener('input', () => { clearTimeout(typing); typing = setTimeout(evaluateText, 300); });
  $('text-file').addEventListener('change', event => { openTextFile(event.target.files[0]); event.target.value = ''; });
  $('text-encoding').addEventListener('change', evaluateText);
  $('text-close').addEventListener('click', () => {
    cancelWork('text');
    state.textFile = null;
    $('text').disabled = false;
    $('text').placeholder = $('text').dataset.placeholder;
    $('text-close').hidden = true;
    evaluateText();
  });
  for (const id of ['text-sounds', 'text-segments'])
    $(id).addEventListener('toggle', () => { if ($(id).open) id === 'text-sounds' ? showSounds() : showSegments(); });
  $('text-by').addEventListener('change', showSegments);
  document.querySelector('[data-for=sounds]').append(...exportButtons(['JSON', 'CSV'], format =>
    downloadRun('text', textArgs('sounds', '--format', format.toLowerCase()), textInput(), 'sounds', format.toLowerCase()),
  'звуков текста'));
  document.querySelector('[data-for=segments]').append(...exportButtons(['JSON', 'CSV'], format =>
    downloadRun('text', textArgs('text', '--by', $('text-by').value, '--format', format.toLowerCase()), textInput(),
      $('text-by').value === 'line' ? 'lines' : 'paragraphs', format.toLowerCase()), 'оценки по строкам или абзацам'));
  for (const id of ['text', 'list']) $(id).dataset.placeholder = $(id).placeholder;
  for (const panel of ['text', 'list'])
    $(panel + '-progress').querySelector('.cancel').addEventListener('click', () => { cancelWork(panel, true); });
  dropTarget('panel-text', openTextFile);
  dropTarget('panel-list', openListFile);
  $('list-file').addEventListener('change', event => { openListFile(event.target.files[0]); event.target.value = ''; });
  $('list-run').addEventListener('click', () => evaluateList(false));
  $('rank-run').addEventListener('click', () => evaluateList(true));
  $('list-close').addEventListener('click', () => {
    cancelWork('list');
    state.listFile = null;
    $('list').disabled = false;
    $('list').placeholder = $('list').dataset.placeholder;
    $('list-close').hidden = true;
    $('list-source').textContent = '';
  });
  document.querySelector('[data-for=list]').append(...exportButtons(['JSON', 'CSV'], exportList));
  window.addEventListener('hashchange', () => { if (readAddress()) { selectTab('word', false); refresh(); } });
}

window.zelmLog = line => { engineErrors += line + '\n'; };
window.zelmStarting.then(module => {
  engine = module;
  window.zelmEngine = module; // zelm-cli's commands for scripts: run(args, stdinPath), evaluate(args, stdinPath)
  const fromAddress = readAddress();
  wire();
  evaluateWord();
  if (fromAddress) selectTab('word', false);
  document.body.dataset.ready = 'true';
  performance.mark('zelm-first-result');
}, error => say(`Не удалось запустить вычислитель: ${error.message || error}`));
})();
