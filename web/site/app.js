// SPDX-License-Identifier: GPL-3.0-or-later
// The page: its elements and events. The program (web/, compiled) runs in a
// worker; this script hands it the page's input and shows what it tells:
// the picture's pixels and texts, the data boxes' rows, the status line, the
// readouts, progress, the convergence table.
'use strict';

const $ = (id) => document.getElementById(id);
const picture = $('picture');
const pictureContext = picture.getContext('2d');
const fontUrl = 'fonts/LiberationSerif-Regular.ttf';

// What tests and the curious can read: whether the first picture is there,
// and each pass's time in the worker.
// drawTexts false leaves the texts out of the picture (their cells stay).
const tavexPage = {ready: false, passes: [], version: '', drawTexts: true, texts: []};
window.tavexPage = tavexPage;

// The worker and the input queue it reads while a pass runs (shared memory,
// when the page is cross-origin isolated; otherwise input waits for the pass).
const queueBytes = 1 << 20;
const shared = self.crossOriginIsolated && typeof SharedArrayBuffer === 'function'
  ? new SharedArrayBuffer(8 + queueBytes) : null;
let worker = null;
const encoder = new TextEncoder();

const unsent = [];  // input before the worker started (without shared memory)

function send(kind, fields = {}) {
  const event = {kind, ...fields};
  if (!shared) {
    if (worker) worker.postMessage({input: event});
    else unsent.push(event);
    return;
  }
  const counters = new Int32Array(shared, 0, 2);
  const bytes = new Uint8Array(shared, 8);
  const text = encoder.encode(JSON.stringify(event));
  const written = Atomics.load(counters, 0);
  if (written - Atomics.load(counters, 1) + text.length + 4 > queueBytes) return;  // full: dropped
  const length = new Uint8Array(new Uint32Array([text.length]).buffer);
  [...length, ...text].forEach((b, i) => { bytes[(written + i) % queueBytes] = b; });
  Atomics.store(counters, 0, written + text.length + 4);
  if (worker) worker.postMessage({wake: true});
}

// The size of the picture's box in device pixels, and the dots per inch the
// program scales its font for.
function deviceSize() {
  const box = $('picture-box').getBoundingClientRect();
  const ratio = window.devicePixelRatio || 1;
  return {width: Math.max(1, Math.round(box.width * ratio)),
          height: Math.max(1, Math.round(box.height * ratio)), dpi: 96 * ratio};
}

// ---- What the worker tells.

function showPicture(message, pixels) {
  if (picture.width !== message.width || picture.height !== message.height) {
    picture.width = message.width;
    picture.height = message.height;
  }
  const [left, top, right, bottom] = message.changed;
  if (right > left && bottom > top && pixels) {
    pictureContext.putImageData(new ImageData(new Uint8ClampedArray(pixels), right - left, bottom - top),
                                left, top);
  }
  if (message.why !== 'sofar' && message.why !== 'probe') tavexPage.texts = [];
  tavexPage.texts.push(...message.texts);
  if (tavexPage.drawTexts) for (const run of message.texts) drawText(pictureContext, run);
  if (message.why === 'draw' || message.why === 'probe') {
    tavexPage.passes.push({why: message.why, ms: message.ms, at: performance.now(),
                           texts: message.texts.map((t) => t.text)});
    // The first draw pass has ended, its readouts shown before its picture.
    tavexPage.ready = true;
  }
}

function drawText(context, run) {
  const [l, t, r, b] = run.clip;
  context.save();
  context.beginPath();
  context.rect(l, t, r - l, b - t);
  context.clip();
  context.font = tavexFont.css(run.font);
  context.fillStyle = run.colour;
  context.textBaseline = 'alphabetic';
  context.fillText(run.text, run.cell[0], run.baseline);
  context.restore();
}

const choosing = [false, false];

function showRows(message) {
  const box = message.box;
  const list = $(box === 0 ? 'fdata-rows' : 'gdata-rows');
  const edit = $(box === 0 ? 'fdata-edit' : 'gdata-edit');
  list.replaceChildren(...message.rows.map((row, i) => {
    const item = document.createElement('li');
    item.textContent = row;
    item.id = `${list.id}-${i}`;
    item.setAttribute('role', 'option');
    item.setAttribute('aria-selected', String(i === message.index));
    return item;
  }));
  list.setAttribute('aria-activedescendant', `${list.id}-${message.index}`);
  list.dataset.index = message.index;
  list.dataset.count = message.rows.length;
  if (choosing[box] || document.activeElement !== edit) edit.value = message.edit;
  choosing[box] = false;
}

