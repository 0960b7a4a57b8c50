// The parts of the page beside the grid: router health, the salvo list, the last batch's
// progress and summary, the legend, and the destination-first view for phones.
import { paintCell } from './grid.js';

const $ = (id) => document.getElementById(id);

function make(tag, text, className) {
  const el = document.createElement(tag);
  if (text !== undefined) el.textContent = text;
  if (className) el.className = className;
  return el;
}

function ago(ms, serverNow) {
  if (ms === null || ms === undefined) return 'no answer yet';
  const s = Math.max(0, Math.round((serverNow - ms) / 1000));
  return s < 60 ? `${s} s ago` : `${Math.floor(s / 60)} min ago`;
}

// Badges by frame address: green online, red offline or being read again, grey not heard from.
export function showHealth(state, serverNow) {
  const badges = state.routers.map((router) => {
    const badge = make('span', undefined, 'badge ' + (router.stale ? 'offline' : router.state));
    badge.append(make('b', String(router.frame)), make('span', ago(router.lastAnswer, serverNow)));
    let title = `Router ${router.frame}${router.model ? ` (${router.model})` : ''}: ${router.state}`;
    if (router.resyncing) title += ', being read again';
    title += router.lastAnswer ? `; last answer ${new Date(router.lastAnswer).toLocaleTimeString()}` : '; no answer yet';
    if (router.unanswered || router.resends) title += `; ${router.unanswered} unanswered commands, ${router.resends} resends`;
    badge.title = title;
    return badge;
  });
  $('badges').replaceChildren(...badges);
  const line = $('line');
  line.textContent = `Line ${state.line.state}`;
  line.className = `line ${state.line.state}`;
  line.title = state.line.address;
}

export function showSalvos(state, canRoute, fire) {
  const items = state.salvos.map((salvo) => {
    const item = make('li');
    const button = make('button', 'Fire');
    button.disabled = !canRoute;
    button.title = `Send the ${salvo.routes} routes of ${salvo.name}`;
    button.addEventListener('click', () => fire(salvo.name));
    item.append(make('span', salvo.name), button);
    return item;
  });
  $('salvos').replaceChildren(...(items.length ? items : [make('li', 'No salvos')]));
}

export function showBatch(batch, canRoute, retry) {
  $('batch').hidden = !batch;
  if (!batch) return;
  $('batchTitle').textContent = batch.title;
  $('batchBar').max = Math.max(1, batch.total);
  $('batchBar').value = batch.done;
  $('batchText').textContent = batch.running ? batch.progress : batch.result;
  const problems = (batch.problems || []).map((p) =>
    make('li', `Output ${p.output + 1} to input ${p.input + 1}: ${p.result}: ${p.why}`, p.result));
  $('problems').replaceChildren(...problems);
  const button = $('retry');
  button.hidden = batch.running || !batch.failed;
  button.disabled = !canRoute;
  button.onclick = () => retry(batch.id);
}

export function showLegend() {
  const samples = [
    ['Confirmed', { pic: 'all' }], ['Pending (asked for)', { ring: true }],
    ['Failed', { pic: 'all', truth: 'failed' }], ['Stale', { pic: 'all', truth: 'stale' }],
    ['Take preset', { preset: true }]];
  for (const [text, cell] of samples) {
    const canvas = make('canvas');
    const ratio = devicePixelRatio || 1;
    canvas.width = canvas.height = 28 * ratio;
    canvas.style.width = canvas.style.height = '28px';
    const ctx = canvas.getContext('2d');
    ctx.scale(ratio, ratio);
    ctx.fillStyle = '#2e2e2e'; ctx.fillRect(0, 0, 28, 28);
    paintCell(ctx, 0, 0, 28, cell);
    const row = make('div');
    row.append(canvas, make('span', text));
    $('legend').append(row);
  }
}

// Pick an output, see what it holds, pick a new input.
export function showPhone(model, rows, choose, lock) {
  const st = model.state, select = $('phoneOutput');
  const owned = st.routes.map((r, o) => (r ? o : -1)).filter((o) => o >= 0);
  if (select.options.length !== owned.length || [...select.options].some((opt, n) => opt.textContent !== `${owned[n] + 1} ${st.outputs[owned[n]]}`)) {
    const keep = select.value;
    select.replaceChildren(...owned.map((o) => { const opt = make('option', `${o + 1} ${st.outputs[o]}`); opt.value = o; return opt; }));
    if (keep !== '' && owned.includes(Number(keep))) select.value = keep;
  }
  const output = Number(select.value);
  const route = st.routes[output];
  if (!route) { $('phoneNow').textContent = 'No output'; $('phoneInputs').replaceChildren(); return; }
  const level = model.level === 2 ? route.audio : route.video;
  const state = model.connected ? level.state : 'stale';
  let now = level.input >= 0 ? `Holds input ${level.input + 1} ${st.inputs[level.input]}` : 'Holds nothing known';
  if (state === 'pending') now += `; asked for input ${level.asked + 1}, pending`;
  else if (state !== 'confirmed') now += ` (${state}${level.why ? `: ${level.why}` : ''})`;
  $('phoneNow').textContent = now;
  const holder = st.locks[output], me = model.session ? model.session.owner : -1;
  const lockButton = $('phoneLock');
  lockButton.textContent = holder ? (holder.owner === me ? 'Unlock' : `Locked by ${holder.name}`) : 'Lock';
  lockButton.disabled = !model.session.route || (holder && holder.owner !== me);
  lockButton.onclick = () => lock(output);
  const preset = model.presets.get(`${output}:${model.level === 2 ? 2 : 1}`);
  const items = rows.map((i) => {
    const button = make('button', `${i + 1} ${st.inputs[i]}`);
    if (i === level.input) button.classList.add(state === 'pending' ? 'confirmed' : state);
    if (state === 'pending' && i === level.asked) button.classList.add('pending');
    if (i === preset) button.classList.add('preset');
    button.disabled = !model.session.route;
    button.addEventListener('click', () => choose(output, i));
    const item = make('li');
    item.append(button);
    return item;
  });
  $('phoneInputs').replaceChildren(...items);
}
