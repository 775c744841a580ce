// The live panel page: shows the bench's picture of the panel as it runs, sends clicks to it,
// lists the key events, and reads and writes what the gauges read.
'use strict';

const canvas = document.getElementById('panel');
const drawing = canvas.getContext('2d');
const fetchPeriod = 1000 / 20; // a little faster than the panel's 18 frames a second
let lastEvent = 0;
// Panel frames drawn so far, for the rate shown and for tests.
window.framesShown = 0;

const wait = (milliseconds) => new Promise((done) => setTimeout(done, milliseconds));

function setStatus(text) {
  document.getElementById('status').textContent = text;
}

async function post(path, body) {
  const response = await fetch(path, {
    method: 'POST',
    headers: {'Content-Type': 'application/json'},
    body: JSON.stringify(body),
  });
  const answer = await response.json();
  if (!response.ok) throw new Error(answer.error || response.statusText);
  return answer;
}

function zoom() {
  return Number(document.getElementById('zoom').value);
}

function sizeCanvas() {
  canvas.style.width = canvas.width * zoom() + 'px';
  canvas.style.height = canvas.height * zoom() + 'px';
}
document.getElementById('zoom').addEventListener('change', sizeCanvas);

// The picture, asked for each period with at most two requests on their way, so that the
// bench draws the next frame while the page decodes the last. Each frame is drawn once, in
// order: an answer for a frame already shown is dropped.
let shownFrame = -1, onTheirWay = 0;
async function fetchFrame() {
  onTheirWay++;
  try {
    const response = await fetch('panel.png', {cache: 'no-store'});
    if (!response.ok) throw new Error(response.statusText);
    const frame = Number(response.headers.get('X-Panel-Frame'));
    const picture = await createImageBitmap(await response.blob());
    if (frame > shownFrame) {
      shownFrame = frame;
      if (canvas.width !== picture.width || canvas.height !== picture.height) {
        canvas.width = picture.width;
        canvas.height = picture.height;
        sizeCanvas();
      }
      drawing.drawImage(picture, 0, 0);
      window.framesShown++;
      setStatus('');
    }
    picture.close();
  } catch (error) {
    setStatus('The bench does not answer: ' + error.message);
    await wait(1000);
  }
  onTheirWay--;
}

function showFrames() {
  setInterval(() => {
    if (onTheirWay < 2) fetchFrame();
  }, fetchPeriod);
}

function showRate() {
  let before = window.framesShown;
  setInterval(() => {
    document.getElementById('rate').textContent = (window.framesShown - before) + ' frames/s';
    before = window.framesShown;
  }, 1000);
}

// A click on the picture, in panel pixels whatever the zoom.
canvas.addEventListener('click', async (event) => {
  const box = canvas.getBoundingClientRect();
  const x = Math.min(canvas.width - 1, Math.max(0, Math.floor((event.clientX - box.left) * canvas.width / box.width)));
  const y = Math.min(canvas.height - 1, Math.max(0, Math.floor((event.clientY - box.top) * canvas.height / box.height)));
  const line = document.getElementById('last-click');
  try {
    const answer = await post('click', {x, y});
    line.textContent = `Click at (${answer.x}, ${answer.y}): ${answer.outcome}`;
  } catch (error) {
    line.textContent = `Click at (${x}, ${y}) refused: ${error.message}`;
  }
  updateState();
});

// A row per key of `rows` in the table body, made once; `fill` sets its cells from the entry.
function keepRows(tableId, entries, key, make, fill) {
  const body = document.querySelector(`#${tableId} tbody`);
  for (const entry of entries) {
    let row = body.querySelector(`tr[data-key="${CSS.escape(key(entry))}"]`);
    if (!row) {
      row = document.createElement('tr');
      row.dataset.key = key(entry);
      make(row, entry);
      body.appendChild(row);
    }
    fill(row, entry);
  }
}

function cell(row, text, className) {
  const td = document.createElement('td');
  td.textContent = text;
  if (className) td.className = className;
  row.appendChild(td);
  return td;
}