function showReadouts(message) {
  $('readouts').textContent = message.lines.map((line) => line + '\n').join('');
  tavexPage.readoutsText = message.text;
  if (!tavexPage.firstReadoutsAt) tavexPage.firstReadoutsAt = performance.now();
}

function showProgress(message) {
  const progress = $('progress');
  if (progress.hidden && !message.done) tavexPage.progressShownAt = performance.now();
  progress.hidden = !!message.done;
  if (message.done) return;
  $('progress-bar').value = message.fraction;
  $('progress-text').textContent = message.text;
}

// The limits the program reads lessons within: what lies beyond is not
// handed in (the program says it is too long).
let lessonLimits = null;
// The keys the program takes on the picture (its rules and the probe's).
let pictureKeys = new Set();

function showHello(message) {
  lessonLimits = {bytes: message.maxLessonBytes, linkChars: message.maxLinkChars};
  const examples = $('examples');
  examples.replaceChildren(examples.options[0], ...message.examples.map((title, i) => {
    const option = document.createElement('option');
    option.value = String(i);
    option.textContent = title;
    return option;
  }));
  $('rule').replaceChildren(...message.rules.map((name, i) => new Option(name, String(i))));
  $('rule').value = String(message.rule);
  pictureKeys = new Set(message.keys);
  if (linkAtStart) openLink();
  linkAtStart = false;
  tavexPage.version = message.version;
  $('version').textContent = message.version;
  $('help-text').textContent = message.help;
  $('help-title').textContent = message.helpCaption;
}

const handlers = {
  hello: showHello,
  rows: showRows,
  picture: showPicture,
  status: (m) => { $('status').textContent = m.text; },
  readouts: showReadouts,
  progress: showProgress,
  convergence: (m) => tavexConvergence.show(m),
  svg: (m) => download(new Blob([m.text], {type: 'image/svg+xml'}), m.name),
  lesson: (m) => download(new Blob([m.text], {type: m.mime}), m.name),
  lessonLink: copyLink,
  rule: (m) => { $('rule').value = String(m.rule); },
  lessonName: (m) => { document.title = m.name ? `Tavex \u2014 ${m.name}` : 'Tavex'; },
};

// The worker with the program, started with the picture's size.
function startWorker(quiet = false) {
  worker = new Worker('worker.js');
  worker.onmessage = (e) => {
    if (e.data.ready) return;
    const message = JSON.parse(e.data.message);
    const handle = handlers[message.type];
    // The picture's texts need the page's font: messages wait for it, in order.
    if (handle) pageFont.then(() => handle(message, e.data.pixels));
  };
  worker.onerror = (e) => { $('status').textContent = `The program stopped: ${e.message}`; };
  worker.postMessage({start: true, queue: shared, fontUrl, quiet, ...deviceSize()});
  unsent.splice(0).forEach((event) => worker.postMessage({input: event}));
}

// Without shared memory a running pass hears nothing until it ends: Cancel
// then stops its worker and starts another, given the data boxes' rows
// (the new program's variables start afresh).
function restartWorker() {
  const rows = [0, 1].map((box) =>
    [...document.querySelectorAll(`#${box ? 'g' : 'f'}data-rows li`)].map((li) => li.textContent));
  worker.terminate();
  $('progress').hidden = true;
  startWorker(true);
  rows.forEach((texts, box) => {
    texts.forEach((text, row) => {
      send('chooseRow', {a: box, b: row});
      send('editRow', {a: box, text});
    });
    send('restoreRows', {a: box});
    send('chooseRow', {a: box, b: 0});
  });
  send('chooseRule', {a: +$('rule').value});
  $('status').textContent = 'Cancelled: the program started again with the rows as they are ' +
    '(its variables start afresh); click into the picture to draw';
  tavexPage.restartedAt = performance.now();
}

// ---- The page's input.

function pointerAt(e) {
  const r = picture.getBoundingClientRect();
  return {a: Math.floor((e.clientX - r.left) * picture.width / r.width),
          b: Math.floor((e.clientY - r.top) * picture.height / r.height)};
}

