// SPDX-License-Identifier: GPL-3.0-or-later
// How often the page's readouts differ from tavex --sums: a seeded sample of
// functions (each maths function of the engine, alone and mixed), parameters,
// intervals and step counts, each case drawn in the page and printed by the
// native program, line by line. Cases where an evaluation fails are left out
// (their readouts keep values from before, which the page has and a fresh
// process has not); they are counted. Prints the figures; asserts nothing.
// TAVEX_SAMPLE sets the number of cases (default 1500).
import {launch, nativeTavex, openSite, readouts, setFunctionData} from './harness.mjs';
import {execFileSync} from 'node:child_process';

const functions = [
  'sin(a*x)', 'cos(b*x) + x', 'tan(x/4)', 'atan(a*x)', 'atan2(x, b)', 'asin(x/11)', 'acos(x/11)',
  'log10(x*x + c)', 'tanh(a*x)', 'exp(a*sin(b*x))', 'exp(-x*x/c)', 'log(x*x + 1)', 'sqrt(x*x + c)',
  'x**3 - a*x', 'fmod(x, b)', 'fabs(x - a)', 'sinh(x/3)', 'cosh(x/4)', '1/(1 + x*x)',
  'sin(x)*cos(a*x) + atan(x)', 'x*log(x*x + 2)', 'sqrt(fabs(x))*sin(x)', 'tanh(x)*exp(-x/5)',
  'a*x**2 + b*x + c', 'sin(x)/(x*x + 1)',
];

// A small generator with a seed, so that every run draws the same sample.
function random(seed) {
  let s = seed >>> 0;
  return () => {
    s = (s + 0x6d2b79f5) >>> 0;
    let t = Math.imul(s ^ (s >>> 15), 1 | s);
    t ^= t + Math.imul(t ^ (t >>> 7), 61 | t);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

function sample(count) {
  const next = random(20261209);
  const number = (lo, hi) => (lo + (hi - lo) * next()).toPrecision(4);
  const cases = [];
  for (let i = 0; i < count; ++i) {
    const x1 = -10 + 20 * next();
    const width = Math.exp(Math.log(0.01) + next() * Math.log(2000));  // 0.01 to 20
    const [from, to] = next() < 0.1 ? [x1 + width, x1] : [x1, x1 + width];
    cases.push({
      y: functions[i % functions.length], a: number(-3, 3), b: number(0.2, 3), c: number(0.1, 4),
      x1: from.toPrecision(5), x2: to.toPrecision(5),
      n: String(Math.max(1, Math.round(Math.exp(next() * Math.log(5000))))),
    });
  }
  return cases;
}

// The native readouts, or null when an evaluation failed (status 1).
function native(data) {
  const args = ['--sums'];
  for (const [name, value] of Object.entries(data)) args.push('--fdata', `${name}=${value}`);
  try {
    return execFileSync(nativeTavex, args, {encoding: 'latin1', stdio: ['ignore', 'pipe', 'ignore']});
  } catch {
    return null;
  }
}

// What kind of difference two lines show.
function kind(a, b) {
  if (a.replace(/-nan/g, 'nan') === b.replace(/-nan/g, 'nan')) return 'sign of NaN';
  if (a.length === b.length && a.slice(0, -1) === b.slice(0, -1)) return 'last digit';
  return 'more than the last digit';
}

if (!nativeTavex) {
  console.log('no native tavex: nothing to compare with');
  process.exit(0);
}
const only = process.env.TAVEX_SAMPLE_ONLY;  // a function's text: its cases alone
const cases = sample(Number(process.env.TAVEX_SAMPLE) || 1500).filter((c) => !only || c.y === only);
const chromium = await launch();
const site = await openSite(chromium.browser);
let compared = 0, failing = 0, differing = 0, lines = 0, lineDiffs = 0;
const kinds = new Map(), byFunction = new Map(), examples = [];
for (const data of cases) {
  const expected = native(data);
  if (expected === null) {
    failing += 1;
    continue;
  }
  await setFunctionData(site.page, data);
  const got = (await readouts(site.page)).split('\n'), want = expected.split('\n');
  compared += 1;
  lines += want.length;
  let differs = false;
  for (let i = 0; i < Math.max(got.length, want.length); ++i) {
    if (got[i] === want[i]) continue;
    differs = true;
    lineDiffs += 1;
    const k = kind(got[i] || '', want[i] || '');
    kinds.set(k, (kinds.get(k) || 0) + 1);
    if (k !== 'sign of NaN' && examples.length < 8) examples.push(`#${cases.indexOf(data)} ${data.y} on [${data.x1}, ${data.x2}], n = ${data.n}: page "${got[i]}", native "${want[i]}"`);
  }
  if (differs) {
    differing += 1;
    byFunction.set(data.y, (byFunction.get(data.y) || 0) + 1);
  }
}
await site.close();
await chromium.close();

const percent = (a, b) => `${(100 * a / Math.max(1, b)).toFixed(2)} %`;
console.log(`readouts against tavex --sums: ${cases.length} cases, ${failing} left out (an evaluation failed)`);
console.log(`cases with a readout that differs: ${differing} of ${compared} (${percent(differing, compared)})`);
console.log(`readout lines that differ: ${lineDiffs} of ${lines} (${percent(lineDiffs, lines)})`);
for (const [k, count] of kinds) console.log(`  ${k}: ${count}`);
const worst = [...byFunction].sort((p, q) => q[1] - p[1]).slice(0, 8);
console.log(`by function (cases differing of ${Math.round(cases.length / functions.length)} each): ${worst.map(([f, c]) => `${f} ${c}`).join(', ')}`);
for (const e of examples) console.log(`  e.g. ${e}`);
