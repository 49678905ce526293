// SPDX-License-Identifier: GPL-3.0-or-later
// Figures of the site in Chromium, each with its native peer measured in the
// same run: the first readouts after loading, a default draw pass and a
// probe pass (their time in the worker), a pass with n = 10^6 against
// tavex --sums, a cancel, and the site's size. Prints them; asserts nothing.
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import {execFileSync} from 'node:child_process';
import {launch, nativeTavex, openSite, pass, setFunctionData} from './harness.mjs';

const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const range = (xs) => `median ${median(xs).toFixed(2)} (${Math.min(...xs).toFixed(2)} to ${Math.max(...xs).toFixed(2)})`;

function nativeSeconds(args, runs = 3) {
  const times = [];
  for (let i = 0; i < runs; ++i) {
    const start = process.hrtime.bigint();
    try { execFileSync(nativeTavex, args, {stdio: 'ignore'}); } catch { /* status 1 is fine */ }
    times.push(Number(process.hrtime.bigint() - start) / 1e6);
  }
  return times;
}

function siteSize(dir) {
  let raw = 0, gzip = 0;
  const walk = (d) => {
    for (const entry of fs.readdirSync(d, {withFileTypes: true})) {
      const file = path.join(d, entry.name);
      if (entry.isDirectory()) { walk(file); continue; }
      const data = fs.readFileSync(file);
      raw += data.length;
      gzip += zlib.gzipSync(data, {level: 9}).length;
    }
  };
  walk(dir);
  return {raw, gzip};
}

const chromium = await launch();
const loads = [];
for (let i = 0; i < 3; ++i) {
  const site = await openSite(chromium.browser);
  loads.push(await site.page.evaluate(() => tavexPage.firstReadoutsAt));
  await site.close();
}
console.log(`first readouts after loading: ${range(loads)} ms`);

const site = await openSite(chromium.browser);
const {page} = site;
await page.focus('#picture');
const draws = [];
for (let i = 0; i < 25; ++i) draws.push((await pass(page, () => page.keyboard.press('Enter'))).ms);
console.log(`default draw pass in the worker: ${range(draws.slice(5))} ms`);
const probes = [];
for (let i = 0; i < 35; ++i) probes.push((await pass(page, () => page.keyboard.press('ArrowRight'))).ms);
console.log(`probe pass in the worker: ${range(probes.slice(5))} ms`);
const big = [];
for (let i = 0; i < 3; ++i) {
  await setFunctionData(page, {n: String(1000000 + i)});
  big.push(await page.evaluate(() => tavexPage.passes.at(-1).ms));
}
console.log(`draw pass, n = 10^6: ${range(big)} ms`);
if (nativeTavex) console.log(`native tavex --sums, n = 10^6 (whole process): ${range(nativeSeconds(['--sums', '--fdata', 'n=1000000']))} ms`);
// The convergence table with its default rows, and up to 2^20, each until
// its summary line says it has ended.
await setFunctionData(page, {n: '12'});
for (const limit of ['0', '1048576']) {
  const times = [];
  let summary = '';
  for (let i = 0; i < 3; ++i) {
    const start = await page.evaluate((limit) => {
      $('convergence-limit').value = limit;
      $('convergence-summary').textContent = '';
      return performance.now();
    }, limit);
    await page.click('#convergence');
    await page.waitForFunction(() => / rows, n = \d+ to \d+: /.test($('convergence-summary').textContent) &&
                               !$('convergence-save').disabled, null, {timeout: 60000});
    times.push(await page.evaluate((t) => performance.now() - t, start));
    summary = await page.textContent('#convergence-summary');
    await page.click('#convergence-dialog .close');
  }
  console.log(`convergence table, rows up to n = ${limit === '0' ? 'default' : limit}: ${range(times)} ms; "${summary}"`);
}
if (nativeTavex) console.log(`native tavex --convergence (whole process): ${range(nativeSeconds(['--convergence']))} ms`);
await site.close();
await chromium.close();

const bench = process.env.TAVEX_BENCH_PLOT;
if (bench && fs.existsSync(bench)) {
  const out = execFileSync(bench, ['--benchmark_min_time=0.3'], {encoding: 'utf8', stdio: ['ignore', 'pipe', 'ignore']});
  console.log('native draw and probe passes (bench_plot, 800x600 image):');
  console.log(out.split('\n').filter((l) => l.startsWith('BM_')).join('\n'));
}
const size = siteSize(process.env.TAVEX_SITE || '../../build-web/site');
console.log(`site: ${(size.raw / 1024).toFixed(0)} KiB, ${(size.gzip / 1024).toFixed(0)} KiB gzipped (file by file)`);