let pendingMove = null;
picture.addEventListener('pointerdown', (e) => {
  if (e.button !== 0) return;
  picture.focus();
  keyProbe = pointerAt(e);
  send('click', keyProbe);
});
picture.addEventListener('pointermove', (e) => {
  // One probe a frame: moves in between only move the pointer.
  if (pendingMove === null) requestAnimationFrame(() => { send('move', pendingMove); pendingMove = null; });
  pendingMove = pointerAt(e);
  keyProbe = pendingMove;
});

// The keyboard's pointer over the picture: Enter draws, the arrows probe.
let keyProbe = null;
picture.addEventListener('keydown', (e) => {
  if (!keyProbe) keyProbe = {a: picture.width >> 1, b: picture.height >> 1};
  const named = e.key.length === 1 ? e.key.toLowerCase() : e.key;
  if (pictureKeys.has(named) && !e.ctrlKey && !e.metaKey && !e.altKey) {
    send('key', {text: e.key, b: e.shiftKey ? 1 : 0});
    e.preventDefault();
    return;
  }
  const step = e.shiftKey ? 10 : 1;
  const moves = {ArrowLeft: [-step, 0], ArrowRight: [step, 0], ArrowUp: [0, -step], ArrowDown: [0, step]};
  if (e.key === 'Enter' || e.key === ' ') {
    send('click', keyProbe);
  } else if (moves[e.key]) {
    keyProbe = {a: keyProbe.a + moves[e.key][0], b: keyProbe.b + moves[e.key][1]};
    send('move', keyProbe);
  } else {
    return;
  }
  e.preventDefault();
});

// n at a keystroke: "+" (also "=" and PageUp) doubles it, "-" (also
// PageDown) halves it, wherever the focus is but in a text field.
document.addEventListener('keydown', (e) => {
  if (e.key === 'Escape' && !$('progress').hidden) {
    cancelPass();
    return;
  }
  if (e.target.closest('input, textarea, select, dialog') || e.ctrlKey || e.metaKey || e.altKey) return;
  const direction = {'+': 1, '=': 1, PageUp: 1, '-': -1, '\u2212': -1, PageDown: -1}[e.key];
  if (!direction) return;
  send('steps', {a: direction});
  e.preventDefault();
});
$('more-steps').onclick = () => send('steps', {a: 1});
$('fewer-steps').onclick = () => send('steps', {a: -1});
$('fit-graph').onclick = () => send('fitGraph');
function cancelPass() {
  tavexPage.cancelledAt = performance.now();
  if (shared) send('cancel');
  else restartWorker();
}
$('cancel').onclick = cancelPass;

function setUpBox(box, listId, editId, buttonId) {
  const list = $(listId);
  const edit = $(editId);
  const choose = (row) => {
    choosing[box] = true;
    send('chooseRow', {a: box, b: row});
  };
  list.addEventListener('click', (e) => {
    const item = e.target.closest('li');
    if (item) choose([...list.children].indexOf(item));
  });
  list.addEventListener('dblclick', () => edit.focus());
  list.addEventListener('keydown', (e) => {
    const index = +list.dataset.index || 0;
    const count = +list.dataset.count || 0;
    const next = {ArrowDown: index + 1, ArrowUp: index - 1, Home: 0, End: count - 1}[e.key];
    if (next !== undefined && next >= 0 && next < count) {
      choose(next);
      e.preventDefault();
    } else if (e.key === 'Enter') {
      edit.focus();
      e.preventDefault();
    }
  });
  edit.addEventListener('input', () => send('editRow', {a: box, text: edit.value}));
  edit.addEventListener('keydown', (e) => {
    if (e.key !== 'Enter') return;
    send('acceptRows', {a: box});
    e.preventDefault();
  });
  $(buttonId).onclick = () => send('acceptRows', {a: box});
}
setUpBox(0, 'fdata-rows', 'fdata-edit', 'fdata-accept');
setUpBox(1, 'gdata-rows', 'gdata-edit', 'gdata-accept');

// A resized page keeps showing the last picture until the next pass.
new ResizeObserver(() => {
  const size = deviceSize();
  send('resize', {a: size.width, b: size.height, c: size.dpi});
}).observe($('picture-box'));

