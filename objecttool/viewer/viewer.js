// Object movie viewer. The views form a grid: columns turn the object, rows
// tilt it; a record may add view states (other looks of the same views) and
// animated views (several frames per view). Frame i of a viewer is
// ((state * rows + row) * columns + column) * framesPerView + k.
//
// Frames arrive as base64 text blocks after this script (ASCII survives
// whatever charset a server declares), or as files of a folder. Each block
// is taken as soon as the parser has finished it, so the object turns to
// whatever frames are there while the page loads. Frames are decoded
// nearest-first from the current view, at the size the screen shows, and
// kept within a memory budget set by the display; a view is painted only
// once its frame (or the nearest decoded one) is there, so data-column,
// data-row and aria-valuetext always name the picture on screen.
(function () {
  'use strict';
  var reduced = matchMedia('(prefers-reduced-motion: reduce)');
  var coarse = matchMedia('(pointer: coarse)').matches;
  var framed = window.parent !== window;
  var viewers = {};
  if (framed) document.documentElement.classList.add('ov-framed');
  function clamp(v, low, high) { return Math.max(low, Math.min(high, v)); }
  function mod(v, n) { return ((v % n) + n) % n; }
  function ratio() { return window.devicePixelRatio || 1; }
  function post(message) { if (framed) parent.postMessage(message, '*'); }
  function el(tag, cls, text) {
    var e = document.createElement(tag);
    e.className = cls;
    if (text) e.textContent = text;
    return e;
  }

  function Viewer(fig) {
    var cfg = JSON.parse(fig.querySelector('.ov-config').textContent);
    var view = fig.querySelector('.ov-view'), poster = view.querySelector('img');
    var canvas = view.querySelector('canvas'), ctx = canvas.getContext('2d');
    var bar = fig.querySelector('.ov-bar'), hint = bar.querySelector('.ov-hint');
    var spinButton = bar.querySelector('.ov-spin'), screenButton = bar.querySelector('.ov-full');
    var load = view.querySelector('.ov-load'), tip = view.querySelector('.ov-tip');
    var W = cfg.width, H = cfg.height, N = cfg.columns, M = cfg.rows;
    var F = cfg.framesPerView || 1, states = cfg.states || [{}], S = states.length, T = N * M * F * S;
    var state = cfg.defaultState || 0, pressState = cfg.mouseDownState, k = 0;
    var animated = cfg.animate && F > 1;
    var pans = cfg.pans, tilts = cfg.tilts;
    var api = {};
    fig.orbivane = api;

    // ---- Frames: bytes that arrived (text or a file's address), decoded bitmaps ----
    var data = [], arrived = 0, bitmaps = [], started = [], busy = 0, ready = 0, idleAsked = false;
    var inView = false, PARALLEL = 4, NEAR = 3;
    if (cfg.src) for (var f = 0; f < T; f++) data[f] = cfg.src + f + '.jpg';
    this.arrive = function (i, text) {
      if (i >= 0 && i < T && !data[i]) { data[i] = text; arrived++; }
      progress();
      pump(false);
    };
    function progress() {
      var have = cfg.src ? Math.min(ready, budget(), T) / Math.min(budget(), T) : arrived / T;
      load.firstChild.style.width = (100 * have).toFixed(1) + '%';
      load.hidden = have >= 1;
      view.dataset.budget = budget();
      view.classList.toggle('ov-busy', ready < 2 && have < 1);
      if (have >= 1) view.removeAttribute('aria-busy');
    }
    function bytesOf(text) {
      var s = atob(text), out = new Uint8Array(s.length);
      for (var j = 0; j < s.length; j++) out[j] = s.charCodeAt(j);
      return new Blob([out], { type: 'image/jpeg' });
    }
    // Decodes frame i, at `width` device pixels wide when the screen shows it smaller.
    function decodeFrame(i, width) {
      var size = width < W ? { resizeWidth: width, resizeHeight: Math.max(1, Math.round(H * width / W)), resizeQuality: 'high' } : {};
      if (!cfg.src) return createImageBitmap(bytesOf(data[i]), size);
      // Fetched as bytes (the browser's cache keeps them); from file://,
      // where fetch is refused, through an image element.
      var img = new Image();
      return (/^https?:$/.test(location.protocol) ? fetch(data[i]).then(function (r) { return r.blob(); })
        : (img.src = data[i], img.decode().then(function () { return img; })))
        .then(function (source) { return createImageBitmap(source, size); });
    }

    // ---- The current view: fc, fr are the continuous column and row ----
    var fc = cfg.column || 0, fr = cfg.row || 0, shown = -1, shownView = null;
    function column() { return mod(Math.round(fc), N); }
    function row() { return cfg.wrapTilt ? mod(Math.round(fr), M) : Math.round(fr); }
    function current() { return index(column(), row(), pressed && pressState != null ? pressState : state, k); }
    function index(c, r, s, kk) { return ((s * M + r) * N + c) * F + kk; }
    function parts(i) {
      var kk = i % F, v = (i - kk) / F, c = v % N, r = ((v - c) / N) % M;
      return { c: c, r: r, s: Math.floor(v / (N * M)), k: kk };
    }
    function gap(a, b, n, wraps) { var d = Math.abs(a - b); return wraps ? Math.min(d, n - d) : d; }
    // How far frame i is from the view asked for: grid steps, plus a penalty
    // for frames of another state or animation frame the view will not show soon.
    function distance(i, to) {
      var p = parts(i);
      var d = gap(p.c, to.c, N, cfg.wrap) + gap(p.r, to.r, M, cfg.wrapTilt);
      if (p.s !== to.s) d += p.s === pressState ? 1 : 1000;
      if (p.k !== to.k && !(animated && playsNow())) d += 1000;
      return d;
    }
    function nearest(have) {
      var to = parts(current()), best = -1, bestDistance = Infinity, d;
      for (var i = 0; i < T; i++) {
        if (have ? !bitmaps[i] : started[i] || !data[i]) continue;
        d = distance(i, to);
        if (d < bestDistance) { best = i; bestDistance = d; }
      }
      return { index: best, distance: bestDistance };
    }

    // ---- Memory: decoded frames are as wide as the screen shows them, and
    // as many as fit in twelve screens' worth of pixels (at least 16). ----
    var decodeWidth = W;
    function wantedWidth() { return Math.min(W, Math.ceil(view.clientWidth * ratio() * (eyes === 'one' ? 2 : 1)) || W); }
    function budget() {
      var screenBytes = screen.width * screen.height * ratio() * ratio() * 4;
      return Math.max(16, Math.floor(12 * screenBytes / (decodeWidth * decodeWidth * H / W * 4)));
    }
    function whenIdle(fn) {
      if (window.requestIdleCallback) requestIdleCallback(fn, { timeout: 300 });
      else setTimeout(fn, 30);
    }
    function pump(idle) {
      if (!inView) return;
      while (busy < PARALLEL) {
        var next = nearest(false);
        if (next.index < 0) return;
        var full = ready + busy >= budget();
        if (next.distance > NEAR && (!idle || full)) {
          if (!idle && !idleAsked && !full) {
            idleAsked = true;
            whenIdle(function () { idleAsked = false; pump(true); });
          }
          return;
        }
        if (full && !evictFarther(next.distance)) return;
        decode(next.index);
      }
    }
    function drop(i) {
      bitmaps[i].close();
      bitmaps[i] = started[i] = null;
      ready--;
    }
    function evictFarther(than) {
      var to = parts(current()), worst = -1, far = -1;
      for (var i = 0; i < T; i++) {
        if (bitmaps[i] && i !== shown && distance(i, to) > far) { worst = i; far = distance(i, to); }
      }
      if (worst < 0 || far <= than) return false;
      drop(worst);
      return true;
    }
    function decode(i) {
      var width = decodeWidth;
      started[i] = true;
      busy++;
      decodeFrame(i, width).then(function (bitmap) {
        if (width !== decodeWidth) { bitmap.close(); started[i] = null; return; }
        if (bitmaps[i]) { bitmaps[i].close(); ready--; }
        bitmaps[i] = bitmap;
        view.dataset.ready = ++ready;
      }, function () {
        view.dataset.failed = i;
      }).then(function () {
        busy--;
        progress();
        if (i === current() || shown !== current()) show();
        pump(false);
      });
    }
    // When the viewer grows (full screen, a larger window), frames decoded
    // smaller are decoded again; the shown one stays until its successor is in.
    function resized() {
      var want = wantedWidth();
      if (want > decodeWidth * 1.15 || want < decodeWidth / 1.5) {
        decodeWidth = want;
        for (var i = 0; i < T; i++) {
          if (bitmaps[i] && i !== shown) drop(i);
          else if (i === shown) started[i] = null;
        }
        pump(false);
      }
      paint();
    }

    // ---- Painting ----
    var stereo = cfg.stereo, eyes = stereo || 'mono';
    var zoom = 1, zx = 0, zy = 0, sharp = null, sharpWanted = -1;
    // The picture as the eyes setting arranges it: pieces of the frame,
    // [x in the frame, x in the picture, width], all in frame pixels.
    function pieces() {
      var half = Math.floor(W / 2);
      if (eyes === 'one') return [[stereo === 'parallel' ? 0 : W - half, 0, half]];
      if (stereo && eyes !== stereo) return [[W - half, 0, half], [0, half, W - half]];
      return [[0, 0, W]];
    }
    function pictureWidth() { return eyes === 'one' ? Math.floor(W / 2) : W; }
    function paint() {
      if (shown < 0) return;
      var b = sharp && sharp.i === shown && zoom > 1 ? sharp.b : bitmaps[shown];
      if (!b) return;
      var cw = Math.round(view.clientWidth * ratio()), ch = Math.round(view.clientHeight * ratio());
      if (canvas.width !== cw || canvas.height !== ch) { canvas.width = cw; canvas.height = ch; }
      var pw = pictureWidth(), vw = pw / zoom, vh = H / zoom, scale = b.width / W;
      zx = clamp(zx, vw / 2, pw - vw / 2);
      zy = clamp(zy, vh / 2, H - vh / 2);
      var vx = zx - vw / 2, vy = zy - vh / 2;
      ctx.imageSmoothingQuality = 'high';
      pieces().forEach(function (p) {
        var a = Math.max(p[1], vx), e = Math.min(p[1] + p[2], vx + vw);
        if (e > a) ctx.drawImage(b, (p[0] + a - p[1]) * scale, vy * scale, (e - a) * scale, vh * scale,
                                 (a - vx) * cw / vw, 0, (e - a) * cw / vw, ch);
      });
      if (zoom > 1 && b.width < W && sharpWanted !== shown) sharpen();
    }
    // Zoomed in, the shown frame is decoded again at its full size.
    function sharpen() {
      var i = shown;
      sharpWanted = i;
      decodeFrame(i, W).then(function (b) {
        if (sharp) sharp.b.close();
        sharp = { i: i, b: b };
        paint();
      }, function () {});
    }
    function show() {
      var want = current(), i = bitmaps[want] ? want : nearest(true).index;
      if (i < 0) return;
      shown = i;
      poster.hidden = true;
      paint();
      var p = parts(i), now = p.c + ',' + p.r + ',' + p.s;
      view.dataset.frame = i;
      if (now === shownView) return;
      shownView = now;
      view.dataset.column = p.c;
      view.dataset.row = p.r;
      view.dataset.state = p.s;
      view.setAttribute('aria-valuenow', 1 + p.r * N + (turnRight() < 0 ? N - 1 - p.c : p.c));
      view.setAttribute('aria-valuetext', describe(p));
      var detail = { column: p.c, row: p.r, state: p.s };
      fig.dispatchEvent(new CustomEvent('ov-view', { bubbles: true, detail: detail }));
      post({ orbivane: 'view', column: p.c, row: p.r, state: p.s });
    }
    function degrees(a) { return Math.round(a * 10) / 10 + '\u00b0'; }
    function describe(p) {
      var text = pans ? 'turned ' + degrees(pans[p.c]) : 'view ' + (p.c + 1) + ' of ' + N;
      if (M > 1) text += tilts ? ', tilted ' + degrees(tilts[p.r]) : ', row ' + (p.r + 1) + ' of ' + M;
      return S > 1 && states[p.s].name ? text + ', ' + states[p.s].name : text;
    }

    // ---- Moving. A drag, key or wheel asks for a turn in screen terms: dx
    // steps to the right, dy steps down; the object's front follows. ----
    function turnRight() { return cfg.reversePan ? 1 : -1; }
    function moveTo(c, r) {
      fc = cfg.wrap ? mod(c, N) : clamp(c, 0, N - 1);
      fr = cfg.wrapTilt ? mod(r, M) : clamp(r, 0, M - 1);
      if (current() !== shown) { show(); pump(false); }
    }
    function turn(dx, dy) {
      if (cfg.swapAxes) { var t = dx; dx = dy; dy = t; }
      moveTo(fc + dx * turnRight(), fr + dy * (cfg.reverseTilt ? 1 : -1));
    }
    api.go = function (c, r, s) {
      stop();
      if (s >= 0 && s < S) state = s;
      moveTo(c, r == null ? fr : r);
    };

    // Motion: a spin (autoplay, intro), a glide after a flick.
    var motion = 0, spinning = 0, spinTurns = 0, hovering = false, hidden = document.hidden;
    function animate(step) {
      var last = performance.now();
      cancelAnimationFrame(motion);
      motion = requestAnimationFrame(function tick(now) {
        var dt = Math.min(now - last, 100);
        last = now;
        motion = step(dt) ? requestAnimationFrame(tick) : 0;
      });
    }
    function playsNow() { return !reduced.matches && inView && !hidden; }
    // spinTurns: columns left to turn (Infinity: until stopped); a spin
    // pauses while the pointer is over the viewer, out of view or in a hidden tab.
    function spinUpdate() {
      var go = spinTurns > 0 && playsNow() && (cfg.intro === 'hover' ? hovering : !hovering);
      spinButton.setAttribute('aria-pressed', spinTurns > 0);
      if (go === !!spinning) return;
      spinning = go;
      if (!go) { cancelAnimationFrame(motion); motion = 0; return; }
      var direction = 1;
      animate(function (dt) {
        var dc = dt / (cfg.step * 1000);
        if (!cfg.wrap && (fc + direction * dc < 0 || fc + direction * dc > N - 1)) direction = -direction;
        spinTurns -= dc;
        if (spinTurns <= 0) { moveTo(Math.round(fc + direction * (dc + spinTurns)), fr); spinning = 0; spinTurns = 0; spinUpdate(); return false; }
        moveTo(fc + direction * dc, fr);
        return true;
      });
    }
    function play(columns) { spinTurns = columns; spinUpdate(); }
    function stop() {
      spinTurns = 0;
      cancelAnimationFrame(motion);
      motion = spinning = 0;
      spinButton.setAttribute('aria-pressed', 'false');
      tip.hidden = true;
    }
    api.play = function () { play(Infinity); };
    api.stop = stop;
    api.view = function () { var p = parts(shown < 0 ? current() : shown); return { column: p.c, row: p.r, state: p.s }; };
    function glide(vx, vy) {
      animate(function (dt) {
        turn(vx * dt, vy * dt);
        var decay = Math.exp(-dt / 325);
        vx *= decay;
        vy *= decay;
        return Math.abs(vx) + Math.abs(vy) > 0.002;
      });
    }

    // Animated views play their frames in turn while motion is welcome.
    var animation = 0;
    function animateViews() {
      clearTimeout(animation);
      if (!animated || !playsNow()) return;
      animation = setTimeout(function () {
        k = (k + 1) % F;
        show();
        pump(false);
        animateViews();
      }, (cfg.animationStep || 0.1) * 1000);
    }

    // ---- Zoom: the picture at `zoom` times, centred on (zx, zy) in frame pixels ----
    function maxZoom() { return Math.max(2, 2 * W / (view.clientWidth * ratio())); }
    function zoomTo(z, x, y) {  // x, y: the point to keep still, in CSS pixels within the viewer
      var r = view.getBoundingClientRect(), pw = pictureWidth();
      x = x == null ? r.width / 2 : x;
      y = y == null ? r.height / 2 : y;
      var before = zoom, px = zx - pw / before / 2 + x / r.width * pw / before, py = zy - H / before / 2 + y / r.height * H / before;
      zoom = clamp(z, 1, maxZoom());
      zx = px - (x / r.width - 0.5) * pw / zoom;
      zy = py - (y / r.height - 0.5) * H / zoom;
      view.classList.toggle('ov-zoomed', zoom > 1);
      view.dataset.zoom = zoom.toFixed(2);
      paint();
    }
    function panBy(dx, dy) {
      var r = view.getBoundingClientRect();
      zx -= dx / r.width * pictureWidth() / zoom;
      zy -= dy / r.height * H / zoom;
      paint();
    }
    function local(x, y) { var r = view.getBoundingClientRect(); return [x - r.left, y - r.top]; }
    function toggleZoom(x, y) { var p = local(x, y); zoomTo(zoom > 1 ? 1 : 2.5, p[0], p[1]); }

    // ---- Dragging: one step per stepPixels; the first few pixels lock the
    // drag to one axis unless it goes diagonally. ----
    var drag = null, pressed = false;
    function stepPixels() { return clamp(view.clientWidth / N, 6, 30); }
    function press(on) {
      if (pressed === on) return;
      pressed = on;
      if (pressState != null) { show(); pump(false); }
    }
    function dragStart(x, y, t) {
      stop();
      drag = { x: x, y: y, x0: x, y0: y, t: t, vx: 0, vy: 0, axis: null };
      press(true);
    }
    function dragMove(x, y, t) {
      var dx = x - drag.x, dy = y - drag.y, dt = Math.max(t - drag.t, 1);
      if (!drag.axis) {
        var ax = Math.abs(x - drag.x0), ay = Math.abs(y - drag.y0);
        if (ax + ay < 8) return;
        drag.axis = M < 2 || ax > 2 * ay ? 'x' : ay > 2 * ax ? 'y' : 'xy';
        dx = x - drag.x0;
        dy = y - drag.y0;
      }
      if (drag.axis === 'x' && zoom === 1) dy = 0;
      if (drag.axis === 'y' && zoom === 1) dx = 0;
      drag.x = x;
      drag.y = y;
      drag.t = t;
      if (zoom > 1) { panBy(dx, dy); return; }
      var px = stepPixels();
      drag.vx = 0.7 * drag.vx + 0.3 * dx / px / dt;
      drag.vy = 0.7 * drag.vy + 0.3 * dy / px / dt;
      turn(dx / px, dy / px);
    }
    function dragEnd(t) {
      var d = drag;
      drag = null;
      press(false);
      if (!d || zoom > 1 || reduced.matches || t - d.t > 80) return;
      if (Math.abs(d.vx) + Math.abs(d.vy) > 0.005) glide(d.vx, d.vy);
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
    view.addEventListener('dblclick', function (e) { toggleZoom(e.clientX, e.clientY); });
    view.addEventListener('pointerenter', function (e) { if (e.pointerType === 'mouse') { hovering = true; spinUpdate(); } });
    view.addEventListener('pointerleave', function (e) { if (e.pointerType === 'mouse') { hovering = false; spinUpdate(); } });

    // Touch leaves vertical swipes and pinches outside the viewer to the
    // page: a drag that starts sideways turns the object; one that starts up
    // or down scrolls, unless the viewer has several rows (or is zoomed) and
    // the finger first rested still for HOLD ms. Two fingers zoom, as does a double tap.
    var HOLD = 300, touch = null, pinch = null, lastTap = null;
    function spread(e) {
      var a = e.touches[0], b = e.touches[1];
      return { d: Math.hypot(a.clientX - b.clientX, a.clientY - b.clientY), x: (a.clientX + b.clientX) / 2, y: (a.clientY + b.clientY) / 2 };
    }
    view.addEventListener('touchstart', function (e) {
      var t = e.touches[0];
      stop();
      if (e.touches.length === 2) {
        if (touch && touch.ours) dragEnd(e.timeStamp);
        touch = null;
        pinch = { start: spread(e), zoom: zoom };
        return;
      }
      pinch = null;
      touch = e.touches.length === 1 ? { x: t.clientX, y: t.clientY, t: e.timeStamp, ours: false, moved: false } : null;
    }, { passive: true });
    view.addEventListener('touchmove', function (e) {
      if (pinch && e.touches.length === 2) {
        var now = spread(e), p = local(now.x, now.y);
        e.preventDefault();
        zoomTo(pinch.zoom * now.d / pinch.start.d, p[0], p[1]);
        return;
      }
      if (!touch) return;
      var t = e.touches[0], dx = Math.abs(t.clientX - touch.x), dy = Math.abs(t.clientY - touch.y);
      if (!touch.ours) {
        if (dx < 4 && dy < 4) return;
        touch.moved = true;
        if (dx < dy && ((M < 2 && zoom === 1) || e.timeStamp - touch.t < HOLD)) { touch = null; return; }
        touch.ours = true;
        dragStart(touch.x, touch.y, touch.t);
      }
      e.preventDefault();
      dragMove(t.clientX, t.clientY, e.timeStamp);
    }, { passive: false });
    ['touchend', 'touchcancel'].forEach(function (type) {
      view.addEventListener(type, function (e) {
        if (touch && touch.ours) dragEnd(e.timeStamp);
        if (type === 'touchend' && touch && !touch.moved) {
          if (lastTap && e.timeStamp - lastTap.t < 350 && Math.hypot(touch.x - lastTap.x, touch.y - lastTap.y) < 30) {
            e.preventDefault();
            toggleZoom(touch.x, touch.y);
            lastTap = null;
          } else lastTap = touch;
        }
        touch = null;
        if (e.touches.length < 2) pinch = null;
      });
    });
    view.addEventListener('contextmenu', function (e) { if (touch) e.preventDefault(); });

    // Wheel: Ctrl+wheel (a trackpad's pinch) zooms; sideways turns; up and
    // down belong to the page, except in full screen, where they zoom.
    view.addEventListener('wheel', function (e) {
      var unit = e.deltaMode === 1 ? 20 : e.deltaMode === 2 ? 400 : 1, dx = e.deltaX * unit, dy = e.deltaY * unit;
      var p = local(e.clientX, e.clientY);
      if (e.ctrlKey || (isFull() && Math.abs(dy) > Math.abs(dx))) zoomTo(zoom * Math.exp(-dy / 300), p[0], p[1]);
      else if (Math.abs(dx) > Math.abs(dy)) turn(-dx / 50, 0);
      else return;
      stop();
      e.preventDefault();
    }, { passive: false });

    // Keys act only while the viewer has focus, each turning the object the
    // way it points, as a drag that way would; + and - zoom.
    view.addEventListener('keydown', function (e) {
      var key = e.key, moves = { ArrowRight: [1, 0], ArrowLeft: [-1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1] }[key];
      if (e.altKey || e.ctrlKey || e.metaKey) return;
      if (moves) turn(moves[0], moves[1]);
      else if (key === 'Home' || key === 'End') moveTo((key === 'Home') === (turnRight() < 0) ? N - 1 : 0, fr);
      else if (key === '+' || key === '=') zoomTo(zoom * 1.5);
      else if (key === '-') zoomTo(zoom / 1.5);
      else if (key === 'Escape' && zoom > 1) zoomTo(1);
      else return;
      e.preventDefault();
      stop();
      moveTo(Math.round(fc), Math.round(fr));
    });
    view.addEventListener('focus', stop);
    ['pointerdown', 'keydown', 'wheel'].forEach(function (type) { view.addEventListener(type, function () { tip.hidden = true; }); });

    // ---- Full screen ----
    var full = fig.requestFullscreen ? 'requestFullscreen' : fig.webkitRequestFullscreen ? 'webkitRequestFullscreen' : null;
    function isFull() { return (document.fullscreenElement || document.webkitFullscreenElement) === fig; }
    screenButton.hidden = !full;
    document.addEventListener('fullscreenchange', function () { screenButton.textContent = isFull() ? 'Leave full screen' : 'Full screen'; });
    screenButton.addEventListener('click', function () {
      if (isFull()) (document.exitFullscreen || document.webkitExitFullscreen).call(document);
      else fig[full]();
    });

    // ---- Controls, hint, states, stereo ----
    var id = fig.id || 'ov';
    hint.id = id + '-hint';
    hint.textContent = coarse
      ? 'Drag sideways to turn' + (M > 1 ? '; rest your finger, then drag up or down to tilt' : '') + '. Pinch or double-tap to zoom.'
      : 'Drag or use the arrow keys to turn. Ctrl+wheel, double-click or + and - zoom.';
    view.setAttribute('role', 'slider');
    view.tabIndex = 0;
    view.setAttribute('aria-label', cfg.title || poster.alt);
    view.setAttribute('aria-describedby', hint.id);
    view.setAttribute('aria-valuemin', 1);
    view.setAttribute('aria-valuemax', N * M);
    view.setAttribute('aria-busy', 'true');
    view.dataset.frames = T;
    bar.hidden = false;
    spinButton.addEventListener('click', function () { if (spinTurns > 0) stop(); else play(Infinity); });
    var choices = [];
    states.forEach(function (s, i) { if (i !== pressState) choices.push(i); });
    if (choices.length > 1) {
      var label = el('label', 'ov-states', 'Show '), select = el('select', '');
      choices.forEach(function (i) { var o = el('option', '', states[i].name || 'State ' + (i + 1)); o.value = i; select.appendChild(o); });
      select.value = state;
      select.addEventListener('change', function () { state = +select.value; show(); pump(false); });
      label.appendChild(select);
      bar.insertBefore(label, hint);
    }
    if (stereo) {
      var eyesChoice = bar.querySelector('.ov-eyes'), eyesSelect = eyesChoice.querySelector('select');
      eyesChoice.hidden = false;
      eyesSelect.value = stereo;
      eyesSelect.addEventListener('change', function () {
        eyes = eyesSelect.value;
        view.style.setProperty('--r', pictureWidth() / H);
        view.style.setProperty('--w', pictureWidth() + 'px');
        zoomTo(1);
      });
    }
    reduced.addEventListener('change', function () { if (reduced.matches) stop(); animateViews(); });
    document.addEventListener('visibilitychange', function () { hidden = document.hidden; spinUpdate(); animateViews(); });
    new ResizeObserver(function () { resized(); fit(); }).observe(view);
    // The box fits the window's height less what it shares the screen with:
    // its controls, and the heading when it stands near the top of the page.
    function fit() {
      var top = view.getBoundingClientRect().top + scrollY;
      fig.style.setProperty('--reserve', bar.offsetHeight + 24 + (top < innerHeight / 3 ? top : 0) + 'px');
      post({ orbivane: 'size', height: document.documentElement.scrollHeight });
    }
    addEventListener('resize', fit);

    // Lazy: nothing is decoded, and nothing spins, until the viewer is near the screen.
    var introDue = cfg.autoplay || cfg.intro;
    new IntersectionObserver(function (entries) {
      inView = entries[entries.length - 1].isIntersecting;
      if (inView) {
        decodeWidth = wantedWidth();
        pump(false);
        if (introDue && !reduced.matches) {
          play(cfg.autoplay ? Infinity : cfg.intro === 'hover' ? Infinity : cfg.intro * N);
          tip.hidden = false;
        }
        introDue = false;
      }
      spinUpdate();
      animateViews();
    }, { rootMargin: '200px' }).observe(view);
    fit();
    progress();
  }

  // ---- Start every viewer on the page, then take frame blocks as they arrive ----
  var figures = document.querySelectorAll('figure.ov');
  for (var v = 0; v < figures.length; v++) {
    if (!figures[v].orbivane) viewers[figures[v].id] = new Viewer(figures[v]);
  }
  var blocks = document.getElementsByClassName('ov-f');
  function collect() {
    var done = document.readyState !== 'loading';
    while (blocks.length && (done || blocks[0].nextSibling)) {
      var b = blocks[0], to = viewers[b.dataset.for];
      b.remove();
      if (to) to.arrive(+b.dataset.i, b.textContent);
    }
  }
  new MutationObserver(collect).observe(document.body, { childList: true });
  document.addEventListener('DOMContentLoaded', collect);
  collect();

  // A page in an iframe answers its parent's go, play and stop messages.
  window.addEventListener('message', function (e) {
    var m = e.data, first = figures[0] && figures[0].orbivane;
    if (!first || !m || !/^(go|play|stop)$/.test(m.orbivane)) return;
    first[m.orbivane](m.column, m.row, m.state);
  });
})();
