// The crosspoint grid: one canvas that draws only the cells in view (a 128 x 128 matrix costs
// no more elements than a 16 x 16 one), the input and output names as sticky headers beside
// it. Markers are drawn as the window draws them: a dot for the input that holds (V and A
// when video and audio come from different inputs), a dashed ring for the input asked for
// while the route is pending, a red corner when the last route failed, a washed-out hatch
// when the router stopped answering, a square frame for a take preset.

const C = {
  grid: '#2e2e2e', line: '#3c3c3c', major: '#565656', video: '#f2b134', audio: '#52b4f5',
  all: '#5cd16e', pending: '#f0c040', failed: '#e84030', stale: '#707078', hot: 'rgba(255,255,255,0.08)'
};

function shade(hex, f) {
  const n = parseInt(hex.slice(1), 16);
  const ch = (s) => Math.max(0, Math.min(255, Math.round(((n >> s) & 255) * f)));
  return `rgb(${ch(16)},${ch(8)},${ch(0)})`;
}

// Paints one cell at (x, y) of side s: what it holds, then how far that can be trusted.
export function paintCell(ctx, x, y, s, cell) {
  const cx = x + s / 2, cy = y + s / 2;
  if (!cell || !cell.pic) {
    ctx.fillStyle = C.major;
    ctx.beginPath(); ctx.arc(cx, cy, s * 0.06, 0, 2 * Math.PI); ctx.fill();
  } else {
    const r = s * 0.34, colour = C[cell.pic];
    const fill = ctx.createRadialGradient(cx - r * 0.35, cy - r * 0.35, 0, cx - r * 0.35, cy - r * 0.35, r * 1.6);
    fill.addColorStop(0, shade(colour, 1.25)); fill.addColorStop(1, shade(colour, 0.87));
    ctx.fillStyle = fill; ctx.strokeStyle = shade(colour, 0.62); ctx.lineWidth = Math.max(1, s * 0.04);
    ctx.beginPath(); ctx.arc(cx, cy, r, 0, 2 * Math.PI); ctx.fill(); ctx.stroke();
    if (cell.pic !== 'all') {
      ctx.fillStyle = '#202020'; ctx.font = `bold ${Math.round(r * 1.2)}px sans-serif`;
      ctx.textAlign = 'center'; ctx.textBaseline = 'middle';
      ctx.fillText(cell.pic === 'video' ? 'V' : 'A', cx, cy + 1);
    }
  }
  const pen = Math.max(1, s * 0.07);
  if (cell && cell.truth === 'failed') {
    const t = s * 0.5;
    ctx.fillStyle = C.failed; ctx.strokeStyle = '#202020'; ctx.lineWidth = Math.max(1, s * 0.04);
    ctx.beginPath(); ctx.moveTo(x + s, y); ctx.lineTo(x + s - t, y); ctx.lineTo(x + s, y + t); ctx.closePath();
    ctx.fill(); ctx.stroke();
  }
  if (cell && cell.truth === 'stale') {
    ctx.save(); ctx.beginPath(); ctx.rect(x, y, s, s); ctx.clip();
    ctx.fillStyle = 'rgba(46,46,46,0.67)'; ctx.fillRect(x, y, s, s);
    ctx.strokeStyle = C.stale; ctx.lineWidth = Math.max(1, s * 0.04);
    ctx.beginPath();
    for (let d = -s; d < s; d += s / 4) { ctx.moveTo(x + d, y + s); ctx.lineTo(x + d + s, y); }
    ctx.stroke(); ctx.restore();
  }
  if (cell && cell.ring) {
    ctx.strokeStyle = C.pending; ctx.lineWidth = pen; ctx.setLineDash([2 * pen, 1.5 * pen]);
    ctx.beginPath(); ctx.arc(cx, cy, s * 0.32, 0, 2 * Math.PI); ctx.stroke(); ctx.setLineDash([]);
  }
  if (cell && cell.preset) {
    const h = s * 0.3;
    ctx.strokeStyle = C.pending; ctx.lineWidth = pen; ctx.strokeRect(cx - h, cy - h, 2 * h, 2 * h);
  }
}

// What a column shows, input by input: { pic, truth, ring, preset } for each marked input.
export function columnCells(route, presets, output, connected) {
  const cells = new Map();
  const at = (i) => { if (!cells.has(i)) cells.set(i, {}); return cells.get(i); };
  if (route) {
    const { video: v, audio: a } = route;
    const split = v.input !== a.input;
    // What holds keeps its marker while a route is pending; the asked-for input gets the ring.
    const holding = (state) => (!connected ? 'stale' : state === 'pending' || state === 'confirmed' ? null : state);
    if (v.input >= 0) Object.assign(at(v.input), { pic: split ? 'video' : 'all', truth: holding(v.state) });
    if (split && a.input >= 0) Object.assign(at(a.input), { pic: 'audio', truth: holding(a.state) });
    if (connected) {
      for (const level of [v, a]) if (level.state === 'pending' && level.asked >= 0) at(level.asked).ring = true;
    }
  }
  for (const level of [1, 2]) {
    const input = presets.get(`${output}:${level}`);
    if (input !== undefined) at(input).preset = true;
  }
  return cells;
}

