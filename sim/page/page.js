"use strict";
// The booted device on a page: the screen as the device draws it, pushed over one WebSocket; the mouse is
// the finger; the controls beside the screen do what a person does besides touching it.
(() => {
  const screen = document.getElementById("screen");
  const finger = document.getElementById("finger");
  const answer = document.getElementById("answer");
  const connection = document.getElementById("connection");
  const events = document.getElementById("events");
  const library = document.getElementById("library");
  const longPress = 500;
  const slop = 8;
  const keptEvents = 1000;
  let socket = null;
  let scale = 2;
  let orientation = 1;
  let locked = false;
  let shownUrl = null;
  // What a benchmark or a test reads: pictures shown, and when the last one was.
  const seen = (window.orvane = { frames: 0, lastFrame: 0, pressedAt: 0, latencies: [], lastPicture: null, scale: 2 });

  // The token came in the address; the cookie carries it from now on.
  if (location.search) history.replaceState(null, "", location.pathname);

  function send(message) {
    if (socket && socket.readyState === WebSocket.OPEN) socket.send(message);
  }
  function act(action, extra) {
    send(JSON.stringify(Object.assign({ action }, extra || {})));
  }

  function showPicture(blob) {
    const url = URL.createObjectURL(blob);
    screen.onload = () => {
      if (shownUrl) URL.revokeObjectURL(shownUrl);
      shownUrl = url;
      seen.lastPicture = blob;
      seen.frames += 1;
      seen.lastFrame = performance.now();
      if (seen.pressedAt) {
        seen.latencies.push(seen.lastFrame - seen.pressedAt);
        seen.pressedAt = 0;
      }
      screen.dataset.frames = String(seen.frames);
    };
    screen.src = url;
  }

  function addEvents(lines, reset) {
    if (reset) events.replaceChildren();
    const atBottom = events.scrollTop + events.clientHeight >= events.scrollHeight - 4;
    for (const line of lines) {
      const item = document.createElement("li");
      item.textContent = line;
      events.append(item);
    }
    while (events.childElementCount > keptEvents) events.firstElementChild.remove();
    if (atBottom || reset) events.scrollTop = events.scrollHeight;
  }

  function showState(message) {
    document.getElementById("state").textContent = message.text;
    scale = message.scale || 1;
    seen.scale = scale;
    locked = /device locked/.test(message.text);
    const turned = /orientation (\d)/.exec(message.text);
    if (turned) orientation = Number(turned[1]);
    const lock = document.getElementById("lock");
    lock.textContent = locked ? "Unlock" : "Lock";
    lock.dataset.action = locked ? "unlock" : "lock";
    document.body.dataset.front = message.front;
  }

  function showAnswer(message) {
    answer.textContent = (message.out + message.errors).trim();
    answer.classList.toggle("failed", message.status !== 0);
  }

  const handlers = {
    state: showState,
    settings: (message) => { document.getElementById("settings").textContent = message.text; },
    events: (message) => addEvents(message.lines, message.reset),
    library: (message) => {
      library.replaceChildren(...message.names.map((name) => new Option(name, name)));
    },
    answer: showAnswer,
  };

  function connect() {
    socket = new WebSocket(`ws://${location.host}/socket`);
    socket.binaryType = "blob";
    socket.onopen = () => { connection.textContent = "connected"; };
    socket.onmessage = (event) => {
      if (typeof event.data !== "string") return showPicture(event.data);
      const message = JSON.parse(event.data);
      const handle = handlers[message.kind];
      if (handle) handle(message);
    };
    socket.onclose = () => {
      connection.textContent = "disconnected: trying again";
      setTimeout(connect, 1000);
    };
  }

  // Where on the screen, in the device's points, a pointer event is.
  function pointOf(event) {
    const box = screen.getBoundingClientRect();
    const pixelsAcross = screen.naturalWidth || box.width;
    const pixelsDown = screen.naturalHeight || box.height;
    const x = ((event.clientX - box.left) / box.width) * pixelsAcross / scale;
    const y = ((event.clientY - box.top) / box.height) * pixelsDown / scale;
    return { x: Math.max(0, x), y: Math.max(0, y) };
  }

  let press = null;
  screen.addEventListener("pointerdown", (event) => {
    if (event.button !== 0) return;
    screen.setPointerCapture(event.pointerId);
    const start = pointOf(event);
    press = { start, clientX: event.clientX, clientY: event.clientY, moved: false, held: false };
    press.timer = setTimeout(() => {
      if (!press || press.moved) return;
      press.held = true;
      seen.pressedAt = performance.now();
      act("touch", { x: start.x, y: start.y, hold: true });
    }, longPress);
    event.preventDefault();
  });
  screen.addEventListener("pointermove", (event) => {
    if (press && Math.hypot(event.clientX - press.clientX, event.clientY - press.clientY) > slop)
      press.moved = true;
  });
  screen.addEventListener("pointerup", (event) => {
    if (!press) return;
    clearTimeout(press.timer);
    const { start, moved, held } = press;
    press = null;
    if (held) return;
    seen.pressedAt = performance.now();
    if (moved) {
      const end = pointOf(event);
      act("touch", { x: start.x, y: start.y, toX: end.x, toY: end.y });
    } else {
      act("touch", { x: start.x, y: start.y });
    }
  });
  screen.addEventListener("pointercancel", () => {
    if (press) clearTimeout(press.timer);
    press = null;
  });
  screen.addEventListener("contextmenu", (event) => event.preventDefault());

  // The keyboard's finger: arrows move it over the screen, Enter or Space taps, H holds.
  const keyed = { x: 0, y: 0 };
  function placeFinger() {
    const box = screen.getBoundingClientRect();
    const across = (screen.naturalWidth || box.width) / scale;
    const down = (screen.naturalHeight || box.height) / scale;
    keyed.x = Math.min(Math.max(keyed.x, 0), across - 1);
    keyed.y = Math.min(Math.max(keyed.y, 0), down - 1);
    finger.style.left = `${(keyed.x / across) * box.width}px`;
    finger.style.top = `${(keyed.y / down) * box.height}px`;
    finger.hidden = false;
  }
  screen.addEventListener("focus", placeFinger);
  screen.addEventListener("blur", () => { finger.hidden = true; });
  screen.addEventListener("keydown", (event) => {
    const step = event.shiftKey ? 1 : 10;
    const moves = { ArrowLeft: [-step, 0], ArrowRight: [step, 0], ArrowUp: [0, -step], ArrowDown: [0, step] };
    if (moves[event.key]) {
      keyed.x += moves[event.key][0];
      keyed.y += moves[event.key][1];
      placeFinger();
    } else if (event.key === "Enter" || event.key === " ") {
      act("touch", { x: keyed.x, y: keyed.y });
    } else if (event.key === "h" || event.key === "H") {
      act("touch", { x: keyed.x, y: keyed.y, hold: true });
    } else {
      return;
    }
    event.preventDefault();
  });

  for (const button of document.querySelectorAll("button[data-action]"))
    button.addEventListener("click", () => act(button.dataset.action));
  // Portrait, landscape one way, upside down, landscape the other way.
  const turns = { 0: 1, 1: 3, 3: 2, 2: 4, 4: 1 };
  document.getElementById("rotate").addEventListener("click", () => act("orientation", { value: turns[orientation] }));
  document.getElementById("show-library").addEventListener("click", () => {
    if (library.value) act("camera-library", { name: library.value });
  });

  const largestPicture = 64 * 1024 * 1024;
  function sendPicture(file) {
    if (!file) return;
    if (file.size > largestPicture) {
      showAnswer({ status: 1, out: "", errors: `${file.name} is larger than the camera takes (64 MiB)` });
      return;
    }
    file.arrayBuffer().then((bytes) => {
      // The device keeps the picture under the name it was dropped with.
      act("camera-file", { name: file.name });
      send(bytes);
    });
  }
  const picture = document.getElementById("picture");
  picture.addEventListener("change", () => sendPicture(picture.files[0]));
  // A picture dropped on the screen, as on the camera's field, is held up to the camera.
  function takesPictures(zone) {
    zone.addEventListener("dragover", (event) => { event.preventDefault(); zone.classList.add("over"); });
    zone.addEventListener("dragleave", () => zone.classList.remove("over"));
    zone.addEventListener("drop", (event) => {
      event.preventDefault();
      zone.classList.remove("over");
      if (event.dataTransfer) sendPicture(event.dataTransfer.files[0]);
    });
  }
  takesPictures(document.getElementById("drop"));
  takesPictures(document.getElementById("frame"));

  connect();
})();
