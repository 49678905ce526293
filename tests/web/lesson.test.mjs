// SPDX-License-Identifier: GPL-3.0-or-later
// Lessons on the page: an example from the list, a shared link opened in a
// new page, an uploaded file and a downloaded one, against the native
// program's readouts and lesson files; hostile links and files.
import {after, before, test} from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {launch, nativeTavex, openSite, pass, readouts, runNative, shotDir, siteUrl} from './harness.mjs';

let chromium;
before(async () => { chromium = await launch(); });
after(async () => { await chromium.close(); });

const lessons = path.resolve(import.meta.dirname, '../../dist/lessons');
const sine = path.join(lessons, 'sine.tavex');
const defaultSums = 'SumU  = 5.4857108520\n';
const status = (page) => page.textContent('#status');
const rows = (page, box) => page.$$eval(`#${box}-rows li`, (items) => items.map((li) => li.textContent));

test('an example from the list, shared as a link, opens in a new page as tavex --lesson', async () => {
  const {browser} = chromium;
  await browser.grantPermissions(['clipboard-read', 'clipboard-write'], {origin: new URL(siteUrl).origin});
  const site = await openSite(browser);
  const {page} = site;
  const title = 'sin on [0, pi]: x2 = 3.14159265358979 (4*atan(1) reads 4)';
  await pass(page, () => page.selectOption('#examples', {label: title}));
  assert.equal(await page.inputValue('#examples'), '');
  assert.equal((await rows(page, 'fdata'))[0], 'y    = sin(x)');
  assert.ok((await rows(page, 'gdata')).includes(`title     = ${title}`));
  assert.equal(await page.title(), 'Tavex \u2014 sine.tavex');
  const sums = await readouts(page);
  const drawn = await status(page);
  if (nativeTavex) assert.equal(sums, runNative(['--lesson', sine, '--sums']));
  else assert.match(sums, /SumS  = 2\.0002691699\n/);

  await page.click('#share-link');
  await page.waitForFunction(() => tavexPage.sharedLink);
  const link = await page.evaluate(() => tavexPage.sharedLink);
  assert.equal(await page.evaluate(() => navigator.clipboard.readText()), link);
  assert.ok(link.startsWith(`${siteUrl}#lesson=%23%20tavex%20lesson%201%0A`), link);
  const shared = await browser.newPage();
  await shared.setViewportSize({width: 390, height: 800});
  await shared.goto(link);
  await shared.waitForFunction(() => tavexPage.ready, null, {timeout: 20000});
  assert.equal(await readouts(shared), sums);
  assert.equal(await status(shared), drawn);
  assert.equal(await status(page), 'Link copied: it opens the lesson as the data boxes hold it');
  assert.deepEqual(await rows(shared, 'gdata'), await rows(page, 'gdata'));
  fs.mkdirSync(shotDir, {recursive: true});
  await shared.screenshot({path: path.join(shotDir, 'tavex-web-lesson-link-390.png'), fullPage: true});
  await page.screenshot({path: path.join(shotDir, 'tavex-web-lesson-1200.png'), fullPage: true});
  await shared.close();
  assert.deepEqual(site.errors, []);
  await site.close();
});

test('links that do not read say why in the status line and draw the defaults', async () => {
  const bad = [
    ['A'.repeat(1 << 20), 'link: larger than 64 KB (a lesson has at most 65536 bytes)'],
    ['%23%20tavex%20lesson%201%0A%zz', 'link: broken percent-encoding at character 28'],
    ['%23%20tavex%20lesson%201%0A%00', 'link:2:1: a NUL byte'],
    ['%23%20tavex%20lesson%202', 'link:1:'],
    ['%23%20tavex%20lesson%201%0A[fdata]%0An%20%3D%20%C3', 'link:3:5: '],
    ['', 'link:'],
  ];
  const page = await chromium.browser.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  for (const [fragment, message] of bad) {
    await page.goto(`${siteUrl}#lesson=${fragment}`);
    await page.reload();  // a new hash alone does not load the page anew
    await page.waitForFunction(() => tavexPage.ready, null, {timeout: 20000});
    assert.ok((await status(page)).startsWith(message), `${fragment.slice(0, 40)}: ${await status(page)}`);
    assert.ok((await readouts(page)).includes(defaultSums));
  }
  // A link pasted into the open page: nothing changes but the status line.
  await pass(page, () => page.evaluate(() => { location.hash = '#lesson=%zz'; }));
  assert.ok((await status(page)).startsWith('link: broken percent-encoding at character 1'));
  await pass(page, () => page.click('#more-steps'));
  assert.match(await readouts(page), /n    = 24\n/);
  assert.deepEqual(errors, []);
  await page.close();
});

test('lesson files: opened from a file, saved as tavex --save-lesson writes them', async () => {
  const site = await openSite(chromium.browser);
  const {page} = site;
  const file = path.join(lessons, 'x-squared.tavex');
  await pass(page, () => page.setInputFiles('#lesson-file', file));
  assert.equal(await page.title(), 'Tavex \u2014 x-squared.tavex');
  if (nativeTavex) assert.equal(await readouts(page), runNative(['--lesson', file, '--sums']));
  const opened = await readouts(page);

  // Files that do not read change nothing: an image, 100 MB (not read whole).
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'tavex-lessons-'));
  const big = path.join(dir, 'big.tavex');
  fs.writeFileSync(big, '# tavex lesson 1\n');
  fs.truncateSync(big, 100 * 1024 * 1024);
  const png = {name: 'photo.png', mimeType: 'image/png',
               buffer: Buffer.from('89504e470d0a1a0a0000000d49484452', 'hex')};
  for (const [input, message] of [[png, "photo.png:1:1: the first line must be '# tavex lesson 1'"],
                                  [big, 'big.tavex: larger than 64 KB']]) {
    await page.evaluate(() => { $('status').textContent = ''; });
    await page.setInputFiles('#lesson-file', input);
    await page.waitForFunction(() => $('status').textContent !== '');
    assert.ok((await status(page)).startsWith(message), await status(page));
    assert.equal(await readouts(page), opened);
  }

  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#save-lesson')]);
  assert.equal(download.suggestedFilename(), 'x-squared.tavex');
  const saved = fs.readFileSync(await download.path(), 'utf8');
  if (nativeTavex) {
    runNative(['--save-lesson', path.join(dir, 'native.tavex'), '--lesson', file]);
    assert.equal(saved, fs.readFileSync(path.join(dir, 'native.tavex'), 'utf8'));
  } else {
    assert.match(saved, /^# tavex lesson 1\n\[fdata\]\ny = x\*x\n/);
  }
  assert.equal(await status(page), 'Saved x-squared.tavex');
  fs.rmSync(dir, {recursive: true, force: true});
  assert.deepEqual(site.errors, []);
  await site.close();
});
