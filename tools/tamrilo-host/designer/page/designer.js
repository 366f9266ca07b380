// The designer's page: every value goes to tamrilo-host, which checks it, computes the preview
// with its force model and calls the library. The page only draws what comes back.
'use strict';

const token = new URLSearchParams(location.search).get('token');
const $ = (id) => document.getElementById(id);
const svgNS = 'http://www.w3.org/2000/svg';
let effects = [];
let effect = null;
// The time from the last change of a value to the plot that shows it, in milliseconds.
window.designerUpdateMs = null;
window.designerUpdates = 0;

function address(path, extra) {
  const query = new URLSearchParams(Object.assign({ token }, extra));
  return path + '?' + query.toString();
}

async function ask(method, path, extra) {
  const response = await fetch(address(path, extra), { method });
  const body = await response.json();
  if (!response.ok) throw new Error(body.error);
  return body;
}

function values() {
  const out = { effect: effect.family };
  for (const v of effect.variables) out[v.name] = $('number-' + v.name).value;
  return out;
}

function say(text) { $('message').textContent = text; }

function fill(table, rows) {
  const body = table.tBodies[0];
  body.replaceChildren();
  for (const cells of rows) {
    const tr = body.insertRow();
    for (const text of cells) tr.insertCell().textContent = text;
  }
}

function element(name, attributes, parent) {
  const e = document.createElementNS(svgNS, name);
  for (const [key, value] of Object.entries(attributes)) e.setAttribute(key, value);
  parent.appendChild(e);
  return e;
}

// Draws the series on a plot 520 × 300: the force from -10000 to 10000 upward, `along` across.
// The constant force's vector is drawn as the stick sees it, y growing toward the user (down).
function drawPlot(preview) {
  const svg = $('plot');
  svg.replaceChildren();
  const left = 50, right = 490, top = 10, bottom = 270;
  const vector = preview.along === 'force x';
  const xs = preview.series.flatMap((s) => s.points.map((p) => p[0]));
  const lo = vector ? -10000 : Math.min(...xs), hi = vector ? 10000 : Math.max(...xs);
  const down = vector ? -1 : 1;
  const px = (v) => left + (hi === lo ? 0 : (v - lo) / (hi - lo)) * (right - left);
  const py = (f) => top + (10000 - down * f) / 20000 * (bottom - top);
  for (const f of [-10000, -5000, 0, 5000, 10000]) {
    element('line', { x1: left, x2: right, y1: py(f), y2: py(f), class: f === 0 ? 'zero' : 'grid' }, svg);
    element('text', { x: 4, y: py(f) + 4 }, svg).textContent = f;
  }
  for (let i = 0; i <= 4; i++) {
    const v = lo + (hi - lo) * i / 4;
    element('line', { x1: px(v), x2: px(v), y1: top, y2: bottom, class: 'grid' }, svg);
    element('text', { x: px(v), y: bottom + 14, 'text-anchor': 'middle' }, svg).textContent = Math.round(v);
  }
  element('text', { x: left, y: 296 }, svg).textContent =
    vector ? 'force x →, force y ↓ (toward the user), as the stick is pushed' : preview.along + ' →   red: force x, blue: force y';
  for (const s of preview.series) {
    if (vector) {
      const [, end] = s.points;
      element('line', { x1: px(0), y1: py(0), x2: px(end[0]), y2: py(end[1]), class: 'force' }, svg);
    } else {
      const points = s.points.map((p) => px(p[0]).toFixed(1) + ',' + py(p[1]).toFixed(1)).join(' ');
      element('polyline', { points, class: s.name }, svg);
    }
  }
}

let previewRunning = false, previewAgain = false, changedAt = null;

async function updatePreview() {
  if (previewRunning) { previewAgain = true; return; }
  previewRunning = true;
  const started = changedAt;
  try {
    const p = await ask('GET', '/preview', values());
    say('');
    fill($('sent'), p.sent.map((f) => [f.field, f.value, f.from ? 'from ' + f.from : '']));
    drawPlot(p);
    $('notes').textContent = p.notes.join('; ');
    $('script-host').value = p.script.join('\n');
    $('script-engine').value = p.engine_script.join('\n');
    if (started !== null) window.designerUpdateMs = performance.now() - started;
    window.designerUpdates++;
  } catch (e) {
    say(e.message);
  }
  previewRunning = false;
  if (previewAgain) { previewAgain = false; updatePreview(); }
}

function changed() {
  changedAt = performance.now();
  updatePreview();
}

