// The worker that counts texts and word lists: it runs the engine's commands on a typed text
// (written into the module's memory) or on a file read piece by piece, never whole.
'use strict';
let engine = null, errors = '', job = 0;
const ready = ZelmEngine({
  print: () => {},
  printErr: line => { errors += line + '\n'; },
}).then(m => { engine = m; });

// The browser's file reading costs most per call, so the mounted file is read 16 MiB at a time and
// the engine's reads are copied straight out of that into its memory; each new piece read says how
// far the file has come.
const Ahead = 16 << 20;
let cache = null, lastReport = 0;
function readThrough(stream, buffer, offset, length, position) {
  const file = stream.node.contents;
  if (position >= file.size) return 0;
  const end = Math.min(position + length, file.size);
  if (!cache || cache.file !== file || position < cache.from || end > cache.from + cache.bytes.length) {
    const piece = file.slice(position, position + Math.max(Ahead, end - position));
    try {
      cache = { file, from: position, bytes: new Uint8Array(new FileReaderSync().readAsArrayBuffer(piece)) };
    } catch (e) {
      throw new engine.FS.ErrnoError(29); // EIO: the engine names the file and the failure as zelm-cli does
    }
    const now = Date.now();
    if (now - lastReport > 100) {
      lastReport = now;
      postMessage({ job, progress: Math.min(1, (position + cache.bytes.length) / Math.max(1, file.size)) });
    }
  }
  buffer.set(cache.bytes.subarray(position - cache.from, end - cache.from), offset);
  return end - position;
}

function prepare(input) {
  const FS = engine.FS;
  try { FS.unmount('/in'); } catch (e) { /* nothing mounted yet */ }
  try { FS.mkdir('/in'); } catch (e) { /* already there */ }
  FS.chdir('/');
  if (input.file) {
    FS.filesystems.WORKERFS.stream_ops.read = readThrough;
    FS.mount(FS.filesystems.WORKERFS, { files: [input.file] }, '/in');
    FS.chdir('/in');
    return '';
  }
  FS.writeFile('/typed', input.bytes || new Uint8Array(0));
  return '/typed';
}

// A command's output as a Blob, gathered piece by piece: the browser keeps the parts (on disk when
// they are large), so a download of any size never has to fit in the page's memory.
function download(args, stdin) {
  const blobs = [];
  let pieces = [], size = 0;
  const keep = () => { if (pieces.length) blobs.push(new Blob(pieces)); pieces = []; size = 0; };
  const result = engine.runInPieces(args, stdin, piece => {
    pieces.push(piece);
    size += piece.length;
    if (size >= 8 << 20) keep();
  });
  keep();
  result.blob = new Blob(blobs);
  return result;
}

// ---- tables: a list's words or a text's segments, kept compactly ---------------------------
// Values are kept as the page shows them: a Russian word's in percent, the others in tenths. They
// are stored in chunks of 65536 rows that widen, Int8 to Int16 to Float64, when a value needs it;
// a list word is kept as where it stands in the list (its offset and length there), its text read
// back when it is shown. About 36 bytes a word of a Russian list.
const ChunkBits = 16, ChunkRows = 1 << ChunkBits;
const Widths = [[Int8Array, 127], [Int16Array, 32767], [Float64Array, Infinity]];
let table = null;

function shownValue(percent) {
  if (percent) return v => Math.round(v * 100);
  return v => { const x = v * 10; return x >= 0 ? Math.round(x) : -Math.round(-x); };
}

class Table {
  constructor(kind, scales, percent, source, bigSource) {
    Object.assign(this, { kind, scales, percent, source, count: 0, values: [], widths: [], first: [], second: [], order: null });
    this.Where = bigSource ? Float64Array : Uint32Array;
    this.texts = null; // a UTF-16 list's words, as strings
  }
  add(block, quantize, wordScale) {
    const { scales } = this;
    for (let i = 0; i < block.count; ++i) {
      const c = this.count >>> ChunkBits, j = this.count & (ChunkRows - 1);
      if (j === 0) {
        this.values.push(new Int8Array(ChunkRows * scales));
        this.widths.push(0);
        this.first.push(new this.Where(ChunkRows));
        this.second.push(new Int32Array(ChunkRows));
      }
      let chunk = this.values[c];
      for (let k = 0; k < scales; ++k) {
        const q = quantize(block.values[i * scales + k] * wordScale);
        while (Math.abs(q) > Widths[this.widths[c]][1]) {
          const wider = new Widths[++this.widths[c]][0](ChunkRows * scales);
          wider.set(chunk);
          this.values[c] = chunk = wider;
        }
        chunk[j * scales + k] = q;
      }
      this.first[c][j] = block.first[i];
      this.second[c][j] = block.second[i];
      ++this.count;
    }
  }
  value(row, k) { return this.values[row >>> ChunkBits][(row & (ChunkRows - 1)) * this.scales + k]; }
  at(array, row) { return array[row >>> ChunkBits][row & (ChunkRows - 1)]; }