// The one word a test or a tooltip uses for a cell.
export function markOf(cell) {
  if (!cell) return 'none';
  if (cell.ring) return 'pending';
  if (cell.truth) return cell.truth;
  if (cell.pic) return 'confirmed';
  return cell.preset ? 'preset' : 'none';
}

export class Grid {
  constructor({ onCell, onLock }) {
    this.el = (id) => document.getElementById(id);
    this.scroller = this.el('scroller');
    this.cells = this.el('cells');
    this.canvas = this.el('canvas');
    this.colHeads = this.el('colHeads');
    this.rowHeads = this.el('rowHeads');
    this.onCell = onCell;
    this.onLock = onLock;
    this.rows = []; this.cols = [];
    this.model = null;
    this.hot = null;
    this.frame = 0;
    this.drawMs = 0;
    this.drawn = new Map();
    this.history = new Map();
    this.scroller.addEventListener('scroll', () => this.schedule(), { passive: true });
    addEventListener('resize', () => this.schedule());
    this.canvas.addEventListener('mousemove', (e) => this.hover(e));
    this.canvas.addEventListener('mouseleave', () => this.setHot(null));
    this.canvas.addEventListener('click', (e) => {
      const hit = this.hit(e);
      if (hit) this.onCell(hit.output, hit.input);
    });
  }

  get size() { return parseInt(getComputedStyle(document.documentElement).getPropertyValue('--cell'), 10) || 28; }

  // The rows and columns to show (logical numbers) and what to draw; headers are rebuilt
  // when names, locks or the filter changed.
  show(model, rows, cols, headersChanged) {
    this.model = model;
    if (headersChanged || rows.join() !== this.rows.join() || cols.join() !== this.cols.join()) {
      this.rows = rows; this.cols = cols;
      this.buildHeaders();
    }
    this.schedule();
  }

  buildHeaders() {
    const s = this.size, st = this.model.state, me = this.model.session ? this.model.session.owner : -1;
    this.cells.style.width = `${this.cols.length * s}px`;
    this.cells.style.height = `${this.rows.length * s}px`;
    this.colHeads.style.width = `${this.cols.length * s}px`;
    this.rowHeads.style.height = `${this.rows.length * s}px`;
    const cols = this.cols.map((o, c) => {
      const head = document.createElement('div');
      head.className = 'col'; head.style.left = `${c * s}px`; head.dataset.output = o;
      const lock = document.createElement('button');
      const holder = st.locks[o];
      lock.className = 'lock' + (holder ? (holder.owner === me ? ' mine' : ' other') : '');
      lock.title = holder ? `Output ${o + 1} is locked by ${holder.name}` : `Lock output ${o + 1}`;
      lock.disabled = !this.model.session || !this.model.session.route || !st.routes[o];
      lock.addEventListener('click', () => this.onLock(o));
      const number = document.createElement('i');
      number.textContent = `${o + 1} `;
      head.append(lock, number, st.outputs[o]);
      head.title = `Output ${o + 1}: ${st.outputs[o]}`;
      return head;
    });
    this.colHeads.replaceChildren(...cols);
    const rows = this.rows.map((i, r) => {
      const head = document.createElement('div');
      head.className = 'row'; head.style.top = `${r * s}px`; head.dataset.input = i;
      const number = document.createElement('i');
      number.textContent = `${i + 1} `;
      head.append(number, st.inputs[i]);
      head.title = `Input ${i + 1}: ${st.inputs[i]}`;
      return head;
    });
    this.rowHeads.replaceChildren(...rows);
  }

  schedule() {
    if (!this.pending) this.pending = requestAnimationFrame(() => { this.pending = 0; this.draw(); });
  }

  // Where the canvas stands over the whole grid, in CSS pixels.
  origin() {
    const c = this.canvas.getBoundingClientRect(), p = this.cells.getBoundingClientRect();
    return { x: c.left - p.left, y: c.top - p.top, left: c.left, top: c.top };
  }

