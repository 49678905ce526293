// SPDX-License-Identifier: GPL-3.0-or-later
// The page against the native program: the readouts against tavex --sums
// for the cases of the sums tests, the probe against tavex --probe, and the
// picture's lines and rectangles against tavex --render, pixel for pixel,
// with the texts left out.
import {after, before, test} from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {launch, nativeCanRender, nativeTavex, openSite, pass, readouts, runNative,
        setFunctionData} from './harness.mjs';

let chromium;
before(async () => { chromium = await launch(); });
after(async () => { await chromium.close(); });

const defaults = {y: 'exp(a*sin(b*x))', a: '1', b: '1', c: '1', d: '1', e: '1', x1: '1', x2: '4', n: '12'};
// Evaluations that fail leave y as it was before: cases whose readouts
// depend on what ran before them (every evaluation failing) are left out,
// since the page has drawn before and the command line has not. NaN from a
// domain error keeps its C library's sign: acos(2) prints "nan" natively
// (glibc) and "-nan" in the browser (musl), so no case asks for one.
const sumsCases = [
  {}, {n: '2'}, {n: '3'}, {y: 'x*x', x1: '0', x2: '1', n: '4'}, {y: 'x*x', x1: '1', x2: '0', n: '4'},
  {y: '2.5', n: '5'}, {x1: '2', x2: '2', n: '4'}, {y: '1/x', x1: '-1', x2: '1', n: '2'},
  {y: 'x < 2.5 ? x : sqrt(-1)', x1: '0', x2: '3', n: '3'},
  {n: '1'}, {n: '1000'},
  {y: 'a*x**3 - b*x', a: '0.5', b: '2', x1: '-2', x2: '3', n: '7'}, {x2: 'pi'},
];

test('readouts as tavex --sums prints them, case by case', {skip: !nativeTavex}, async () => {
  const site = await openSite(chromium.browser);
  for (const c of sumsCases) {
    const data = {...defaults, ...c};
    await setFunctionData(site.page, data);
    const args = ['--sums'];
    for (const [name, value] of Object.entries(data)) args.push('--fdata', `${name}=${value}`);
    assert.equal(await readouts(site.page), runNative(args), JSON.stringify(c));
  }
  assert.deepEqual(site.errors, []);
  await site.close();
});

test('the probe reads as tavex --probe at the x it shows', {skip: !nativeTavex}, async () => {
  const site = await openSite(chromium.browser);
  const {page} = site;
  const box = await page.locator('#picture').boundingBox();
  for (const [fx, fy] of [[0.2, 0.5], [0.33, 0.3], [0.55, 0.7]]) {
    const probed = await pass(page, () => page.mouse.move(box.x + box.width * fx, box.y + box.height * fy));
    const x = probed.texts.find((t) => t.startsWith('x = ')).slice(4);
    const native = runNative(['--probe', x]).split('\n');
    assert.ok(probed.texts.includes(native[1]), `${native[1]} in ${probed.texts.join('|')}`);
    assert.ok(probed.texts.includes(native[2].slice(0, native[2].indexOf('   '))));
  }
  await site.close();
});

// The page's picture with its texts left out, and the native one of that
// size, compared pixel by pixel outside the text cells.
async function compareWithRender(page, native) {
  return page.evaluate(async (png) => {
    const bitmap = await createImageBitmap(await (await fetch(`data:image/png;base64,${png}`)).blob());
    const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
    const context = canvas.getContext('2d');
    context.drawImage(bitmap, 0, 0);
    const a = context.getImageData(0, 0, bitmap.width, bitmap.height).data;
    const b = picture.getContext('2d').getImageData(0, 0, picture.width, picture.height).data;
    const cells = tavexPage.texts.map((t) => t.cell);
    const inText = (x, y) => cells.some(([l, t, r, bt]) => x >= l && x < r && y >= t && y < bt);
    let differing = 0;
    let first = null;
    for (let i = 0; i < a.length; i += 4) {
      if (a[i] === b[i] && a[i + 1] === b[i + 1] && a[i + 2] === b[i + 2]) continue;
      const x = (i / 4) % bitmap.width, y = Math.floor(i / 4 / bitmap.width);
      if (inText(x, y)) continue;
      differing += 1;
      first = first || [x, y, [...a.subarray(i, i + 3)], [...b.subarray(i, i + 3)]];
    }
    return {size: [bitmap.width, bitmap.height], same: [picture.width, picture.height], differing, first};
  }, native.toString('base64'));
}

test('lines and rectangles land on the pixels of tavex --render', {skip: !nativeCanRender()}, async (t) => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'tavex-render-'));
  // Each rule's picture too: rectangles, trapezoids and parabolas filled.
  const rules = {left: 'Left', right: 'Right', midpoint: 'Midpoint', trapezoid: 'Trapezoid',
                 simpson: 'Simpson'};
  for (const [viewport, data, rule] of [[{width: 1200, height: 800}, {}],
                                        [{width: 700, height: 900}, {y: 'sin(3*x)', n: '40'}],
                                        [{width: 390, height: 844}, {n: '300'}],
                                        [{width: 1200, height: 800}, {n: '7'}, 'left'],
                                        [{width: 700, height: 900}, {y: 'sin(3*x)', n: '9'}, 'right'],
                                        [{width: 1200, height: 800}, {n: '5'}, 'midpoint'],
                                        [{width: 390, height: 844}, {y: 'x*x - 2', n: '6'}, 'trapezoid'],
                                        [{width: 1200, height: 800}, {y: 'sin(3*x)', n: '6'}, 'simpson']]) {
    const site = await openSite(chromium.browser, viewport);
    const {page} = site;
    await page.evaluate(() => { tavexPage.drawTexts = false; });
    await setFunctionData(page, {...defaults, ...data});
    if (rule) await pass(page, () => page.selectOption('#rule', {label: rules[rule]}));
    const [w, h] = await page.evaluate(() => [picture.width, picture.height]);
    const file = path.join(dir, 'native.png');
    const args = ['--render', file, '--size', `${w}x${h}`, ...(rule ? ['--rule', rule] : [])];
    for (const [name, value] of Object.entries({...defaults, ...data})) args.push('--fdata', `${name}=${value}`);
    runNative(args);
    const result = await compareWithRender(page, fs.readFileSync(file));
    assert.deepEqual(result.size, result.same);
    assert.equal(result.differing, 0, `${rule}: ${JSON.stringify(result.first)}`);
    await site.close();
  }
  fs.rmSync(dir, {recursive: true, force: true});
});
