// Lumora web remote: signs in with the desk's PIN, then shows the play
// desk's state as the desk sends it and sends the operator's actions.
// Plain JavaScript, no libraries: the page works without any network but
// the desk's.
'use strict';

(function () {
  const $ = (id) => document.getElementById(id);
  const FADERS = 12, BUTTONS = 16, SEND_MS = 50;  // at most 20 messages a second per control
  let ws = null, retry = null, state = null, signedOut = false;

  // --- signing in ----------------------------------------------------------
  function showLogin(message) {
    $('remote').hidden = true;
    $('login').hidden = false;
    $('loginError').textContent = message || '';
    $('pin').focus();
  }
  function showRemote() {
    $('login').hidden = true;
    $('remote').hidden = false;
  }
  $('loginForm').addEventListener('submit', async (e) => {
    e.preventDefault();
    const pin = $('pin').value.trim();
    if (!/^[0-9]{6}$/.test(pin)) { $('loginError').textContent = 'The PIN has 6 digits.'; return; }
    let r;
    try {
      r = await fetch('/login', { method: 'POST', headers: { 'Content-Type': 'application/json' },
                                  body: JSON.stringify({ pin: pin }), credentials: 'same-origin' });
    } catch (err) { $('loginError').textContent = 'The desk does not answer.'; return; }
    $('pin').value = '';
    if (r.ok) { signedOut = false; showRemote(); connect(); return; }
    $('loginError').textContent = r.status === 401 ? 'Wrong PIN.'
      : r.status === 429 ? 'Too many wrong PINs: wait a minute, then try again.'
      : 'Refused (' + r.status + ').';
  });

  // --- the connection ------------------------------------------------------
  function setConn(on) {
    $('conn').textContent = on ? 'connected' : 'offline';
    $('conn').className = 'conn ' + (on ? 'on' : 'off');
  }
  function connect() {
    if (ws) return;
    clearTimeout(retry);
    ws = new WebSocket((location.protocol === 'https:' ? 'wss://' : 'ws://') + location.host + '/ws');
    ws.onopen = () => setConn(true);
    ws.onmessage = (m) => {
      let s;
      try { s = JSON.parse(m.data); } catch (err) { return; }
      if (s && s.error === undefined) render(s);
    };
    ws.onclose = (e) => {
      ws = null;
      setConn(false);
      if (e.code === 1008 && e.reason === 'not signed in') { signedOut = true; showLogin('Signed out: enter the PIN again.'); return; }
      if (!signedOut) retry = setTimeout(check, 1000);
    };
  }
  function send(msg) {
    if (ws && ws.readyState === WebSocket.OPEN) ws.send(JSON.stringify(msg));
  }
  async function check() {
    try {
      const r = await fetch('/session', { credentials: 'same-origin' });
      if (r.ok) { showRemote(); connect(); } else showLogin();
    } catch (err) { setConn(false); retry = setTimeout(check, 2000); }
  }

  // --- sending a moving control: the latest value, at most every 50 ms -------
  function throttled(makeMsg) {
    let last = 0, timer = null, value = null;
    function flush() { timer = null; last = Date.now(); send(makeMsg(value)); }
    return (v) => {
      value = v;
      const wait = SEND_MS - (Date.now() - last);
      if (wait <= 0 && !timer) flush();
      else if (!timer) timer = setTimeout(flush, Math.max(wait, 0));
    };
  }
  // A control the operator holds is not moved by the desk's echo.
  const holding = new Set();
  function hold(el) {
    el.addEventListener('pointerdown', () => holding.add(el));
    const up = () => setTimeout(() => holding.delete(el), 150);
    el.addEventListener('pointerup', up);
    el.addEventListener('pointercancel', up);
    el.addEventListener('blur', up);
  }

  // --- building the page -----------------------------------------------------
  const buttonEls = [], faderEls = [];
  for (let i = 0; i < BUTTONS; i++) {
    const b = document.createElement('button');
    b.className = 'pb';
    b.id = 'button' + i;
    let down = false;
    const press = (e) => { e.preventDefault(); if (down) return; down = true;
      if (e.pointerId !== undefined && b.setPointerCapture) b.setPointerCapture(e.pointerId);
      send({ op: 'button', slot: i, down: true }); };
    const release = () => { if (!down) return; down = false; send({ op: 'button', slot: i, down: false }); };
    b.addEventListener('pointerdown', press);
    b.addEventListener('pointerup', release);
    b.addEventListener('pointercancel', release);
    b.addEventListener('contextmenu', (e) => e.preventDefault());
    b.addEventListener('keydown', (e) => { if (e.key === ' ' || e.key === 'Enter') { if (!e.repeat) { down = true; send({ op: 'button', slot: i, down: true }); } e.preventDefault(); } });
    b.addEventListener('keyup', (e) => { if (e.key === ' ' || e.key === 'Enter') release(); });
    $('buttons').appendChild(b);
    buttonEls.push(b);
  }
  for (let i = 0; i < FADERS; i++) {
    const box = document.createElement('div');
    box.className = 'fader';
    const name = document.createElement('span');
    name.className = 'fname';
    const input = document.createElement('input');
    input.type = 'range'; input.min = 0; input.max = 255; input.step = 1; input.value = 0;
    input.id = 'fader' + i;
    input.setAttribute('aria-label', 'Fader ' + (i + 1));
    const level = document.createElement('span');
    level.className = 'flevel';
    level.textContent = '0';
    const sendFader = throttled((v) => ({ op: 'fader', slot: i, value: v }));
    input.addEventListener('input', () => { level.textContent = input.value; sendFader(Number(input.value)); });
    hold(input);
    box.append(name, input, level);
    $('faders').appendChild(box);
    faderEls.push({ box, name, input, level });
  }
  const sendXfade = throttled((v) => ({ op: 'xfade', value: v }));
  $('xfade').addEventListener('input', () => sendXfade(Number($('xfade').value)));
  hold($('xfade'));
  const sendMain = throttled((v) => ({ op: 'main', value: v }));
  $('main').addEventListener('input', () => { $('mainLevel').textContent = $('main').value; sendMain(Number($('main').value)); });
  hold($('main'));
  $('run').addEventListener('click', () => send({ op: 'run' }));
  $('take').addEventListener('click', () => send({ op: 'take' }));
  $('pagePrev').addEventListener('click', () => send({ op: 'page', value: -1 }));
  $('pageNext').addEventListener('click', () => send({ op: 'page', value: 1 }));
  $('clearAll').addEventListener('click', () => {
    if (window.confirm('Clear all play-desk faders, buttons and desk channels?')) send({ op: 'clear_all' });
  });

  // --- drawing the desk's state ----------------------------------------------
  function text(el, t) { if (el.textContent !== t) el.textContent = t; }
  // The desk's colour as the background, with text that stays readable on it.
  function colour(el, c) {
    if (el.dataset.colour === c) return;
    el.dataset.colour = c;
    el.style.backgroundColor = c;
    let ink = '';
    if (/^#[0-9a-f]{6}$/.test(c)) {
      const v = (i) => parseInt(c.substr(i, 2), 16);
      ink = 0.299 * v(1) + 0.587 * v(3) + 0.114 * v(5) > 150 ? '#111' : '#fff';
    }
    el.style.color = ink;
  }
  function slider(el, v) { if (!holding.has(el) && Number(el.value) !== v) el.value = v; }
  function render(s) {
    state = s;
    text($('status'), (s.status || '').trim());
    text($('liveNum'), String(s.live.num));
    text($('liveName'), s.live.name);
    text($('nextNum'), String(s.next.num));
    text($('nextName'), s.next.name);
    text($('run'), s.runCaption);
    $('run').classList.toggle('run-on', s.run);
    text($('take'), s.takeCaption);
    $('take').disabled = !s.run;
    slider($('xfade'), s.xfade);
    $('xfade').disabled = !s.run;
    text($('pageTitle'), s.page.title);
    $('pagePrev').disabled = !s.page.prev;
    $('pageNext').disabled = !s.page.next;
    s.buttons.forEach((b, i) => {
      const el = buttonEls[i];
      text(el, b.name);
      colour(el, b.color || '');
      el.classList.toggle('on', b.on);
      el.setAttribute('aria-pressed', b.on ? 'true' : 'false');
    });
    s.faders.forEach((f, i) => {
      const el = faderEls[i];
      text(el.name, f.name || f.func);
      el.name.title = f.func;
      if (!holding.has(el.input)) text(el.level, String(f.level));
      slider(el.input, f.level);
      el.box.style.borderTopColor = f.color || 'transparent';
    });
    slider($('main'), s.main);
    if (!holding.has($('main'))) text($('mainLevel'), String(s.main));
    document.body.dataset.screen = String(s.screen);
  }

  check();
})();
