// The page's side of the browser build, run before the program starts: the canvas kept at
// the size of the browser window, the saved record's folder on the browser's storage, sound
// started by the first key press, click or tap, console output, and the notice shown when the
// program ends (by the game's own quit or a fatal error) with a way to start again.
(function() {
  var canvas = document.getElementById("canvas");
  var note = document.getElementById("note");
  var lastLines = [];

  // The canvas has the device's pixels, not the page's (more of them on a high-density
  // screen, where the page's are scaled up); pointer positions are reported in the same.
  // A page zoom changes the ratio and is followed like a resize.
  function fitCanvas() {
    var ratio = window.devicePixelRatio || 1;
    var w = Math.max(1, Math.round(window.innerWidth * ratio));
    var h = Math.max(1, Math.round(window.innerHeight * ratio));
    if (canvas.width !== w) canvas.width = w;
    if (canvas.height !== h) canvas.height = h;
  }
  fitCanvas();
  window.addEventListener("resize", fitCanvas);

  // Keys the game uses that the browser would also act on (scrolling, focus moves, its own
  // full screen). Letters stay untouched: the cabinet decoder reads them as typed text.
  var kept = {" ": 1, "ArrowUp": 1, "ArrowDown": 1, "ArrowLeft": 1, "ArrowRight": 1,
              "Tab": 1, "Backspace": 1, "Enter": 1, "F11": 1, "'": 1, "/": 1, "`": 1};
  window.addEventListener("keydown", function(e) { if (kept[e.key]) e.preventDefault(); }, true);

  // Browsers start sound only after a key press or click on the page. Every sound context
  // the program makes is kept here so the first such event can start it, and the end of
  // the program can close it.
  var contexts = [];
  var RealAudioContext = window.AudioContext || window.webkitAudioContext;
  if (RealAudioContext) {
    var Tracked = function(options) {
      var ac = options === undefined ? new RealAudioContext() : new RealAudioContext(options);
      contexts.push(ac);
      // Said in the console, so a silent page can be told from a held-back one.
      if (ac.state === "suspended") console.log("Sound waits for a key press or click.");
      ac.addEventListener("statechange", function() { console.log("Sound is " + ac.state + "."); });
      // Many sounds at once can sum past full scale, which the browser's output clips (a
      // crackle); the desktop's OpenAL limits its mix instead. So does the page: whatever
      // is connected to the context's output goes through a limiter first.
      var limiter = ac.createDynamicsCompressor();
      limiter.threshold.value = -1;
      limiter.knee.value = 0;
      limiter.ratio.value = 20;
      limiter.attack.value = 0.001;
      limiter.release.value = 0.1;
      limiter.connect(ac.destination);
      Object.defineProperty(ac, "destination", {value: limiter});
      return ac;
    };
    Tracked.prototype = RealAudioContext.prototype;
    window.AudioContext = Tracked;
    if (window.webkitAudioContext) window.webkitAudioContext = Tracked;
  }
  function startSound() {
    contexts.forEach(function(ac) { if (ac.state === "suspended") ac.resume(); });
  }
  // A touch's start is no such gesture; its end is, and host/web/page_touch.js calls this then.
  ["keydown", "mousedown"].forEach(function(type) {
    window.addEventListener(type, startSound, true);
  });
  Module.vgStartSound = startSound;
  Module.vgSoundStates = function() { return contexts.map(function(ac) { return ac.state; }); };

  function stopped(code) {
    var failed = code !== 0;
    var text = "";
    if (failed) {
      var at = -1;
      for (var i = 0; i < lastLines.length; ++i) {
        if (lastLines[i].indexOf("Runtime Error") >= 0) at = i;
      }
      text = (at >= 0 ? lastLines.slice(at) : lastLines.slice(-4)).join("\n");
      console.error("Vantorell stopped after an error (" + code + "):\n" + text);
    }
    contexts.forEach(function(ac) { if (ac.state !== "closed") ac.close(); });
    document.getElementById("note-title").textContent =
        failed ? "The game stopped after an error." : "The game has ended.";
    document.getElementById("note-detail").textContent = text;
    note.hidden = false;
    document.getElementById("again").focus();
  }
  document.getElementById("again").addEventListener("click", function() {
    window.location.reload();
  });

  Module.canvas = canvas;
  Module.print = function(line) {
    lastLines.push(line);
    if (lastLines.length > 40) lastLines.shift();
    console.log(line);
  };
  // The runtime's debugger hand-shake goes to the error stream; it is only detail.
  Module.printErr = function(line) {
    lastLines.push(line);
    if (lastLines.length > 40) lastLines.shift();
    console.warn(line);
  };
  // A fatal error asks the debugger on standard input whether to go on; a page has none.
  Module.stdin = function() { return null; };
  // Called wherever the program ends (exit from any depth): stop the frame callback and
  // say so, then let the exit unwind the program as it expects.
  Module.quit = function(code, toThrow) {
    if (Module.pauseMainLoop) Module.pauseMainLoop();
    Module.vgEnded = code;
    stopped(code);
    throw toThrow;
  };
  Module.onAbort = function(what) {
    lastLines.push(String(what));
    Module.vgEnded = -1;
    stopped(-1);
  };

  // The working folder, where the saved record lives, is kept in the browser's IndexedDB:
  // read in before the program starts, written back after every save (one write at a time,
  // a save made meanwhile written once the current one ends).
  var flushing = false, again = false;
  Module.vgStateWrites = 0;
  Module.vgFlushState = function() {
    if (flushing) { again = true; return; }
    flushing = true;
    FS.syncfs(false, function(err) {
      flushing = false;
      if (err) console.warn("The saved record could not be stored: " + err);
      else Module.vgStateWrites++;
      if (again) { again = false; Module.vgFlushState(); }
    });
  };
  // The saved record as the program last wrote it ("" before the first save).
  Module.vgSavedRecord = function() {
    try { return FS.readFile(".tarvikstate", {encoding: "utf8"}); } catch (e) { return ""; }
  };
  Module.preRun = Module.preRun || [];
  Module.preRun.push(function() {
    FS.mkdir("/vantorell");
    FS.mount(IDBFS, {}, "/vantorell");
    FS.chdir("/vantorell");
    addRunDependency("saved-record");
    FS.syncfs(true, function(err) {
      if (err) console.warn("The saved record could not be read: " + err);
      removeRunDependency("saved-record");
    });
  });
  // Script time of each frame (updates and render), read by whoever measures the page:
  // frames run, the longest, and when (page time) and how long the ones over one 60 Hz
  // frame took.
  // The first few thousand frames are kept too, for percentiles: their times and how many
  // updates each ran (host/web/web_loop.cpp sets Module.vgPassUpdates).
  Module.vgFrameTimes = {frames: 0, longest: 0, over: [], times: []};
  var frameStart = 0;
  Module.preMainLoop = function() { frameStart = performance.now(); Module.vgPassUpdates = 0; };
  Module.postMainLoop = function() {
    var t = performance.now() - frameStart, f = Module.vgFrameTimes;
    f.frames++;
    if (f.times && f.times.length < 5000) f.times.push([t, Module.vgPassUpdates]);
    if (t > f.longest) f.longest = t;
    if (t > 1000 / 60 && f.over.length < 100) f.over.push([Math.round(frameStart), Math.round(t)]);
  };
  Module.setStatus = function(text) {
    document.getElementById("status").textContent = text;
  };
})();