  // The rows in the order of scale `key` (list order for -1), ties in list order.
  sort(key, down) {
    this.order = null;
    if (key < 0) return;
    const n = this.count, order = new Uint32Array(n);
    if (this.widths.every(w => w < 2)) { // counting sort over the 65536 possible values
      const counts = new Int32Array(65537), bucket = new Int32Array(n);
      for (let i = 0; i < n; ++i) { const b = down ? 32767 - this.value(i, key) : this.value(i, key) + 32768; bucket[i] = b; ++counts[b + 1]; }
      for (let b = 1; b < counts.length; ++b) counts[b] += counts[b - 1];
      for (let i = 0; i < n; ++i) order[counts[bucket[i]]++] = i;
    } else {
      const keys = new Float64Array(n);
      for (let i = 0; i < n; ++i) { order[i] = i; keys[i] = this.value(i, key); }
      order.sort((a, b) => (down ? keys[b] - keys[a] : keys[a] - keys[b]) || a - b);
    }
    this.order = order;
  }

  // The text of a list word: read back from the list (at most 600 bytes of it), or kept.
  word(row) {
    if (this.texts) return this.texts[row];
    const offset = this.at(this.first, row), size = this.at(this.second, row), length = Math.abs(size);
    const end = offset + Math.min(length, 600);
    const bytes = this.source.file ? new Uint8Array(new FileReaderSync().readAsArrayBuffer(this.source.file.slice(offset, end)))
      : this.source.bytes.subarray(offset, end);
    let text = size < 0 ? Utf8.decode(bytes).replace(/\uFFFD/g, '?') : Cp1251.decode(bytes);
    if (length > 600 || text.length > 200) text = text.slice(0, 200) + '…';
    return text;
  }

  rows(from, count) {
    const rows = [];
    for (let r = from; r < Math.min(this.count, from + count); ++r) {
      const row = this.order ? this.order[r] : r;
      const values = [];
      for (let k = 0; k < this.scales; ++k) values.push(this.value(row, k));
      rows.push(this.kind === 'segments' ? { segment: row + 1, line: this.at(this.first, row), values }
        : { word: this.word(row), values, rank: this.ranks ? row + 1 : 0, score: this.ranks ? this.ranks[row] : 0 });
    }
    return rows;
  }
}
const Utf8 = new TextDecoder('utf-8'), Cp1251 = new TextDecoder('windows-1251');

// The best `limit` words of a ranking, best first (ties in list order), as zelm-cli rank orders them.
class Best {
  constructor(limit) { Object.assign(this, { limit, kept: [], floor: -Infinity, seen: 0 }); }
  offer(score, make) {
    const index = this.seen++;
    if (score < this.floor) return;
    this.kept.push({ score, index, row: make() });
    if (this.kept.length >= 2 * this.limit) this.prune();
  }
  prune() {
    this.kept.sort((a, b) => b.score - a.score || a.index - b.index);
    this.kept.length = Math.min(this.kept.length, this.limit);
    if (this.kept.length === this.limit) this.floor = this.kept[this.limit - 1].score;
  }
}

// The table of a list (`batch`), a ranking (`rank`, the best `limit` kept) or a text's segments
// (`text --by`) being made: `onBlock` takes the engine's rows, `finish` keeps the table when the
// engine's status is 0 and gives {status, count, words} (words: how many were ranked).
function tableMaker(input, extra) {
  const { kind, scales, lang } = extra;
  const source = input.file ? { file: input.file } : { bytes: input.bytes };
  const size = input.file ? input.file.size : input.bytes.length;
  const utf16 = !!input.file && startsUtf16(input.file);
  table = null;
  const made = new Table(kind, scales, kind !== 'segments' && lang === 'ru', source, size >= 2 ** 32 - 1);
  const quantize = shownValue(made.percent), wordScale = kind === 'segments' || made.percent ? 1 : 100;
  if (utf16) made.texts = [];
  const best = kind === 'rank' ? new Best(extra.limit) : null;
  const onBlock = block => {
    let words = null;
    if (utf16 && kind !== 'segments') {
      words = []; let at = 0;
      for (let i = 0; i < block.count; ++i) { const n = -block.second[i]; words.push(Utf8.decode(block.words.subarray(at, at + n))); at += n; }
    }
    if (!best) {
      made.add(block, quantize, wordScale);
      if (words) made.texts.push(...words);
      return;
    }
    for (let i = 0; i < block.count; ++i)
      best.offer(block.scores[i], () => ({ values: block.values.slice(i * scales, (i + 1) * scales), first: block.first[i], second: block.second[i], word: words && words[i] }));
  };
  const finish = status => {
    if (best) {
      best.prune();
      made.ranks = new Float64Array(best.kept.map(k => k.score));
      for (const { row } of best.kept) {
        made.add({ count: 1, values: row.values, first: [row.first], second: [row.second] }, quantize, wordScale);
        if (utf16) made.texts.push(row.word);
      }
    }
    if (status === 0) table = made;
    return { status, count: made.count, words: best ? best.seen : made.count };
  };
  return { utf16, onBlock, finish };
}