// An input that sends its value when changed (Enter, or leaving it), and shows the bench's
// value whenever it is not being edited.
function field(row, className, send) {
  const input = document.createElement('input');
  input.className = className;
  input.addEventListener('change', async () => {
    try {
      await send(input.value);
      input.classList.remove('refused');
      input.title = '';
    } catch (error) {
      input.classList.add('refused');
      input.title = error.message;
      setStatus(error.message);
    }
    input.blur();
    updateState();
  });
  cell(row, '').appendChild(input);
  return input;
}

function show(input, value) {
  if (document.activeElement !== input) input.value = value;
}

function hexToBytes(text) {
  const digits = text.replace(/\s+/g, '');
  if (!/^([0-9a-fA-F]{2})*$/.test(digits)) throw new Error(`"${text}" is not pairs of hex digits`);
  return digits.match(/../g)?.map((pair) => parseInt(pair, 16)) ?? [];
}

function number(text) {
  const value = Number(text);
  if (text.trim() === '' || !Number.isFinite(value)) throw new Error(`"${text}" is not a number`);
  return value;
}

function list(id, items) {
  const element = document.getElementById(id);
  const texts = items.length ? items : ['none'];
  if (element.dataset.shown === JSON.stringify(texts)) return;
  element.dataset.shown = JSON.stringify(texts);
  element.replaceChildren(...texts.map((text) => {
    const item = document.createElement('li');
    item.textContent = text;
    return item;
  }));
}

function showState(state) {
  keepRows('variables', state.variables, (v) => v.token,
    (row, v) => {
      cell(row, v.token, 'token');
      cell(row, v.readers.join(', '));
      row.input = field(row, 'number', (text) => post('variable', {token: v.token, value: number(text)}));
      row.input.type = 'number';
      row.input.step = 'any';
      row.input.setAttribute('aria-label', 'variable ' + v.token);
    },
    (row, v) => show(row.input, v.value));
  keepRows('named', state.named_variables, (n) => n.name,
    (row, n) => {
      cell(row, n.name);
      cell(row, n.gauge);
      row.input = field(row, 'number', (text) => post('named', {name: n.name, value: number(text)}));
      row.input.setAttribute('aria-label', 'named variable ' + n.name);
    },
    (row, n) => show(row.input, n.value));
  keepRows('blocks', state.blocks, (b) => b.block,
    (row, b) => {
      cell(row, b.block);
      row.hex = field(row, 'hex', (text) => post('block', {block: b.block, offset: 0, bytes: hexToBytes(text)}));
      row.hex.setAttribute('aria-label', 'block ' + b.block + ' hex');
      row.text = field(row, 'text', (text) =>
        post('block', {block: b.block, offset: 0, bytes: Array.from(new TextEncoder().encode(text))}));
      row.text.setAttribute('aria-label', 'block ' + b.block + ' text');
    },
    (row, b) => {
      show(row.hex, b.hex.replace(/(..)/g, '$1 ').trim());
      show(row.text, b.text);
    });
  list('windows', state.windows.map((w) => `window ${w.window}: ${w.shown ? 'shown' : 'hidden'} (${w.gauge})`));
  list('responses', state.responses);
  list('errors', state.errors);

  const events = document.getElementById('events');
  const atBottom = events.scrollHeight - events.scrollTop - events.clientHeight < 4;
  for (const entry of state.events) {
    const item = document.createElement('li');
    item.textContent = `${entry.gauge}: ${entry.text}`;
    if (entry.responses.length) {
      const done = document.createElement('span');
      done.className = 'responses';
      done.textContent = ' \u2192 ' + entry.responses.join(', ');
      item.appendChild(done);
    }
    events.appendChild(item);
    lastEvent = entry.number;
  }
  if (state.events.length && atBottom) events.scrollTop = events.scrollHeight;
}

let updating = false;
async function updateState() {
  if (updating) return;
  updating = true;
  try {
    const response = await fetch('state?since=' + lastEvent, {cache: 'no-store'});
    showState(await response.json());
  } catch (error) {
    setStatus('The bench does not answer: ' + error.message);
  }
  updating = false;
}

showFrames();
showRate();
updateState();
setInterval(updateState, 250);
