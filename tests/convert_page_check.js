#!/usr/bin/env node
// Checks resources/convert/convert.htm: the page loads nothing from the
// network, and its inline script converts units correctly.
//
//   node tests/convert_page_check.js [path/to/convert.htm]
//
// Uses only Node's built-in modules. Exit code 0 when every check passes,
// 1 otherwise; the last line is "N passed, M failed".
'use strict';

const fs = require('fs');
const path = require('path');
const vm = require('vm');

const htmlPath = process.argv[2] || path.join(__dirname, '..', 'resources', 'convert', 'convert.htm');

let passed = 0;
let failed = 0;

function pass() { passed++; }
function fail(msg) { failed++; console.log('FAIL: ' + msg); }
function check(cond, msg) { if (cond) pass(); else fail(msg); }

function finish() {
  console.log(passed + ' passed, ' + failed + ' failed');
  process.exit(failed === 0 ? 0 : 1);
}

let html;
try {
  html = fs.readFileSync(htmlPath, 'utf8');
} catch (e) {
  fail('cannot read ' + htmlPath + ': ' + e.message);
  finish();
}

// ---------------------------------------------------------------- static checks
check(/<meta\s+charset=["']?utf-8["']?\s*\/?>/i.test(html), 'the page must declare <meta charset="utf-8">');
check(/font-family:\s*"Loma",\s*"Tahoma",\s*"Garuda",\s*sans-serif/.test(html),
  'the page must use font-family "Loma", "Tahoma", "Garuda", sans-serif');
for (const id of ['category', 'value', 'from', 'to', 'result', 'note']) {
  check(new RegExp('\\bid="' + id + '"').test(html), 'the page must have an element with id="' + id + '"');
}

// Nothing may be loaded from the network.
const remote = '(?:https?:)?//';
check(!new RegExp('\\bsrc\\s*=\\s*["\']?\\s*' + remote, 'i').test(html), 'a src= attribute loads a remote resource');
check(!/@import\b/i.test(html), 'the page must not use @import');
check(!new RegExp('url\\(\\s*["\']?\\s*' + remote, 'i').test(html), 'a CSS url() points to a remote resource');
check(!/<link\b[^>]*\bhref\s*=\s*["']?\s*(?:https?:)?\/\//i.test(html), 'a <link href> points to a remote resource');
check(!/<script\b[^>]*\bsrc\s*=/i.test(html), 'every script must be inline (no <script src>)');
// Any http(s):// at all may only be the target of a normal <a href> link.
{
  const withoutLinks = html.replace(/<a\b[^>]*>/gi, '');
  const m = withoutLinks.match(/https?:\/\/[^\s"'<>)]*/i);
  check(!m, 'the page refers to a remote address outside an <a href> link: ' + (m ? m[0] : ''));
}

// ---------------------------------------------------------------- run the script
const scripts = [];
html.replace(/<script\b[^>]*>([\s\S]*?)<\/script>/gi, (_, body) => { scripts.push(body); return ''; });
check(scripts.length > 0, 'the page has no inline <script>');
const code = scripts.join('\n;\n');

function runPage(documentStub, search) {
  const sandbox = { console: console, setTimeout: setTimeout, clearTimeout: clearTimeout };
  sandbox.window = sandbox;
  if (documentStub) sandbox.document = documentStub;
  if (search !== undefined) sandbox.location = { search: search };
  vm.createContext(sandbox);
  vm.runInContext(code, sandbox, { filename: 'convert.htm <script>', timeout: 2000 });
  return sandbox;
}

let win;
try {
  // A document without the page's elements: the script must not touch the DOM.
  win = runPage({ getElementById: () => null });
  pass();
} catch (e) {
  fail('the inline script throws without a DOM: ' + (e && e.stack || e));
  finish();
}
try {
  runPage(undefined); // no document at all
  pass();
} catch (e) {
  fail('the inline script throws when document is missing: ' + e.message);
}

for (const fn of ['lexConvert', 'lexUnits']) {
  check(typeof win[fn] === 'function', 'window.' + fn + ' must be a function');
}
if (typeof win.lexConvert !== 'function' || typeof win.lexUnits !== 'function') finish();

const convert = win.lexConvert;
const REL_TOL = 1e-9;

function close(got, want) {
  if (typeof got !== 'number' || Number.isNaN(got)) return false;
  if (want === 0) return Math.abs(got) <= 1e-12;
  return Math.abs(got - want) <= REL_TOL * Math.abs(want);
}

// [category, value, from, to, expected]
const CASES = [
  ['length', 1, 'in', 'mm', 25.4],
  ['length', 1, 'ft', 'm', 0.3048],
  ['length', 1, 'mi', 'km', 1.609344],
  ['length', 1, 'wa', 'm', 2],
  ['length', 1, 'sen', 'wa', 20],
  ['length', 1000, 'um', 'mm', 1],
  ['area', 1, 'rai', 'm2', 1600],
  ['area', 1, 'rai', 'ngan', 4],
  ['area', 1, 'ngan', 'sqwa', 100],
  ['area', 1, 'sqwa', 'm2', 4],
  ['area', 1, 'ha', 'rai', 6.25],
  ['area', 1, 'acre', 'm2', 4046.8564224],
  ['area', 1, 'ft2', 'm2', 0.09290304],
  ['volume', 1, 'gal_us', 'L', 3.785411784],
  ['volume', 1, 'gal_imp', 'L', 4.54609],
  ['volume', 1, 'm3', 'L', 1000],
  ['volume', 1, 'ft3', 'L', 28.316846592],
  ['volume', 1, 'bbl', 'gal_us', 42],
  ['volume', 1, 'yd3', 'm3', 0.764554857984],
  ['mass', 1, 'lb', 'kg', 0.45359237],
  ['mass', 1, 't', 'kg', 1000],
  ['mass', 1, 'ton_us', 'lb', 2000],
  ['mass', 1, 'ton_uk', 'kg', 1016.0469088],
  ['mass', 16, 'oz', 'lb', 1],
  ['force', 1, 'kgf', 'N', 9.80665],
  ['force', 1, 'tf', 'kN', 9.80665],
  ['force', 1, 'lbf', 'N', 4.4482216152605],
  ['force', 1, 'kip', 'kN', 4.4482216152605],
  ['force', 1, 'N', 'dyn', 1e5],
  ['pressure', 1, 'ksc', 'kPa', 98.0665],
  ['pressure', 1, 'psi', 'kPa', 6.894757293168],
  ['pressure', 1, 'ksi', 'MPa', 6.894757293168],
  ['pressure', 1, 'atm', 'Pa', 101325],
  ['pressure', 1, 'bar', 'kPa', 100],
  ['pressure', 1, 't_m2', 'kPa', 9.80665],
  ['pressure', 760, 'mmHg', 'Pa', 101325.01443540],
  ['pressure', 1, 'inHg', 'Pa', 3386.388640341],
  ['pressure', 10, 'mH2O', 'ksc', 1],
  ['pressure', 1, 'MPa', 'GPa', 0.001],
  ['energy', 1, 'kWh', 'MJ', 3.6],
  ['energy', 1, 'kcal', 'kJ', 4.184],
  ['energy', 1, 'BTU', 'J', 1055.05585262],
  ['energy', 1, 'ftlbf', 'J', 1.3558179483314004],
  ['energy', 1, 'eV', 'J', 1.602176634e-19],
  ['energy', 1, 'J', 'erg', 1e7],
  ['power', 1, 'hp', 'W', 745.69987158227],
  ['power', 1, 'PS', 'W', 735.49875],
  ['power', 1, 'TR', 'BTU_h', 12000],
  ['power', 1, 'TR', 'W', 3516.8528420667],
  ['power', 1, 'kcal_h', 'W', 1.1622222222222],
  ['torque', 1, 'kgfm', 'Nm', 9.80665],
  ['torque', 1, 'tfm', 'kNm', 9.80665],
  ['torque', 100, 'kgfcm', 'kgfm', 1],
  ['torque', 1, 'lbfft', 'Nm', 1.3558179483314004],
  ['torque', 12, 'lbfin', 'lbfft', 1],
  ['temperature', 100, 'C', 'F', 212],
  ['temperature', 0, 'C', 'K', 273.15],
  ['temperature', -40, 'C', 'F', -40],
  ['temperature', 32, 'F', 'C', 0],
  ['temperature', 0, 'K', 'C', -273.15],
  ['temperature', 0, 'K', 'F', -459.67],
  ['temperature', 491.67, 'R', 'K', 273.15],
  ['temperature', 273.15, 'K', 'R', 491.67],
  ['temperature', 212, 'F', 'K', 373.15],
  ['speed', 1, 'knot', 'km_h', 1.852],
  ['speed', 36, 'km_h', 'm_s', 10],
  ['speed', 1, 'mph', 'km_h', 1.609344],
  ['speed', 1, 'ft_s', 'm_s', 0.3048],
  ['flow', 1, 'm3_h', 'L_min', 1000 / 60],
  ['flow', 1, 'L_s', 'm3_h', 3.6],
  ['flow', 1, 'gpm', 'L_min', 3.785411784],
  ['flow', 1, 'cfm', 'm3_h', 1.6990107955],
  ['flow', 1000, 'm3_day', 'L_s', 11.574074074074],
  ['density', 1, 'g_cm3', 'kg_m3', 1000],
  ['density', 1, 't_m3', 'g_cm3', 1],
  ['density', 1, 'lb_ft3', 'kg_m3', 16.018463373960],
  ['density', 1, 'lb_in3', 'g_cm3', 27.679904710203]
];

for (const [cat, v, from, to, want] of CASES) {
  let got;
  try { got = convert(cat, v, from, to); } catch (e) { got = 'exception ' + e.message; }
  check(close(got, want), cat + ': ' + v + ' ' + from + ' -> ' + to + ' gave ' + got + ', expected ' + want);
}

// Strings are parsed the same way as the page's input box.
const STRING_CASES = [
  ['length', '1,234.5', 'm', 'mm', 1234500],
  ['length', '2.5e3', 'mm', 'm', 2.5],
  ['length', ' 12 ', 'in', 'ft', 1],
  ['length', '-1', 'km', 'm', -1000],
  ['area', '๑', 'rai', 'm2', 1600],
  ['temperature', '\u221240', 'F', 'C', -40]
];
for (const [cat, v, from, to, want] of STRING_CASES) {
  const got = convert(cat, v, from, to);
  check(close(got, want), cat + ': "' + v + '" ' + from + ' -> ' + to + ' gave ' + got + ', expected ' + want);
}

// Invalid input gives NaN.
const INVALID = [
  ['empty string', ['length', '', 'm', 'ft']],
  ['blank string', ['length', '   ', 'm', 'ft']],
  ['letters', ['length', 'abc', 'm', 'ft']],
  ['number with trailing text', ['length', '12abc', 'm', 'ft']],
  ['decimal comma', ['length', '1,5', 'm', 'ft']],
  ['bad grouping', ['length', '12,34', 'm', 'ft']],
  ['lone exponent', ['length', '1e', 'm', 'ft']],
  ['two points', ['length', '1.2.3', 'm', 'ft']],
  ['NaN', ['length', NaN, 'm', 'ft']],
  ['Infinity', ['length', Infinity, 'm', 'ft']],
  ['overflowing string', ['length', '1e400', 'm', 'ft']],
  ['undefined', ['length', undefined, 'm', 'ft']],
  ['null', ['length', null, 'm', 'ft']],
  ['unknown category', ['nosuch', 1, 'm', 'ft']],
  ['unknown from unit', ['length', 1, 'furlong', 'ft']],
  ['unit of another category', ['length', 1, 'kg', 'm']],
  ['prototype name as unit', ['length', 1, 'toString', 'm']],
  ['below absolute zero', ['temperature', -300, 'C', 'K']],
  ['negative kelvin', ['temperature', -1, 'K', 'C']]
];
for (const [what, args] of INVALID) {
  let got;
  try { got = convert.apply(null, args); } catch (e) { got = 'exception ' + e.message; }
  check(typeof got === 'number' && Number.isNaN(got), 'invalid input (' + what + ') should give NaN, gave ' + got);
}

// Unit lists: every category the page must offer, with the units asked for.
const REQUIRED = {
  length: ['um', 'mm', 'cm', 'm', 'km', 'in', 'ft', 'yd', 'mi'],
  area: ['m2', 'sqwa', 'ngan', 'rai', 'acre', 'ha'],
  volume: ['m3', 'L', 'mL', 'gal_us', 'gal_imp', 'ft3', 'in3', 'yd3', 'bbl'],
  mass: ['t', 'kg', 'g', 'mg', 'lb', 'oz', 'ton_us', 'ton_uk'],
  force: ['N', 'kN', 'MN', 'kgf', 'tf', 'lbf', 'kip', 'dyn'],
  pressure: ['Pa', 'kPa', 'MPa', 'GPa', 'bar', 'mbar', 'atm', 'ksc', 'kgf_m2', 't_m2', 'psi', 'ksi', 'mmHg', 'inHg', 'mH2O'],
  energy: ['J', 'kJ', 'MJ', 'kWh', 'Wh', 'cal', 'kcal', 'BTU', 'ftlbf', 'eV', 'erg'],
  power: ['W', 'kW', 'MW', 'hp', 'PS', 'BTU_h', 'TR', 'kcal_h'],
  torque: ['Nm', 'kNm', 'kgfm', 'kgfcm', 'lbfft', 'lbfin', 'tfm'],
  temperature: ['C', 'F', 'K', 'R'],
  speed: ['m_s', 'km_h', 'mph', 'knot', 'ft_s'],
  flow: ['m3_s', 'm3_h', 'L_s', 'L_min', 'gpm', 'cfm'],
  density: ['kg_m3', 'g_cm3', 't_m3', 'lb_ft3', 'lb_in3']
};
for (const cat of Object.keys(REQUIRED)) {
  const units = win.lexUnits(cat);
  const list = Array.isArray(units) || (units && typeof units.length === 'number') ? Array.from(units) : [];
  const missing = REQUIRED[cat].filter((u) => list.indexOf(u) === -1);
  check(missing.length === 0, 'lexUnits("' + cat + '") lacks ' + missing.join(', '));
  // Every pair converts there and back to the starting value.
  let bad = null;
  for (const a of list) {
    for (const b of list) {
      const x = cat === 'temperature' ? 300 : 123.456;
      const y = convert(cat, convert(cat, x, a, b), b, a);
      if (!close(y, x) && !bad) bad = a + ' -> ' + b + ' -> ' + a + ' gave ' + y;
    }
  }
  check(bad === null, cat + ': round trip failed: ' + bad);
}
{
  const units = win.lexUnits('nosuch');
  check(!units || units.length === 0, 'lexUnits of an unknown category should be empty');
}

// Display formatting (optional helper): no float noise, grouping, 10 digits.
if (typeof win.lexFormat === 'function') {
  const FORMATS = [
    [0.1 + 0.2, '0.3'],
    [1600, '1,600'],
    [1234500, '1,234,500'],
    [1 / 3, '0.3333333333'],
    [-40.00000000000001, '-40'],
    [6.241509074460763e18, '6.241509074e18'],
    [2.5e-6, '2.5e-6'],
    [0, '0']
  ];
  for (const [x, want] of FORMATS) {
    const got = win.lexFormat(x);
    check(got === want, 'lexFormat(' + x + ') gave "' + got + '", expected "' + want + '"');
  }
}

// ---------------------------------------------------------------- the page's wiring, on a fake DOM
function fakeElement(id) {
  return {
    id: id, value: '', innerHTML: '', textContent: '', className: '', hidden: false, disabled: false,
    attrs: {}, listeners: {}, style: {},
    setAttribute(k, v) { this.attrs[k] = String(v); },
    getAttribute(k) { return Object.prototype.hasOwnProperty.call(this.attrs, k) ? this.attrs[k] : null; },
    addEventListener(type, fn) { (this.listeners[type] = this.listeners[type] || []).push(fn); },
    fire(type) {
      (this.listeners[type] || []).forEach((fn) => fn({ type: type, target: this, preventDefault() {} }));
    },
    focus() {}, select() {}
  };
}
function text(s) { return String(s).replace(/<[^>]*>/g, '').replace(/&nbsp;/g, ' '); }

try {
  const els = {};
  const ids = [];
  html.replace(/\bid="([^"]+)"/g, (_, id) => { ids.push(id); return ''; });
  for (const id of ids) els[id] = fakeElement(id);
  const start = html.match(/<input\b[^>]*\bid="value"[^>]*>/);
  const startValue = start && start[0].match(/\bvalue="([^"]*)"/);
  els.value.value = startValue ? startValue[1] : '';
  const doc = { getElementById: (id) => els[id] || null, body: fakeElement('body') };

  runPage(doc, '');
  check(/1,600/.test(text(els.result.innerHTML + els.result.textContent)),
    'on opening, the page should show 1 rai as 1,600 m², #result was "' + text(els.result.innerHTML) + '"');
  check(els.note.hidden === true && els.note.textContent === '', 'a valid value should leave #note hidden and empty');

  els.value.value = '2.5e3';
  els.value.fire('input');
  check(/4,000,000/.test(text(els.result.innerHTML)), 'typing 2.5e3 rai should show 4,000,000 m² at once, got "' +
    text(els.result.innerHTML) + '"');

  els.value.value = '';
  els.value.fire('input');
  check(els.note.hidden === false && /กรุณาป้อนตัวเลข/.test(els.note.textContent) &&
    /Please enter a number/.test(els.note.textContent),
    'an empty value should show the Thai and English note in #note, got "' + els.note.textContent + '"');

  els.value.value = 'abc';
  els.value.fire('input');
  check(els.note.hidden === false && /[\u0E00-\u0E7F]/.test(els.note.textContent) && /number/i.test(els.note.textContent),
    'a value that is not a number should show a Thai and English note, got "' + els.note.textContent + '"');

  els.value.value = '100';
  els.category.value = 'temperature';
  els.category.fire('change');
  els.from.value = 'C';
  els.to.value = 'F';
  els.from.fire('change');
  check(/212/.test(text(els.result.innerHTML)) && els.note.hidden === true,
    '100 °C should show 212 °F, got "' + text(els.result.innerHTML) + '"');
  els.swap.fire('click');
  check(els.from.value === 'F' && els.to.value === 'C' && /37\.77777778/.test(text(els.result.innerHTML)),
    'swap should turn it into 100 °F = 37.77777778 °C, got ' + els.from.value + ' -> ' + els.to.value + ' "' +
    text(els.result.innerHTML) + '"');

  const viaQuery = {};
  for (const id of ids) viaQuery[id] = fakeElement(id);
  runPage({ getElementById: (id) => viaQuery[id] || null }, '?cat=pressure&v=240&from=ksc&to=MPa');
  check(/23\.53596/.test(text(viaQuery.result.innerHTML)),
    '?cat=pressure&v=240&from=ksc&to=MPa should show 23.53596, got "' + text(viaQuery.result.innerHTML) + '"');
} catch (e) {
  fail('the page wiring threw on a fake DOM: ' + (e && e.stack || e));
}

finish();