function buildTable(args, stdin, input, extra) {
  const maker = tableMaker(input, extra);
  return maker.finish(engine.rows(args, stdin, maker.utf16 && extra.kind !== 'segments', maker.onBlock).status);
}

// A text file's segments from a stream of it (see SegmentStream).
async function buildSegmentsStreamed(args, file, extra) {
  const maker = tableMaker({ file }, extra);
  const segments = new engine.SegmentStream(args, maker.onBlock);
  try {
    return maker.finish((await streamInto(file, piece => segments.feed(piece))) ? segments.finish().status : 1);
  } finally {
    segments.delete();
  }
}

function tableOp(op, args, stdin, input, extra) {
  if (op === 'table') return buildTable(args, stdin, input, extra);
  if (!table) return { status: 1 };
  if (op === 'sort') { table.sort(extra.key, extra.down); return { status: 0 }; }
  return { status: 0, rows: table.rows(extra.from, extra.count), count: table.count };
}

// Hands the pieces of a stream of `file` to `feed`, saying how far it has come; false after a
// read error, said as the file system says it.
async function streamInto(file, feed) {
  const reader = file.stream().getReader();
  for (let done = 0; ;) {
    let piece;
    try {
      piece = await reader.read();
    } catch (e) {
      errors += `zelm-cli: cannot read '${file.name}': I/O error\n`;
      return false;
    }
    if (piece.done) return true;
    feed(piece.value);
    done += piece.value.length;
    const now = Date.now();
    if (now - lastReport > 100) {
      lastReport = now;
      postMessage({ job, progress: Math.min(1, done / Math.max(1, file.size)) });
    }
  }
}

// A text file counted from a stream of it, piece by piece (see TextStream): what `evaluate` gives.
async function evaluateStreamed(args, file) {
  const counter = new engine.TextStream(args);
  try {
    return (await streamInto(file, piece => counter.feed(piece))) ? counter.finish() : { status: 1 };
  } finally {
    counter.delete();
  }
}

// Whether a file starts with a UTF-16 byte order mark (a file that cannot be read does not: its
// reading says so).
function startsUtf16(file) {
  let head;
  try {
    head = new Uint8Array(new FileReaderSync().readAsArrayBuffer(file.slice(0, 2)));
  } catch (e) {
    return false;
  }
  return (head[0] === 0xFF && head[1] === 0xFE) || (head[0] === 0xFE && head[1] === 0xFF);
}

// One message at a time: a streamed count waits for its file's pieces, and nothing else may run
// on the engine in between.
let queue = Promise.resolve();
onmessage = event => { queue = queue.then(() => handle(event)); };

async function handle(event) {
  await ready;
  const { id, op, args, input, extra } = event.data;
  job = id;
  errors = '';
  let result;
  try {
    // Texts are read from a stream of their file, but for UTF-16, read through the file system.
    const streamed = (op === 'evaluate' || (op === 'table' && extra.kind === 'segments')) && input.file && !startsUtf16(input.file);
    const stdin = op === 'sort' || op === 'rows' || streamed ? '' : prepare(input);
    if (streamed) result = op === 'evaluate' ? await evaluateStreamed(args, input.file) : await buildSegmentsStreamed(args, input.file, extra);
    else if (op === 'table' || op === 'sort' || op === 'rows') result = tableOp(op, args, stdin, input, extra);
    else if (op === 'download') result = download(args, stdin);
    else result = op === 'evaluate' ? engine.evaluate(args, stdin) : engine.run(args, stdin);
    if (input && !input.file && stdin) engine.FS.unlink('/typed');
  } catch (e) {
    result = { status: 1 };
    errors += String(e && e.message || e) + '\n';
  }
  cache = null;
  result.errors = errors;
  postMessage({ job: id, result }, result.out ? [result.out.buffer] : []);
}
