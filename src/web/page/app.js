// The web panel: one WebSocket to the program that holds the line. The program sends the
// whole state when the page connects (and after every reconnect), then only what changed;
// the page shows what it was sent and asks for routes, never drawing one as made before the
// routers confirmed it.
import { Grid } from './grid.js';
import { showBatch, showHealth, showLegend, showPhone, showSalvos } from './panels.js';

const $ = (id) => document.getElementById(id);
const LISTED = ['inputs', 'outputs', 'routes', 'locks'];

const model = {
  state: null, session: null, connected: false, level: 3, phone: false,
  // Take presets by "output:level" (1 video, 2 audio): the page's own until Take.
  presets: new Map(),
  // Milliseconds the server's clock is ahead of the page's.
  skew: 0,
};
let socket = null;
let retryMs = 500;
let nextId = 1;
const waiting = new Map();
let lastMessage = 0;
let messageTimer = 0;
const grid = new Grid({ onCell: (o, i) => choose(o, i), onLock: (o) => toggleLock(o) });

function say(text, error) {
  const bar = $('message');
  bar.textContent = text;
  bar.className = error ? 'error' : '';
  clearTimeout(messageTimer);
  messageTimer = setTimeout(() => { bar.textContent = ''; bar.className = ''; }, error ? 5000 : 3000);
}

function request(body) {
  if (!socket || socket.readyState !== WebSocket.OPEN) { say('Not connected', true); return Promise.resolve(false); }
  const id = nextId++;
  socket.send(JSON.stringify({ id, ...body }));
  return new Promise((resolve) => waiting.set(id, resolve));
}

async function ask(body) {
  const reply = await request(body);
  if (reply && !reply.ok) say(reply.error, true);
  return reply && reply.ok;
}

// A number or a range ("5", "9-16") matches numbers, anything else a part of the name.
function matcher(text) {
  const t = text.trim().toLowerCase();
  if (!t) return () => true;
  const range = t.match(/^(\d+)\s*-\s*(\d+)$/);
  if (range) return (n) => n + 1 >= Number(range[1]) && n + 1 <= Number(range[2]);
  return (n, name) => String(n + 1) === t || name.toLowerCase().includes(t);
}

function visible(names, text) {
  const match = matcher(text);
  return names.map((name, n) => (match(n, name) ? n : -1)).filter((n) => n >= 0);
}

function render(headersChanged) {
  const st = model.state, session = model.session;
  document.body.classList.toggle('offline', !model.connected);
  $('offline').hidden = model.connected;
  if (session) {
    $('who').textContent = `${session.name}: ${session.route ? 'may route' : 'view only'}${session.secure ? '' : ' (no TLS)'}`;
    $('login').hidden = session.route || !session.pin;
    $('logout').hidden = !session.route;
    $('noView').hidden = session.view;
    $('scroller').hidden = !session.view;
  }
  if (!st || !session || !session.view) return;
  $('title').textContent = st.matrix.title;
  document.title = `${st.matrix.title} - Corvantis`;
  $('levels').hidden = !st.matrix.levels;
  for (const b of document.querySelectorAll('#levels button')) b.classList.toggle('on', Number(b.dataset.level) === model.level);
  $('take').disabled = $('clear').disabled = model.presets.size === 0 || !session.route;
  $('toGrid').classList.toggle('on', !model.phone);
  $('toPhone').classList.toggle('on', model.phone);
  $('gridView').hidden = model.phone;
  $('phoneView').hidden = !model.phone;
  const rows = visible(st.inputs, $('filterIn').value);
  const cols = visible(st.outputs, $('filterOut').value);
  if (model.phone) showPhone(model, rows, choose, toggleLock);
  else grid.show(model, rows, cols, headersChanged);
  showHealth(st, Date.now() + model.skew);
  showSalvos(st, session.route, (name) => ask({ do: 'fire', salvo: name }));
  showBatch(st.batch, session.route, (id) => ask({ do: 'retry', batch: id }));
}

function levelsOf(output) {
  return model.state.matrix.levels ? model.level : 3;
}

function choose(output, input) {
  if (!model.connected || !model.session.route) {
    if (model.connected) say(model.session.pin ? 'Give the PIN to route' : 'Routing from the web is off: no PIN is set', true);
    return;
  }
  const level = levelsOf(output);
  if ($('takeMode').checked) {
    for (const l of [1, 2]) if (level & l) model.presets.set(`${output}:${l}`, input);
    render(false);
    return;
  }
  ask({ do: 'route', output, input, level });
}

function toggleLock(output) {
  const holder = model.state.locks[output];
  ask({ do: holder && holder.owner === model.session.owner ? 'unlock' : 'lock', output });
}

