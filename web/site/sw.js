// SPDX-License-Identifier: GPL-3.0-or-later
// Keeps the site for offline use: every file of this version of the site is
// cached when the service worker installs and served from the cache, with
// the headers that isolate the page (so that it may share memory with its
// worker, through which a running pass hears of the page's input).
'use strict';

const version = '@SITE_VERSION@';
const files = [@SITE_FILES@];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(version).then((cache) => cache.addAll(files)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((n) => n !== version).map((n) => caches.delete(n))))
    .then(() => self.clients.claim()));
});

function isolated(response) {
  if (!response || response.status === 0 || response.type === 'opaque') return response;
  const headers = new Headers(response.headers);
  headers.set('Cross-Origin-Opener-Policy', 'same-origin');
  headers.set('Cross-Origin-Embedder-Policy', 'require-corp');
  headers.set('Cross-Origin-Resource-Policy', 'same-origin');
  return new Response(response.body, {status: response.status, statusText: response.statusText, headers});
}

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(caches.open(version)
    .then((cache) => cache.match(request, {ignoreSearch: true}))
    .then((cached) => cached || fetch(request))
    .then(isolated));
});
