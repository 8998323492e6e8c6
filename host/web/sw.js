// The page's service worker: keeps one whole build of the game (page, scripts, WebAssembly,
// data, manifest and icons) in a cache named for that build and answers the page from it, so
// the game starts offline and never mixes files of two builds. A newer build found on the
// server is fetched beside the running one and waits until no page of the game is open: the
// next start is the new build's. Registered by loading.js; the build's name and its files
// with their content hashes are written in by stamp.cmake.
"use strict";
var BUILD = "@VG_BUILD@";
// name -> first 16 hex digits of the file's SHA-256. A name that carries its hash (the
// scripts, the WebAssembly and the data) has one content for ever; the others (the page, its
// manifest and icons) are fetched past the browser's own cache and checked against theirs.
var FILES = @VG_FILES_JSON@;
// Caches of this game's workers at this address; nothing else on the site is touched (the
// saved record lives in IndexedDB, which no worker of this game opens).
var PREFIX = "vantorell " + self.registration.scope + " ";
var CACHE = PREFIX + BUILD;

function hex(buffer) {
  return Array.prototype.map.call(new Uint8Array(buffer), function(b) {
    return (b < 16 ? "0" : "") + b.toString(16);
  }).join("");
}

function olderCaches() {
  return caches.keys().then(function(keys) {
    return keys.filter(function(k) { return k.indexOf(PREFIX) === 0 && k !== CACHE; });
  });
}

// One file into the new cache: a hash-named file from an older build's cache when one has it
// (an update then downloads only what changed), anything else from the server, refused when
// its content is not the one this build was made with (a half-published or newer site).
function store(cache, older, name) {
  var named = name.indexOf(FILES[name]) >= 0;
  var kept = !named ? Promise.resolve(null) : older.reduce(function(found, key) {
    return found.then(function(r) {
      return r || caches.open(key).then(function(c) { return c.match(name); });
    });
  }, Promise.resolve(null));
  return kept.then(function(response) {
    if (response) return cache.put(name, response);
    return fetch(new Request(name, {cache: named ? "default" : "no-cache"})).then(function(r) {
      if (!r.ok) throw new Error(name + ": the server answered " + r.status);
      return r.clone().arrayBuffer().then(function(body) {
        return crypto.subtle.digest("SHA-256", body);
      }).then(function(digest) {
        if (hex(digest).slice(0, 16) !== FILES[name])
          throw new Error(name + " is not the file of build " + BUILD);
        return cache.put(name, r);
      });
    });
  });
}

// A build is installed whole or not at all: a failed file drops the half-filled cache, and
// the browser tries the worker again at a later start.
self.addEventListener("install", function(event) {
  event.waitUntil(Promise.all([caches.open(CACHE), olderCaches()]).then(function(both) {
    return Promise.all(Object.keys(FILES).map(function(name) {
      return store(both[0], both[1], name);
    }));
  }).catch(function(e) {
    return caches.delete(CACHE).then(function() { throw e; });
  }));
});

self.addEventListener("activate", function(event) {
  event.waitUntil(olderCaches().then(function(keys) {
    return Promise.all(keys.map(function(k) { return caches.delete(k); }));
  }));
});

// The start page (with or without "index.html", with any query) and every file of the build
// come from the cache; anything else goes to the network as if no worker were there.
self.addEventListener("fetch", function(event) {
  var request = event.request, url = new URL(request.url);
  if (request.method !== "GET" || url.origin !== self.location.origin) return;
  var scope = new URL(self.registration.scope).pathname;
  if (url.pathname.indexOf(scope) !== 0) return;
  var name = url.pathname.slice(scope.length);
  if (request.mode === "navigate") {
    if (name !== "" && name !== "index.html") return;
    name = "index.html";
  }
  if (!Object.prototype.hasOwnProperty.call(FILES, name)) return;
  event.respondWith(caches.open(CACHE).then(function(cache) {
    return cache.match(name);
  }).then(function(hit) {
    return hit || fetch(request);
  }));
});
