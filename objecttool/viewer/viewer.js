// Object movie viewer. The views form a grid: columns turn the object, rows
// tilt it. Frames arrive as bytes in a text block, are decoded nearest-first
// from the current view (the far ones when the page is idle), and a view is
// painted only once its frame is decoded, so the picture is never blank or
// behind the state shown in data-column / data-row and aria-valuetext.
(function () {
  'use strict';
  var cfg = JSON.parse(document.getElementById('ov-config').textContent);
  var view = document.querySelector('.ov-view');
  var poster = view.querySelector('img');
  var canvas = view.querySelector('canvas');
  var ctx = canvas.getContext('2d');
  var bar = document.querySelector('.ov-bar');
  var spinButton = bar.querySelector('.ov-spin');
  var N = cfg.columns, M = cfg.rows, total = N * M;
  var reduced = window.matchMedia('(prefers-reduced-motion: reduce)');

  // ---- Frame bytes ----
  // The page is windows-1252, whose bytes 0x80-0x9F arrive as these code
  // points; '=' escapes the four bytes HTML would not keep (NUL, CR, '<', '=')
  // and every byte was XORed with a key chosen to need the fewest escapes.
  var HIGH = [0x20AC, 0x81, 0x201A, 0x192, 0x201E, 0x2026, 0x2020, 0x2021, 0x2C6, 0x2030, 0x160, 0x2039,
    0x152, 0x8D, 0x17D, 0x8F, 0x90, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x2DC, 0x2122,
    0x161, 0x203A, 0x153, 0x9D, 0x17E, 0x178];
  function pageBytes(text) {
    var back = {}, out = new Uint8Array(text.length), n = 0, i, c;
    HIGH.forEach(function (code, k) { back[code] = 0x80 + k; });
    for (i = 0; i < text.length; i++) {
      c = text.charCodeAt(i);
      if (c === 0x3D) c = text.charCodeAt(++i) ^ 0x40;
      else if (c > 0xFF) c = back[c];
      out[n++] = c ^ cfg.key;
    }
    return out;
  }
  var block = document.getElementById('ov-frames');
  var bytes = pageBytes(block.textContent), blobs = [], at = 0;
  block.remove();
  cfg.frames.forEach(function (size) {
    blobs.push(new Blob([bytes.subarray(at, at + size)], { type: 'image/jpeg' }));
    at += size;
  });
  bytes = null;

  // ---- Decoding, nearest first ----
  var bitmaps = [], started = [], busy = 0, ready = 0, idleAsked = false;
  var NEAR = 3, PARALLEL = 4;
  var col = cfg.column, row = cfg.row, shown = -1;
  var target = col + row * N;  // the view asked for; painted once decoded
  function distance(i, c, r) {
    var dc = Math.abs(i % N - c), dr = Math.abs(Math.floor(i / N) - r);
    return (cfg.wrap ? Math.min(dc, N - dc) : dc) + dr;
  }
  function nearest() {
    var c = target % N, r = (target - c) / N, best = -1, bestDistance = Infinity, i, d;
    for (i = 0; i < total; i++) {
      if (started[i]) continue;
      d = distance(i, c, r);
      if (d < bestDistance) { best = i; bestDistance = d; }
    }
    return { index: best, distance: bestDistance };
  }
  function whenIdle(f) {
    if (window.requestIdleCallback) requestIdleCallback(f, { timeout: 300 });
    else setTimeout(f, 30);
  }
  // Decoded frames are kept within a memory budget: past it, idle decoding
  // stops and a near frame takes the place of the one farthest from the view.
  var BUDGET = Math.max(8, Math.floor((256 << 20) / (cfg.width * cfg.height * 4)));
  function pump(idle) {
    while (busy < PARALLEL) {
      var next = nearest();
      if (next.index < 0) return;
      if (next.distance > NEAR && (!idle || ready + busy >= BUDGET)) {
        if (!idle && !idleAsked && ready + busy < BUDGET) {
          idleAsked = true;
          whenIdle(function () { idleAsked = false; pump(true); });
        }
        return;
      }
      if (ready + busy >= BUDGET && !evictFarther(next.distance)) return;
      decode(next.index);
    }
  }
  function evictFarther(than) {
    var c = target % N, r = (target - c) / N, worst = -1, i;
    for (i = 0; i < total; i++) {
      if (bitmaps[i] && (worst < 0 || distance(i, c, r) > distance(worst, c, r))) worst = i;
    }
    if (worst < 0 || distance(worst, c, r) <= than) return false;
    bitmaps[worst].close();
    bitmaps[worst] = started[worst] = null;
    view.dataset.ready = --ready;
    return true;
  }
  function decode(i) {
    started[i] = true;
    busy++;
    createImageBitmap(blobs[i]).then(function (bitmap) {
      bitmaps[i] = bitmap;
      view.dataset.ready = ++ready;
    }, function () {
      view.dataset.failed = i;
    }).then(function () {
      busy--;
      if (i === target) paintTarget();
      pump(false);
    });
  }

  // ---- Painting and state ----
  var eyes = cfg.stereo || 'mono';
  function paintTarget() {
    var b = bitmaps[target], w = cfg.width, h = cfg.height, half = Math.floor(w / 2);
    if (!b) return;
    if (eyes === 'one') ctx.drawImage(b, cfg.stereo === 'parallel' ? 0 : w - half, 0, half, h, 0, 0, half, h);
    else if (eyes !== cfg.stereo && eyes !== 'mono') {
      ctx.drawImage(b, w - half, 0, half, h, 0, 0, half, h);
      ctx.drawImage(b, 0, 0, w - half, h, half, 0, w - half, h);
    } else ctx.drawImage(b, 0, 0);
    poster.hidden = true;
    shown = target;
    col = target % N;
    row = (target - col) / N;
    view.dataset.shown = shown;
    view.dataset.column = col;
    view.dataset.row = row;
    view.setAttribute('aria-valuenow', shown + 1);
    view.setAttribute('aria-valuetext', 'column ' + (col + 1) + ' of ' + N + ', row ' + (row + 1) + ' of ' + M);
  }
  function setEyes(choice) {
    var w = choice === 'one' ? Math.floor(cfg.width / 2) : cfg.width;
    eyes = choice;
    canvas.width = w;
    view.style.aspectRatio = w + '/' + cfg.height;
    view.style.maxWidth = w + 'px';
    paintTarget();
  }

  // ---- Moving: fc and fr are the continuous column and row ----
  var fc = col, fr = row;
  function clamp(v, low, high) { return Math.max(low, Math.min(high, v)); }
  function moveTo(c, r) {
    fc = cfg.wrap ? ((c % N) + N) % N : clamp(c, 0, N - 1);
    fr = clamp(r, 0, M - 1);
    var next = Math.round(fc) % N + Math.round(fr) * N;
    if (next === target) return;
    target = next;
    if (bitmaps[target]) paintTarget();
    else pump(false);
  }
  function moveBy(dc, dr) { moveTo(fc + dc, fr + dr); }

  var motion = 0;  // the animation frame of a spin or inertia
  function animate(step) {
    var last = performance.now();
    cancelAnimationFrame(motion);
    motion = requestAnimationFrame(function tick(now) {
      var dt = Math.min(now - last, 100);
      last = now;
      motion = step(dt) ? requestAnimationFrame(tick) : 0;
    });
  }
  function stopMotion() {
    cancelAnimationFrame(motion);
    motion = 0;
    spinButton.setAttribute('aria-pressed', 'false');
  }
  var spinDirection = 1;
  function spin() {
    spinButton.setAttribute('aria-pressed', 'true');
    animate(function (dt) {
      var c = fc + spinDirection * dt / (cfg.step * 1000);
      if (!cfg.wrap && (c < 0 || c > N - 1)) spinDirection = -spinDirection;
      moveTo(c, fr);
      return true;
    });
  }
  function glide(vc, vr) {
    animate(function (dt) {
      moveBy(vc * dt, vr * dt);
      var decay = Math.exp(-dt / 325);
      vc *= decay;
      vr *= decay;
      return Math.abs(vc) + Math.abs(vr) > 0.002;
    });
  }

  // ---- Dragging: a step is a column or a row. Columns go round the object
  // so that its front moves left, rows downwards; a drag moves the front
  // with the pointer. ----
  var drag = null;
  function stepPixels() { return clamp(view.clientWidth / N, 6, 30); }
  function dragStart(x, y, t) {
    stopMotion();
    drag = { x: x, y: y, t: t, vc: 0, vr: 0 };
  }
  function dragMove(x, y, t) {
    var px = stepPixels(), dc = -(x - drag.x) / px, dr = -(y - drag.y) / px, dt = Math.max(t - drag.t, 1);
    drag.vc = 0.7 * drag.vc + 0.3 * dc / dt;
    drag.vr = 0.7 * drag.vr + 0.3 * dr / dt;
    drag.x = x;
    drag.y = y;
    drag.t = t;
    moveBy(dc, dr);
  }
  function dragEnd(t) {
    var d = drag;
    drag = null;
    if (!d || reduced.matches || t - d.t > 80) return;
    if (Math.abs(d.vc) + Math.abs(d.vr) > 0.005) glide(d.vc, d.vr);
  }

  view.addEventListener('pointerdown', function (e) {
    if (e.pointerType === 'touch' || e.button !== 0) return;
    view.setPointerCapture(e.pointerId);
    dragStart(e.clientX, e.clientY, e.timeStamp);
  });
  view.addEventListener('pointermove', function (e) {
    if (drag && e.pointerType !== 'touch') dragMove(e.clientX, e.clientY, e.timeStamp);
  });
  ['pointerup', 'pointercancel'].forEach(function (type) {
    view.addEventListener(type, function (e) { if (e.pointerType !== 'touch') dragEnd(e.timeStamp); });
  });

  // Touch leaves vertical swipes to the page: a drag that starts sideways
  // turns the object; one that starts up or down scrolls, unless the viewer
  // has several rows and the finger first rested still for HOLD ms.
  var HOLD = 300, touch = null;
  view.addEventListener('touchstart', function (e) {
    var t = e.touches[0];
    stopMotion();
    touch = e.touches.length === 1 ? { x: t.clientX, y: t.clientY, t: e.timeStamp, ours: false } : null;
  }, { passive: true });
  view.addEventListener('touchmove', function (e) {
    if (!touch) return;
    var t = e.touches[0], dx = Math.abs(t.clientX - touch.x), dy = Math.abs(t.clientY - touch.y);
    if (!touch.ours) {
      if (dx < 4 && dy < 4) return;
      if (dx < dy && (M < 2 || e.timeStamp - touch.t < HOLD)) { touch = null; return; }
      touch.ours = true;
      dragStart(touch.x, touch.y, touch.t);
    }
    e.preventDefault();
    dragMove(t.clientX, t.clientY, e.timeStamp);
  }, { passive: false });
  ['touchend', 'touchcancel'].forEach(function (type) {
    view.addEventListener(type, function (e) {
      if (touch && touch.ours) dragEnd(e.timeStamp);
      touch = null;
    });
  });
  view.addEventListener('contextmenu', function (e) { if (touch) e.preventDefault(); });

  // Wheel: sideways turns; up and down tilt, and at the first or last row
  // the page scrolls on.
  view.addEventListener('wheel', function (e) {
    var unit = e.deltaMode === 1 ? 20 : e.deltaMode === 2 ? 400 : 1;
    var dx = e.deltaX * unit / 50, dy = e.deltaY * unit / 50, before = fr;
    if (Math.abs(dx) > Math.abs(dy)) moveBy(dx, 0);
    else if (M > 1) moveBy(0, dy);
    else return;
    if (Math.abs(dx) > Math.abs(dy) || fr !== before) {
      stopMotion();
      e.preventDefault();
    }
  }, { passive: false });

  // Keys act only while the viewer has focus, each turning the object the
  // way it points, as a drag that way would.
  view.addEventListener('keydown', function (e) {
    var c = Math.round(fc), r = Math.round(fr), k = e.key;
    if (e.altKey || e.ctrlKey || e.metaKey) return;
    if (k === 'ArrowRight') c--;
    else if (k === 'ArrowLeft') c++;
    else if (k === 'ArrowUp') r++;
    else if (k === 'ArrowDown') r--;
    else if (k === 'Home') c = 0;
    else if (k === 'End') c = N - 1;
    else return;
    e.preventDefault();
    stopMotion();
    moveTo(c, r);
  });

  // ---- Controls ----
  bar.hidden = false;
  spinButton.addEventListener('click', function () {
    if (motion && spinButton.getAttribute('aria-pressed') === 'true') stopMotion();
    else spin();
  });
  if (cfg.stereo) {
    var eyesChoice = bar.querySelector('.ov-eyes');
    var select = eyesChoice.querySelector('select');
    eyesChoice.hidden = false;
    select.value = cfg.stereo;
    select.addEventListener('change', function () { setEyes(select.value); });
  }
  reduced.addEventListener('change', function () { if (reduced.matches) stopMotion(); });
  if (cfg.autoplay && !reduced.matches) spin();
  pump(false);
})();
