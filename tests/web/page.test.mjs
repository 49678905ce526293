// SPDX-License-Identifier: GPL-3.0-or-later
// The page in Chromium: loading, the data boxes, a click, the probe, the n
// keys, the tools and a long pass cancelled; screenshots at a desktop's and
// a phone's width.
import {after, before, test} from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import {launch, openSite, pass, readouts, setFunctionData, shotDir} from './harness.mjs';

let chromium;
before(async () => { chromium = await launch(); });
after(async () => { await chromium.close(); });

const defaultReadouts = 'a    = 1\nb    = 1\nc    = 1\nd    = 1\ne    = 1\nx1   = 1\nx2   = 4\n' +
  'n    = 12\nSumU  = 5.4857108520\nSumL  = 4.8272055958\nSumT  = 5.1564582239\n' +
  'SumM  = 5.1686823794\nSumS  = 5.1646833897\nExact = 5.1646028130\n';

test('loads: the version, the rows, the first picture and its readouts within a second', async () => {
  const site = await openSite(chromium.browser);
  const {page} = site;
  const loaded = await page.evaluate(() => ({
    first: tavexPage.firstReadoutsAt, version: tavexPage.version, shown: $('version').textContent,
    isolated: self.crossOriginIsolated, size: [picture.width, picture.height],
  }));
  assert.ok(loaded.first < 1000, `first readouts after ${loaded.first} ms`);
  assert.equal(loaded.version, process.env.TAVEX_VERSION || loaded.version);
  assert.equal(loaded.shown, loaded.version);
  assert.ok(loaded.isolated, 'served cross-origin isolated');
  assert.equal(await readouts(page), defaultReadouts);
  assert.equal(await page.textContent('#fdata-rows li:first-child'), 'y    = exp(a*sin(b*x))');
  assert.equal(await page.locator('#gdata-rows li').count(), 13);
  assert.equal(await page.textContent('#status'), '');
  assert.deepEqual(site.errors, []);
  await site.close();
});

test('a row chosen, edited and accepted with Enter changes the record and draws', async () => {
  const site = await openSite(chromium.browser);
  const {page} = site;
  await page.click('#fdata-rows li:nth-child(9)');
  await page.waitForFunction(() => $('fdata-edit').value === 'n    = 12');
  await page.fill('#fdata-edit', 'n    = 6');
  assert.equal(await page.textContent('#fdata-rows li:nth-child(9)'), 'n    = 6');
  await pass(page, () => page.press('#fdata-edit', 'Enter'));
  assert.match(await readouts(page), /n    = 6\nSumU  = 5\.7902879828\n/);
  // The "u" button and the keyboard do the same for gdata: a title.
  await page.focus('#gdata-rows');
  await page.keyboard.press('End');
  await page.waitForFunction(() => $('gdata-edit').value === 'title     = ');
  await page.fill('#gdata-edit', 'title     = Riemann');
  const drawn = await pass(page, () => page.click('#gdata-accept'));
  assert.ok(drawn.texts.includes('Riemann'), drawn.texts.join('|'));
  assert.deepEqual(site.errors, []);
  await site.close();
});

test('a click draws, the pointer probes, + and - double and halve n', async () => {
  const site = await openSite(chromium.browser);
  const {page} = site;
  const box = await page.locator('#picture').boundingBox();
  const probed = await pass(page, () => page.mouse.move(box.x + box.width * 0.3, box.y + box.height * 0.5));
  assert.equal(probed.why, 'probe');
  const drawn = await pass(page, () => page.mouse.down());
  await page.mouse.up();
  assert.equal(drawn.why, 'draw');
  assert.ok(probed.texts.some((t) => t.startsWith('y = f(x) = ')), probed.texts.join('|'));
  await page.focus('#picture');
  await pass(page, () => page.keyboard.press('+'));
  assert.equal(await page.textContent('#status'), 'n = 24');
  assert.equal(await page.textContent('#fdata-rows li:nth-child(9)'), 'n    = 24');
  await pass(page, () => page.keyboard.press('PageDown'));
  await pass(page, () => page.click('#fewer-steps'));
  assert.equal(await page.textContent('#status'), 'n = 6');
  assert.match(await readouts(page), /n    = 6\n/);
  assert.deepEqual(site.errors, []);
  await site.close();
});

test('the rule from its list and keys; the probe\'s keys: arrows, Home, End, Z, X, I', async () => {
  const site = await openSite(chromium.browser);
  const {page} = site;
  const options = await page.$$eval('#rule option', (items) => items.map((o) => o.textContent));
  assert.deepEqual(options, ['Upper and Lower', 'Left', 'Right', 'Midpoint', 'Trapezoid', 'Simpson']);
  await pass(page, () => page.selectOption('#rule', {label: 'Trapezoid'}));
  await page.focus('#picture');
  await pass(page, () => page.keyboard.press('M'));
  assert.equal(await page.inputValue('#rule'), '3');
  await pass(page, () => page.keyboard.press('Enter'));  // draws: the probe's keys work from now on
  const probeX = async (key) => {
    const probed = await pass(page, () => page.keyboard.press(key));
    assert.equal(probed.why, 'probe');
    return Number(probed.texts.find((t) => t.startsWith('x = ')).slice(4));
  };
  assert.equal(await probeX('End'), 4);
  assert.ok((await probeX('ArrowLeft')) < 4);
  assert.equal(await probeX('Home'), 1);
  assert.ok((await probeX('Shift+ArrowRight')) > 1);
  const maximum = await probeX('x');
  assert.ok(Math.abs(maximum - Math.PI / 2) < 1e-4, `${maximum}: ${await page.textContent('#status')}`);
  assert.match(await page.textContent('#status'), /^maximum at x = 1\.570796/);
  await page.keyboard.press('z');
  await page.waitForFunction(() => /^no zero to the right/.test($('status').textContent));
  await page.keyboard.press('Shift+I');
  await page.waitForFunction(() => /inflection/.test($('status').textContent));
  assert.deepEqual(site.errors, []);
  await site.close();
});

