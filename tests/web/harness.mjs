// SPDX-License-Identifier: GPL-3.0-or-later
// What the browser tests share: Debian's Chromium driven by playwright-core,
// a fresh profile each launch, the site's address (tools/test-web serves
// it), and the native tavex to compare with.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {execFileSync} from 'node:child_process';
import {chromium} from 'playwright-core';

export const siteUrl = process.env.TAVEX_WEB_URL || 'http://127.0.0.1:8019/';
export const nativeTavex = process.env.TAVEX_NATIVE || '';
export const shotDir = process.env.TAVEX_SHOTS || path.join(os.tmpdir(), 'tavex-web-shots');

export async function launch() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'tavex-chromium-'));
  const browser = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    acceptDownloads: true,
    args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
           '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  return {browser, close: async () => {
    await browser.close();
    fs.rmSync(profile, {recursive: true, force: true});
  }};
}

// A page of the site, loaded, with its first picture and readouts; errors
// on it fail the test that reads them.
export async function openSite(browser, viewport = {width: 1200, height: 800}) {
  const page = await browser.newPage();
  await page.setViewportSize(viewport);
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  await page.goto(siteUrl);
  await page.waitForFunction(() => window.tavexPage && window.tavexPage.ready, null, {timeout: 20000});
  return {page, errors, close: () => page.close()};
}

// Runs action and waits for the pass it starts to show its picture.
export async function pass(page, action, timeout = 30000) {
  const before = await page.evaluate(() => tavexPage.passes.length);
  await action();
  await page.waitForFunction((n) => tavexPage.passes.length > n, before, {timeout});
  return page.evaluate(() => tavexPage.passes.at(-1));
}

// Sends the page's own input (as its controls do) and waits for the draw
// pass after accepting: the function data's rows set to values, by name.
export async function setFunctionData(page, values) {
  await pass(page, () => page.evaluate((values) => {
    const rows = [...document.querySelectorAll('#fdata-rows li')].map((li) => li.textContent);
    for (const [name, value] of Object.entries(values)) {
      const row = rows.findIndex((r) => r.split('=')[0].trim() === name);
      if (row < 0) throw new Error(`no row ${name}`);
      const prefix = rows[row].slice(0, rows[row].indexOf('=') + 2);
      send('chooseRow', {a: 0, b: row});
      send('editRow', {a: 0, text: prefix + value});
    }
    send('acceptRows', {a: 0});
  }, values));
}

export const readouts = (page) => page.textContent('#readouts');

// tavex with these arguments; its standard output.
export function runNative(args) {
  try {
    return execFileSync(nativeTavex, args, {encoding: 'latin1', stdio: ['ignore', 'pipe', 'ignore']});
  } catch (e) {
    return e.stdout;  // failed evaluations make status 1; the output stands
  }
}

export function nativeCanRender() {
  if (!nativeTavex) return false;
  try {
    return execFileSync(nativeTavex, ['--help'], {encoding: 'utf8'}).includes('--render');
  } catch {
    return false;
  }
}
