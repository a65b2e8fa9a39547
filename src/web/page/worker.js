// The worker that counts texts and word lists: it runs the engine's commands on a typed text
// (written into the module's memory) or on a file read piece by piece, never whole.
'use strict';
let engine = null, errors = '', job = 0;
const ready = ZelmEngine({
  print: () => {},
  printErr: line => { errors += line + '\n'; },
}).then(m => { engine = m; });

// The browser's file reading costs most per piece, so the file is read 16 MiB at a time and the
// engine's smaller reads are served from that; each read says how far the file has come.
const Ahead = 16 << 20;
let lastReport = 0;
function readAhead(file) {
  const reader = new FileReaderSync();
  let from = 0, bytes = new Uint8Array(0);
  const place = { name: file.name, size: file.size, lastModifiedDate: new Date(file.lastModified) };
  place.slice = (start, end) => ({ start, end: Math.min(end, file.size), get size() { return this.end - this.start; } });
  const read = piece => {
    if (piece.start < from || piece.end > from + bytes.length) {
      from = piece.start;
      bytes = new Uint8Array(reader.readAsArrayBuffer(file.slice(from, from + Math.max(Ahead, piece.size))));
      const now = Date.now();
      if (now - lastReport > 100) {
        lastReport = now;
        postMessage({ job, progress: Math.min(1, (from + bytes.length) / Math.max(1, file.size)) });
      }
    }
    return bytes.subarray(piece.start - from, piece.end - from); // copied once, into the engine
  };
  return { place, reader: { readAsArrayBuffer: read } };
}

function prepare(input) {
  const FS = engine.FS;
  try { FS.unmount('/in'); } catch (e) { /* nothing mounted yet */ }
  try { FS.mkdir('/in'); } catch (e) { /* already there */ }
  FS.chdir('/');
  if (input.file) {
    const { place, reader } = readAhead(input.file);
    FS.filesystems.WORKERFS.reader = reader;
    FS.mount(FS.filesystems.WORKERFS, { files: [place] }, '/in');
    FS.chdir('/in');
    return '';
  }
  FS.writeFile('/typed', input.bytes || new Uint8Array(0));
  return '/typed';
}

onmessage = async event => {
  await ready;
  const { id, op, args, input } = event.data;
  job = id;
  errors = '';
  let result;
  try {
    const stdin = prepare(input);
    result = op === 'evaluate' ? engine.evaluate(args, stdin) : engine.run(args, stdin);
    if (input && !input.file) engine.FS.unlink('/typed');
  } catch (e) {
    result = { status: 1 };
    errors += String(e && e.message || e) + '\n';
  }
  result.errors = errors;
  postMessage({ job: id, result }, result.out ? [result.out.buffer] : []);
};
