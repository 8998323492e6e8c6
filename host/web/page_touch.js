// The page on a touch screen: touches on the canvas go to the program as its own touches
// (host/web/web_touch.cpp), never as the mouse presses the browser and Emscripten's GLFW
// would also make of them, and the browser's own gestures (scrolling, zoom, pull to
// refresh, long-press menu) stay off the canvas. The end of the first tap starts sound and
// asks for full screen and a landscape lock, which browsers allow only from that gesture.
// A touch screen held upright is asked to turn. A page used without touches is left exactly
// as it was.
(function() {
  var canvas = document.getElementById("canvas");
  var lastTouch = -1e9;
  var tapped = false;
  // A mouse event this soon after a touch is the browser's imitation of that touch.
  var kMouseAfterTouch = 1000;

  function send(name, t) {
    var fn = Module["_" + name];
    if (!fn) return;  // the program is still loading
    var rect = canvas.getBoundingClientRect();
    var sx = rect.width > 0 ? canvas.width / rect.width : 1;
    var sy = rect.height > 0 ? canvas.height / rect.height : 1;
    fn(t.identifier, (t.clientX - rect.left) * sx, (t.clientY - rect.top) * sy);
  }

  function firstTap() {
    if (tapped) return;
    tapped = true;
    var root = document.documentElement;
    if (document.fullscreenElement || !root.requestFullscreen) return;
    // The program follows the page's full-screen state once the browser has answered.
    Module.vgFullscreenBusy = true;
    root.requestFullscreen({navigationUI: "hide"}).then(function() {
      Module.vgFullscreenBusy = false;
      if (screen.orientation && screen.orientation.lock) {
        screen.orientation.lock("landscape").catch(function() {});
      }
    }, function() { Module.vgFullscreenBusy = false; });
  }

  function onTouch(e) {
    if (e.target !== canvas) return;
    // Ahead of Emscripten's GLFW, which listens on the canvas and would press its mouse.
    e.stopPropagation();
    if (e.cancelable) e.preventDefault();
    lastTouch = performance.now();
    var name = {touchstart: "vgPageTouchBegin", touchmove: "vgPageTouchMove",
                touchend: "vgPageTouchEnd", touchcancel: "vgPageTouchEnd"}[e.type];
    for (var i = 0; i < e.changedTouches.length; ++i) send(name, e.changedTouches[i]);
    if (e.type === "touchend") {
      if (Module.vgStartSound) Module.vgStartSound();
      firstTap();
    }
  }
  ["touchstart", "touchmove", "touchend", "touchcancel"].forEach(function(type) {
    window.addEventListener(type, onTouch, {capture: true, passive: false});
  });

  function onMouse(e) {
    if (e.target !== canvas) return;
    var imitation = (e.sourceCapabilities && e.sourceCapabilities.firesTouchEvents) ||
                    performance.now() - lastTouch < kMouseAfterTouch;
    if (!imitation) return;
    e.stopPropagation();
    if (e.cancelable) e.preventDefault();
  }
  ["mousedown", "mouseup", "mousemove", "click", "dblclick"].forEach(function(type) {
    window.addEventListener(type, onMouse, true);
  });
  Module.vgTouchSeen = function() { return tapped; };

  // A touch screen held upright shows a picture asking for it to be turned, and the program
  // is away meanwhile (host/web/web_loop.cpp reads Module.vgTurnAsked), as for a hidden tab:
  // a game comes back paused where it was.
  var turn = document.getElementById("turn");
  var touchScreen = navigator.maxTouchPoints > 0 ||
                    (window.matchMedia && window.matchMedia("(pointer: coarse)").matches);
  function followShape() {
    var ask = touchScreen && window.innerHeight > window.innerWidth;
    Module.vgTurnAsked = ask;
    turn.hidden = !ask;
  }
  followShape();
  window.addEventListener("resize", followShape);
})();