test('Fit Graph, Help, Convergence and Save picture', async () => {
  const site = await openSite(chromium.browser);
  const {page} = site;
  await pass(page, () => page.click('#fit-graph'));
  assert.match(await page.textContent('#status'), /^Fitted x 0\.5 to 4\.5, y /);
  await page.click('#help');
  await page.waitForSelector('#help-writing table');
  assert.match(await page.textContent('#help-text'), /fdata\t Sets the function/);
  assert.match(await page.textContent('#help-writing'), /Operators, loosest first/);
  await page.click('#help-dialog .close');
  await page.click('#convergence');
  await page.waitForFunction(() => /rows, n = 12 to/.test($('convergence-summary').textContent), null,
                             {timeout: 60000});
  assert.equal(await page.textContent('#convergence-table tbody tr:first-child td:first-child'), '12');
  assert.match(await page.textContent('#convergence-reference'), /^Reference = 5\.1646028130\d* \u00b1 /);
  // The log-log plot, drawn by the program: each rule's colour and the slopes.
  const plot = await page.innerHTML('#convergence-plot');
  for (const colour of ['#00ffff', '#ff00ff', '#0000ff']) assert.ok(plot.includes(colour), colour);
  assert.match(plot, />slope 2</);
  fs.mkdirSync(shotDir, {recursive: true});
  await page.screenshot({path: path.join(shotDir, 'convergence.png')});
  const csv = page.waitForEvent('download');
  await page.click('#convergence-save');
  assert.equal((await csv).suggestedFilename(), 'convergence.csv');
  await page.click('#convergence-dialog .close');
  await page.click('#save-picture');
  const png = page.waitForEvent('download');
  await page.click('#save-png');
  const file = await (await png).path();
  assert.equal(fs.readFileSync(file).subarray(1, 4).toString(), 'PNG');
  await page.click('#save-picture');
  const svg = page.waitForEvent('download');
  await page.click('#save-svg');
  const drawing = fs.readFileSync(await (await svg).path(), 'latin1');
  const [w, h] = await page.evaluate(() => [picture.width, picture.height]);
  assert.ok(drawing.includes(`width="${w}" height="${h}"`));
  assert.ok(drawing.includes('>SumU  = 5.4857108520</text>'));
  assert.match(await page.textContent('#status'), /^Saved tavex-plot\.svg \(\d+ by \d+\)/);
  assert.deepEqual(site.errors, []);
  await site.close();
});

test('a long pass shows its progress after 0.3 s and stops within 0.1 s of Cancel', async () => {
  const site = await openSite(chromium.browser);
  const {page} = site;
  await setFunctionData(page, {n: '2000000'});
  await page.focus('#picture');
  const started = await page.evaluate(() => performance.now());
  await page.keyboard.press('+');
  await page.waitForSelector('#progress:not([hidden])', {timeout: 10000});
  const shown = await page.evaluate(() => tavexPage.progressShownAt);
  assert.ok(shown - started >= 300, `progress after ${shown - started} ms`);
  assert.match(await page.textContent('#progress-text'), /^\d+% of 20000803 evaluations of f$/);
  const ended = await pass(page, () => page.evaluate(() => $('cancel').click()));
  const cancelledAt = await page.evaluate(() => tavexPage.cancelledAt);
  assert.ok(ended.at - cancelledAt < 100, `ended ${ended.at - cancelledAt} ms after Cancel`);
  assert.match(await page.textContent('#status'), /^n = 4000000; Cancelled at /);
  assert.ok(await page.locator('#progress').isHidden());
  assert.deepEqual(site.errors, []);
  await site.close();
});

test('offline: the service worker serves the site, isolated, without the network', async () => {
  const site = await openSite(chromium.browser);
  const {page} = site;
  const manifest = await page.evaluate(async () => (await fetch('manifest.webmanifest')).json());
  assert.equal(manifest.display, 'standalone');
  await page.evaluate(() => navigator.serviceWorker.ready);
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null);
  await page.context().setOffline(true);
  try {
    await page.reload();
    await page.waitForFunction(() => window.tavexPage && tavexPage.ready, null, {timeout: 20000});
    assert.equal(await readouts(page), defaultReadouts);
    assert.ok(await page.evaluate(() => self.crossOriginIsolated));
  } finally {
    await page.context().setOffline(false);
  }
  assert.deepEqual(site.errors, []);
  await site.close();
});

test('screenshots at a desktop\'s and a phone\'s width', async () => {
  fs.mkdirSync(shotDir, {recursive: true});
  for (const [name, viewport] of [['desktop', {width: 1200, height: 800}],
                                  ['phone', {width: 390, height: 844}]]) {
    const site = await openSite(chromium.browser, viewport);
    const {page} = site;
    const box = await page.locator('#picture').boundingBox();
    await pass(page, () => page.mouse.move(box.x + box.width * 0.35, box.y + box.height * 0.4));
    const file = path.join(shotDir, `tavex-web-${name}.png`);
    await page.screenshot({path: file, fullPage: true});
    assert.ok(fs.statSync(file).size > 10000);
    // The picture and the boxes fit the width: nothing to scroll sideways.
    const width = await page.evaluate(() => document.documentElement.scrollWidth);
    assert.ok(width <= viewport.width, `page ${width} px wide`);
    assert.deepEqual(site.errors, []);
    await site.close();
  }
});
