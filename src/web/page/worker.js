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

onmessage = async event => {
  await ready;
  const { id, op, args, input } = event.data;
  job = id;
  errors = '';
  let result;
  try {
    const stdin = prepare(input);
    if (op === 'download') result = download(args, stdin);
    else result = op === 'evaluate' ? engine.evaluate(args, stdin) : engine.run(args, stdin);
    if (input && !input.file) engine.FS.unlink('/typed');
  } catch (e) {
    result = { status: 1 };
    errors += String(e && e.message || e) + '\n';
  }
  cache = null;
  result.errors = errors;
  postMessage({ job: id, result }, result.out ? [result.out.buffer] : []);
};
