// SPDX-License-Identifier: GPL-3.0-or-later
// The program runs here, off the page's thread: tavex-web.js (the C++
// sources compiled with emscripten). This script links it to the page: it
// measures text with the page's font, posts what the program tells the page,
// and hands the page's input to the program, also while a pass runs (from a
// queue in shared memory, read when the pass gives the event loop a turn).
'use strict';

importScripts('tavex-web.js', 'font.js');

let tavex = null;  // the module, once compiled
let queue = null;  // the input queue shared with the page, when there is one

// The link the C++ side calls (web/main.cpp).
self.tavexWorker = {
  textWidth(font, text) { return tavexFont.textWidth(JSON.parse(font), text); },
  fontMetrics(font) { return tavexFont.metrics(JSON.parse(font)); },
  post(message) { postMessage({message}); },
  postPicture(message, heap, pixels, width, left, top, right, bottom) {
    const w = Math.max(0, right - left), h = Math.max(0, bottom - top);
    const data = new Uint8ClampedArray(w * h * 4);
    for (let y = 0; y < h; ++y) {
      const from = pixels + ((top + y) * width + left) * 4;
      data.set(heap.subarray(from, from + w * 4), y * w * 4);
    }
    postMessage({message, pixels: data.buffer}, [data.buffer]);
  },
  eventTurn() { readQueue(); },
  runSoon(token) { setTimeout(() => tavex._tavex_run_token(token), 0); },
};

// The page's input, one object at a time, into the program.
function input(event) {
  const kinds = {resize: 1, click: 2, move: 3, steps: 4, chooseRow: 5, editRow: 6,
                 acceptRows: 7, fitGraph: 8, convergence: 9, cancel: 10, savePicture: 11,
                 restoreRows: 12, openLessonFile: 13, openLessonLink: 14, openExample: 15,
                 saveLesson: 16, shareLesson: 17, chooseRule: 18, key: 19};
  const kind = kinds[event.kind];
  if (!kind || !tavex) return;
  let text = 0;
  if (typeof event.text === 'string') {
    // 8-bit text, as the desktop's Latin-1: other characters become "?".
    // A lesson's bytes come as the characters of their codes.
    const bytes = Array.from(event.text, (c) => (c.codePointAt(0) < 256 ? c.codePointAt(0) : 63));
    text = tavex._malloc(bytes.length + 1);
    tavex.HEAPU8.set(bytes, text);
    tavex.HEAPU8[text + bytes.length] = 0;
  }
  try {
    tavex._tavex_input(kind, event.a | 0, event.b | 0, +event.c || 0, text);
  } finally {
    if (text) tavex._free(text);
  }
}

// Reads every input the page has put into the shared queue: a ring of bytes
// after two counters (bytes written, bytes read); each input is its length
// (4 bytes) and its JSON text.
function readQueue() {
  if (!queue) return;
  for (;;) {
    const written = Atomics.load(queue.counters, 0);
    let read = Atomics.load(queue.counters, 1);
    if (read === written) return;
    const take = (n) => {
      const out = new Uint8Array(n);
      for (let i = 0; i < n; ++i) out[i] = queue.bytes[(read + i) % queue.bytes.length];
      read += n;
      return out;
    };
    const length = new DataView(take(4).buffer).getUint32(0, true);
    const text = new TextDecoder().decode(take(length));
    Atomics.store(queue.counters, 1, read);
    input(JSON.parse(text));
  }
}

// Input that came before the program was ready.
const early = [];

onmessage = async (e) => {
  const data = e.data;
  if (data.start) {
    if (data.queue) {
      queue = {counters: new Int32Array(data.queue, 0, 2), bytes: new Uint8Array(data.queue, 8)};
    }
    [, tavex] = await Promise.all([tavexFont.load(data.fontUrl), createTavex()]);
    tavex._tavex_start(data.width, data.height, data.dpi, data.quiet ? 1 : 0);
    postMessage({ready: true});
    early.splice(0).forEach(input);
    readQueue();
  } else if (data.wake) {
    readQueue();
  } else if (data.input) {
    if (tavex) input(data.input);
    else early.push(data.input);
  }
};