function showEffect() {
  effect = effects.find((e) => e.family === $('effect').value);
  const body = $('variables').tBodies[0];
  body.replaceChildren();
  for (const v of effect.variables) {
    const tr = body.insertRow();
    tr.insertCell().textContent = v.name;
    tr.title = v.meaning;
    const slider = Object.assign(document.createElement('input'),
      { type: 'range', min: v.min, max: v.max, step: 1, value: v.initial, id: 'slider-' + v.name });
    const number = Object.assign(document.createElement('input'),
      { type: 'number', min: v.min, max: v.max, step: 'any', value: v.initial, id: 'number-' + v.name });
    slider.addEventListener('input', () => { number.value = slider.value; changed(); });
    number.addEventListener('input', () => { slider.value = number.value; changed(); });
    const cell = tr.insertCell();
    cell.append(slider, ' ', number);
    const unit = tr.insertCell();
    unit.className = 'unit';
    unit.textContent = v.unit;
  }
  $('start').textContent = effect.start.startsWith('Play_') ? 'Play' : 'Change';
  $('plot-title').textContent = 'What the force does: ' + effect.label;
  changed();
}

async function call(action) {
  try {
    const r = await ask('POST', '/call', Object.assign(values(), { action }));
    say('');
    fill($('status'), r.status.map((s) => [s.variable, s.code, s.meaning]));
  } catch (e) {
    say(e.message);
  }
}

// The stick: its reading ten times a second; on the simulator the mouse moves it.
const stickScale = 100 / 10000;
let dragging = false;

function drawStick(r) {
  const svg = $('stick');
  svg.replaceChildren();
  element('line', { x1: -100, x2: 100, y1: 0, y2: 0, class: 'grid', stroke: '#ccc' }, svg);
  element('line', { y1: -100, y2: 100, x1: 0, x2: 0, class: 'grid', stroke: '#ccc' }, svg);
  const x = r.x * stickScale, y = r.y * stickScale;
  if (r.force) {
    element('line', { x1: x, y1: y, x2: x + r.force[0] * stickScale, y2: y + r.force[1] * stickScale, class: 'push' }, svg);
  }
  element('circle', { cx: x, cy: y, r: 7, class: 'knob' }, svg);
  const force = r.force ? 'live force x ' + r.force[0] + ', y ' + r.force[1] : 'live force known only on the simulator';
  $('stick-text').innerHTML = '';
  for (const line of [r.selected ? 'JOY_X_A ' + r.x.toFixed(1) + ', JOY_Y_A ' + r.y.toFixed(1) : 'no joystick selected',
                      'buttons held: ' + (r.buttons.length ? r.buttons.join(' ') : 'none'), force]) {
    const div = document.createElement('div');
    div.textContent = line;
    $('stick-text').appendChild(div);
  }
  $('stick').dataset.force = r.force ? r.force.join(',') : '';
}

async function pollStick() {
  try {
    if (!dragging) drawStick(await ask('GET', '/stick'));
  } catch (e) {
    say(e.message);
  }
  setTimeout(pollStick, 100);
}

function stickAt(event) {
  const box = $('stick').getBoundingClientRect();
  const clamp = (v) => Math.max(-10000, Math.min(10000, Math.round(v)));
  return { x: clamp(((event.clientX - box.left) / box.width * 2 - 1) * 11000),
           y: clamp(((event.clientY - box.top) / box.height * 2 - 1) * 11000) };
}

async function moveStick(event) {
  try {
    drawStick(await ask('POST', '/stick', stickAt(event)));
  } catch (e) {
    say(e.message);
  }
}

async function start() {
  const list = await ask('GET', '/effects');
  effects = list.effects;
  $('mode').textContent = list.simulated ? 'simulated joystick: drag the stick with the mouse'
                                         : "the system's DirectInput";
  for (const e of effects) $('effect').add(new Option(e.label, e.family));
  $('effect').value = 'sine_1';
  $('effect').addEventListener('change', showEffect);
  $('define').addEventListener('click', () => call('define'));
  $('start').addEventListener('click', () => call('start'));
  $('stop').addEventListener('click', () => call('stop'));
  for (const b of document.querySelectorAll('button.copy')) {
    b.addEventListener('click', () => navigator.clipboard.writeText($(b.dataset.from).value));
  }
  const stick = $('stick');
  if (list.simulated) {
    stick.addEventListener('pointerdown', (e) => { dragging = true; stick.setPointerCapture(e.pointerId); moveStick(e); });
    stick.addEventListener('pointermove', (e) => { if (dragging) moveStick(e); });
    stick.addEventListener('pointerup', () => { dragging = false; });
  }
  // Leaving the page stops every effect, so that nothing keeps pushing unattended.
  addEventListener('pagehide', () => navigator.sendBeacon(address('/close')));
  showEffect();
  pollStick();
}

start().catch((e) => say(e.message));
