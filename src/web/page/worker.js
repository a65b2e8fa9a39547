// The worker that counts texts and word lists: it runs the engine's commands on a typed text
// (written into the module's memory) or on a file read piece by piece, never whole.
'use strict';
let engine = null, errors = '', job = 0;
const ready = ZelmEngine({
  print: () => {},
  printErr: line => { errors += line + '\n'; },
}).then(m => { engine = m; });

// Reports how far the current file has been read, as the engine asks for its pieces.
let fileSize = 0, lastReport = 0;
const slice = Blob.prototype.slice;
Blob.prototype.slice = function (start, end, type) {
  if (fileSize > 0 && typeof end === 'number') {
    const now = Date.now();
    if (now - lastReport > 100) {
      lastReport = now;
      postMessage({ job, progress: Math.min(1, end / fileSize) });
    }
  }
  return slice.call(this, start, end, type);
};

function prepare(input) {
  const FS = engine.FS;
  try { FS.unmount('/in'); } catch (e) { /* nothing mounted yet */ }
  try { FS.mkdir('/in'); } catch (e) { /* already there */ }
  FS.chdir('/');
  fileSize = 0;
  if (input.file) {
    FS.mount(FS.filesystems.WORKERFS, { files: [input.file] }, '/in');
    FS.chdir('/in');
    fileSize = input.file.size;
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
