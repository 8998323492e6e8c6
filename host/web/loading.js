// The page's loader, run by index.html before the game: downloads the program's script, its
// WebAssembly and its packed data with a progress bar, hands them to the program and starts
// it; a failed download is said plainly with a button that tries again. Once the game runs
// it registers the service worker (sw.js) and asks the browser to keep the saved record.
// Under the worker the files come from its copy of one build, so they always match.
(function() {
  var me = document.currentScript;
  // "name size name size ...", written by stamp.cmake: the build's hash-named files.
  var list = me.getAttribute("data-files").split(" ");
  var files = [];
  for (var i = 0; i + 1 < list.length; i += 2) {
    files.push({name: list[i], size: Number(list[i + 1]), got: 0, body: null});
  }
  function file(ext) {
    return files.filter(function(f) { return f.name.slice(-ext.length) === ext; })[0];
  }
  // A download that receives nothing for this long is given up (a dead connection on a phone
  // may neither answer nor fail).
  var STALL_MS = 30000;

  var style = document.createElement("style");
  style.textContent =
      "#loading { position: fixed; inset: 0; display: flex; flex-direction: column;" +
      " align-items: center; justify-content: center; gap: 1em; background: #0a0e30;" +
      " color: #c8f5ff; font: 16px/1.4 sans-serif; text-align: center; }" +
      "#loading[hidden] { display: none; }" +
      "#loading-bar { width: min(70vw, 420px); height: 14px; border: 2px solid #2850be;" +
      " border-radius: 9px; background: #161e58; overflow: hidden; }" +
      "#loading-fill { height: 100%; width: 0; background: #50e1ff; }" +
      "#loading.failed #loading-fill { background: #e6283c; }" +
      "#loading-detail { color: #ffbe28; min-height: 1.4em; margin: 0; max-width: 90vw; }" +
      "#loading button { font: inherit; padding: 0.5em 1.5em; color: #0a0e30;" +
      " background: #46e678; border: 0; border-radius: 6px; }";
  document.head.appendChild(style);
  var box = document.createElement("div");
  box.id = "loading";
  box.innerHTML = '<p id="loading-text">Loading Vantorell…</p>' +
      '<div id="loading-bar" role="progressbar" aria-valuemin="0" aria-valuemax="100"' +
      ' aria-valuenow="0"><div id="loading-fill"></div></div>' +
      '<p id="loading-detail"></p><button id="loading-retry" hidden>Try again</button>';
  document.body.appendChild(box);
  var bar = document.getElementById("loading-bar");
  var text = document.getElementById("loading-text");
  var detail = document.getElementById("loading-detail");
  var retry = document.getElementById("loading-retry");

  function show() {
    var total = 0, got = 0;
    files.forEach(function(f) { total += f.size; got += Math.min(f.got, f.size); });
    var percent = total ? Math.floor(100 * got / total) : 100;
    document.getElementById("loading-fill").style.width = percent + "%";
    bar.setAttribute("aria-valuenow", percent);
    if (!box.className) text.textContent = "Loading Vantorell… " + percent + " %";
    return percent;
  }

  // One file into memory, counting its bytes as they arrive (the sizes are those of the files
  // themselves; a compressed transfer still arrives decompressed here).
  function download(f, signal) {
    f.got = 0;
    return fetch(f.name, {signal: signal}).then(function(response) {
      if (!response.ok) {
        throw new Error("The server answered " + response.status + " " + response.statusText +
                        " for " + f.name + ".");
      }
      if (!response.body || !response.body.getReader) {
        return response.arrayBuffer().then(function(b) { f.got = b.byteLength; return b; });
      }
      var reader = response.body.getReader(), parts = [];
      function next() {
        return reader.read().then(function(step) {
          if (step.done) return;
          parts.push(step.value);
          f.got += step.value.length;
          show();
          return next();
        });
      }
      return next().then(function() {
        var all = new Uint8Array(f.got), at = 0;
        parts.forEach(function(p) { all.set(p, at); at += p.length; });
        return all.buffer;
      });
    }).then(function(body) {
      if (body.byteLength !== f.size) {
        throw new Error(f.name + " arrived with " + body.byteLength + " bytes of " + f.size + ".");
      }
      f.body = body;
    });
  }

  function fail(error, stalled) {
    box.className = "failed";
    text.textContent = "The game could not be downloaded.";
    detail.textContent = stalled ? "The connection stopped sending." :
        error instanceof TypeError ? "The connection to the server failed." : error.message;
    retry.hidden = false;
    retry.focus();
    console.warn("Download failed: " + (stalled ? "stalled" : error.message));
  }

  // Every file not yet in memory, all at once; the first failure stops the others.
  function load() {
    box.className = "";
    text.textContent = "Loading Vantorell…";
    detail.textContent = "";
    retry.hidden = true;
    var control = new AbortController(), stalled = false, lastGot = -1;
    var watch = setInterval(function() {
      var got = files.reduce(function(s, f) { return s + f.got; }, 0);
      if (got === lastGot) {
        stalled = true;
        control.abort();
      }
      lastGot = got;
    }, STALL_MS);
    show();
    Promise.all(files.filter(function(f) { return !f.body; }).map(function(f) {
      return download(f, control.signal);
    })).then(function() {
      clearInterval(watch);
      start();
    }, function(error) {
      clearInterval(watch);
      control.abort();
      files.forEach(function(f) { if (!f.body) f.got = 0; });
      show();
      fail(error, stalled);
    });
  }
  retry.addEventListener("click", load);

  function start() {
    box.className = "starting";
    text.textContent = "Starting…";
    var wasm = file(".wasm"), data = file(".data"), js = file(".js");
    window.Module = window.Module || {};
    Module.wasmBinary = wasm.body;
    Module.getPreloadedPackage = function() {
      var body = data.body;
      data.body = wasm.body = null;
      return body;
    };
    // Run just before the program starts (page.js keeps this list, adding to it).
    Module.preRun = Module.preRun || [];
    Module.preRun.push(function() {
      box.hidden = true;
      keep();
    });
    var script = document.createElement("script");
    script.text = new TextDecoder().decode(js.body) + "\n//# sourceURL=" + js.name;
    js.body = null;
    document.body.appendChild(script);
  }

  // The service worker keeps this build for starting offline; registered once the program
  // starts, so its copy of the files comes from the browser's cache rather than a second
  // download. The saved record lives in the site's storage, which a browser short of space
  // may clear unless asked to keep it.
  function keep() {
    if ("serviceWorker" in navigator && window.isSecureContext) {
      navigator.serviceWorker.register("sw.js").catch(function(e) {
        console.warn("The game cannot be kept for offline play: " + e.message);
      });
    }
    if (navigator.storage && navigator.storage.persist) {
      navigator.storage.persist().then(function(kept) {
        console.log(kept ? "The browser keeps the saved record." :
                    "The browser may clear the saved record when it runs short of space.");
      });
    }
  }

  load();
})();