// ---- Files, the clipboard and the dialogs.

function download(blob, name) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(blob);
  link.download = name;
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 10000);
}

$('save-picture').onclick = () => $('save-dialog').showModal();
$('save-png').onclick = () => {
  picture.toBlob((blob) => download(blob, 'tavex-plot.png'), 'image/png');
  $('save-dialog').close();
};
$('save-svg').onclick = () => {
  send('savePicture');
  $('save-dialog').close();
};
$('copy-readouts').onclick = async () => {
  await navigator.clipboard.writeText(tavexPage.readoutsText || '');
};

$('help').onclick = async () => {
  const section = $('help-writing');
  if (!section.dataset.loaded) {
    const text = await (await fetch('writing-fx.md')).text();
    section.replaceChildren(...tavexMarkdown(text));
    section.dataset.loaded = '1';
  }
  $('help-dialog').showModal();
};
for (const close of document.querySelectorAll('dialog .close')) {
  close.onclick = () => close.closest('dialog').close();
}

// ---- Lessons: files, links and the examples; the program reads them.

// Bytes as the characters of their codes, which the worker hands in as they are.
function byteString(bytes) {
  let text = '';
  for (let i = 0; i < bytes.length; i += 8192) {
    text += String.fromCharCode(...bytes.subarray(i, i + 8192));
  }
  return text;
}

// The fragment after "#lesson=", in ASCII: a browser that gives it decoded
// has its other characters percent-encoded again (as UTF-8).
function lessonFragment() {
  if (!location.hash.startsWith('#lesson=')) return null;
  const percent = (run) => [...encoder.encode(run)]
    .map((b) => `%${b.toString(16).toUpperCase().padStart(2, '0')}`).join('');
  return location.hash.slice('#lesson='.length).replace(/[^\x00-\x7f]+/g, percent);
}

// The link's lesson: its fragment, as far as the program reads it.
function openLink() {
  const fragment = lessonFragment();
  if (fragment === null || !lessonLimits) return;
  const text = fragment.slice(0, lessonLimits.linkChars);
  send('openLessonLink', {b: text.length, text});
}
window.addEventListener('hashchange', openLink);

$('open-lesson').onclick = () => $('lesson-file').click();
$('lesson-file').onchange = async () => {
  const input = $('lesson-file');
  const file = input.files[0];
  input.value = '';
  if (!file || !lessonLimits) return;
  // Only the part the program reads: a huge file is not read whole.
  const bytes = new Uint8Array(await file.slice(0, lessonLimits.bytes + 1).arrayBuffer());
  const text = file.name + byteString(bytes);
  send('openLessonFile', {a: [...file.name].length, b: [...file.name].length + bytes.length, text});
};
$('save-lesson').onclick = () => send('saveLesson');
$('share-link').onclick = () => send('shareLesson');
$('rule').onchange = () => send('chooseRule', {a: +$('rule').value});
$('examples').onchange = () => {
  const index = +$('examples').value;
  $('examples').selectedIndex = 0;
  send('openExample', {a: index});
};

async function copyLink(message) {
  const link = `${location.href.split('#')[0]}#lesson=${encodeURIComponent(message.text)}`;
  tavexPage.sharedLink = link;
  try {
    await navigator.clipboard.writeText(link);
    $('status').textContent = 'Link copied: it opens the lesson as the data boxes hold it';
  } catch (e) {
    $('status').textContent = `The link could not be copied (${e.message})`;
  }
}

// ---- Start: the page's font, then the program with the picture's size.

const pageFont = tavexFont.load(fontUrl);
// A link's lesson draws first: the program starts without a picture.
let linkAtStart = lessonFragment() !== null;
startWorker(linkAtStart);

if ('serviceWorker' in navigator) {
  navigator.serviceWorker.register('sw.js').then(() => {
    // Served without isolation (a plain static host), the page is isolated
    // once the service worker serves it: load it through the worker once.
    if (!self.crossOriginIsolated && !sessionStorage.getItem('tavex-isolating')) {
      navigator.serviceWorker.ready.then(() => {
        sessionStorage.setItem('tavex-isolating', '1');
        if (navigator.serviceWorker.controller) location.reload();
        else navigator.serviceWorker.addEventListener('controllerchange', () => location.reload());
      });
    }
  });
}