  draw() {
    if (!this.model || !this.model.state) return;
    const started = performance.now();
    const s = this.size, st = this.model.state;
    const head = this.rowHeads.offsetWidth, top = this.colHeads.offsetHeight;
    const w = Math.max(1, Math.min(this.cols.length * s, this.scroller.clientWidth - head));
    const h = Math.max(1, Math.min(this.rows.length * s, this.scroller.clientHeight - top));
    const ratio = devicePixelRatio || 1;
    if (this.canvas.width !== Math.round(w * ratio) || this.canvas.height !== Math.round(h * ratio)) {
      this.canvas.width = Math.round(w * ratio); this.canvas.height = Math.round(h * ratio);
      this.canvas.style.width = `${w}px`; this.canvas.style.height = `${h}px`;
    }
    const ctx = this.canvas.getContext('2d');
    ctx.setTransform(ratio, 0, 0, ratio, 0, 0);
    const o = this.origin();
    const c0 = Math.max(0, Math.floor(o.x / s)), c1 = Math.min(this.cols.length, Math.ceil((o.x + w) / s));
    const r0 = Math.max(0, Math.floor(o.y / s)), r1 = Math.min(this.rows.length, Math.ceil((o.y + h) / s));
    ctx.fillStyle = C.grid; ctx.fillRect(0, 0, w, h);
    if (this.hot) {
      ctx.fillStyle = C.hot;
      ctx.fillRect(this.hot.c * s - o.x, 0, s, h); ctx.fillRect(0, this.hot.r * s - o.y, w, s);
    }
    ctx.lineWidth = 1;
    for (let c = c0; c <= c1; c++) {
      ctx.strokeStyle = this.cols[c] % 4 === 0 ? C.major : C.line;
      ctx.beginPath(); ctx.moveTo(c * s - o.x + 0.5, 0); ctx.lineTo(c * s - o.x + 0.5, h); ctx.stroke();
    }
    for (let r = r0; r <= r1; r++) {
      ctx.strokeStyle = this.rows[r] % 4 === 0 ? C.major : C.line;
      ctx.beginPath(); ctx.moveTo(0, r * s - o.y + 0.5); ctx.lineTo(w, r * s - o.y + 0.5); ctx.stroke();
    }
    for (let c = c0; c < c1; c++) {
      const output = this.cols[c];
      const marked = columnCells(st.routes[output], this.model.presets, output, this.model.connected);
      for (let r = r0; r < r1; r++) {
        const input = this.rows[r];
        const cell = st.routes[output] ? marked.get(input) : null;
        paintCell(ctx, c * s - o.x, r * s - o.y, s, cell);
        this.note(output, input, markOf(cell));
      }
    }
    this.frame++;
    const ended = performance.now();
    this.drawMs = ended - started;
    if (!this.firstDrawAt) this.firstDrawAt = ended;
    if (this.model.changedAt) { this.changeToDraw = ended - this.model.changedAt; this.model.changedAt = 0; }
  }

  // What each drawn cell last showed, and the marks it went through, for tests.
  note(output, input, mark) {
    const key = `${output},${input}`;
    if (this.drawn.get(key) === mark) return;
    this.drawn.set(key, mark);
    const seen = this.history.get(key) || [];
    seen.push(mark);
    this.history.set(key, seen.slice(-8));
  }

  hit(e) {
    const s = this.size, o = this.origin();
    const c = Math.floor((e.clientX - o.left + o.x) / s), r = Math.floor((e.clientY - o.top + o.y) / s);
    if (c < 0 || r < 0 || c >= this.cols.length || r >= this.rows.length) return null;
    return { c, r, output: this.cols[c], input: this.rows[r] };
  }

  // The centre of a cell in the window's coordinates, scrolled into view first.
  cellCenter(output, input) {
    const c = this.cols.indexOf(output), r = this.rows.indexOf(input), s = this.size;
    if (c < 0 || r < 0) return null;
    this.scroller.scrollTo(Math.max(0, c * s - 2 * s), Math.max(0, r * s - 2 * s));
    this.draw();
    const o = this.origin();
    return { x: o.left + c * s - o.x + s / 2, y: o.top + r * s - o.y + s / 2 };
  }

  hover(e) {
    const hit = this.hit(e);
    this.setHot(hit);
    if (!hit || !this.model) return;
    const st = this.model.state;
    const cell = columnCells(st.routes[hit.output], this.model.presets, hit.output, this.model.connected).get(hit.input);
    const level = st.routes[hit.output] ? st.routes[hit.output].video : null;
    let text = `Input ${hit.input + 1} (${st.inputs[hit.input]}) to output ${hit.output + 1} (${st.outputs[hit.output]})`;
    const mark = markOf(cell);
    if (mark !== 'none') text += `: ${mark}`;
    if (mark === 'failed' && level && level.why) text += ` (${level.why})`;
    this.canvas.title = text;
  }

  setHot(hit) {
    const same = hit && this.hot && hit.c === this.hot.c && hit.r === this.hot.r;
    if (same || (!hit && !this.hot)) return;
    for (const el of document.querySelectorAll('.hot')) el.classList.remove('hot');
    this.hot = hit ? { c: hit.c, r: hit.r } : null;
    if (hit) {
      const col = this.colHeads.children[hit.c], row = this.rowHeads.children[hit.r];
      if (col) col.classList.add('hot');
      if (row) row.classList.add('hot');
    }
    this.schedule();
  }
}