// Presets of one output to one input on both levels go as one route.
function takeRoutes() {
  const routes = new Map();
  for (const [key, input] of model.presets) {
    const [output, level] = key.split(':').map(Number);
    const id = `${output}:${input}`;
    const route = routes.get(id) || { output, input, level: 0 };
    route.level |= level;
    routes.set(id, route);
  }
  return [...routes.values()];
}

function received(message) {
  switch (message.type) {
  case 'state': {
    const before = model.state;
    if (before && JSON.stringify(before.matrix) !== JSON.stringify(message.matrix) && model.presets.size) {
      model.presets.clear();
      say('Presets dropped: the configuration was replaced', true);
    }
    model.state = message;
    model.session = message.session;
    model.connected = true;
    model.skew = message.serverTime - Date.now();
    render(true);
    break;
  }
  case 'session':
    model.session = message.session;
    model.connected = true;
    render(true);
    break;
  case 'change': {
    const st = model.state;
    if (!st) break;
    let headers = false;
    for (const [key, value] of Object.entries(message)) {
      if (key === 'type') continue;
      if (LISTED.includes(key)) {
        for (const [n, entry] of Object.entries(value)) st[key][Number(n)] = entry;
        headers = headers || key !== 'routes';
      } else {
        st[key] = value;
      }
    }
    if (message.serverTime) model.skew = message.serverTime - Date.now();
    model.changedAt = performance.now();
    if (message.message && message.message.n !== lastMessage) {
      lastMessage = message.message.n;
      say(message.message.text, false);
    }
    render(headers);
    break;
  }
  case 'reply': {
    const resolve = waiting.get(message.id);
    waiting.delete(message.id);
    if (resolve) resolve(message);
    else if (!message.ok) say(message.error, true);
    break;
  }
  default:
    break;
  }
}

// The session cookie first (a restarted program gives a new one), then the WebSocket.
async function connect() {
  try {
    await fetch('session', { credentials: 'same-origin', cache: 'no-store' });
  } catch (error) {
    reconnect();
    return;
  }
  const scheme = location.protocol === 'https:' ? 'wss:' : 'ws:';
  socket = new WebSocket(`${scheme}//${location.host}/ws`);
  socket.onopen = () => { retryMs = 500; };
  socket.onmessage = (event) => received(JSON.parse(event.data));
  socket.onclose = (event) => {
    socket = null;
    model.connected = false;
    for (const resolve of waiting.values()) resolve({ ok: false, error: 'Disconnected' });
    waiting.clear();
    if (event.reason) say(event.reason, true);
    render(false);
    reconnect();
  };
}

function reconnect() {
  setTimeout(connect, retryMs);
  retryMs = Math.min(retryMs * 2, 4000);
}

function wire() {
  $('login').addEventListener('submit', async (event) => {
    event.preventDefault();
    if (await ask({ do: 'login', pin: $('pin').value })) $('pin').value = '';
  });
  $('logout').addEventListener('click', () => ask({ do: 'logout' }));
  for (const b of document.querySelectorAll('#levels button')) {
    b.addEventListener('click', () => { model.level = Number(b.dataset.level); render(false); });
  }
  for (const id of ['filterIn', 'filterOut']) $(id).addEventListener('input', () => render(true));
  $('toGrid').addEventListener('click', () => { model.phone = false; render(true); });
  $('toPhone').addEventListener('click', () => { model.phone = true; render(true); });
  $('phoneOutput').addEventListener('change', () => render(false));
  $('takeMode').addEventListener('change', () => render(false));
  $('clear').addEventListener('click', () => { model.presets.clear(); render(false); });
  $('take').addEventListener('click', async () => {
    if (await ask({ do: 'take', routes: takeRoutes() })) { model.presets.clear(); render(false); }
  });
  // Ages of the last answers move on without a message.
  setInterval(() => { if (model.state && model.connected) showHealth(model.state, Date.now() + model.skew); }, 1000);
  model.phone = matchMedia('(max-width: 700px)').matches;
}

// What tests and benchmarks read: where a cell is and what the grid last drew there, and how
// long drawing took.
window.corvantis = {
  model,
  grid,
  cellCenter: (output, input) => grid.cellCenter(output, input),
  mark: (output, input) => grid.drawn.get(`${output},${input}`) || 'unseen',
  marks: (output, input) => grid.history.get(`${output},${input}`) || [],
  frames: () => grid.frame,
  drawMs: () => grid.drawMs,
  firstDrawAt: () => grid.firstDrawAt,
  changeToDraw: () => grid.changeToDraw,
};

wire();
showLegend();
render(true);
connect();
