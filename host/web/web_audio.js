// The page's sound buffers for tunes, linked into the program as a library of its own.
// Emscripten's OpenAL copies a buffer's samples into the browser's sound buffer inside
// alBufferData, all at once: for a tune, tens of milliseconds in the frame that starts it.
// The page's tune prefetch (host/web/web_prefetch.cpp) builds that buffer ahead, a piece per
// frame, and offers it to the next upload of the same samples, which then takes it as it is.
mergeInto(LibraryManager.library, {
  $VgTunes: {building: {}, offered: null, taken: 0},

  vgPrepareTune__deps: ['$VgTunes'],
  vgPrepareTune: function(id, samples, channels, hertz, frames, from, count) {
    var buffer = VgTunes.building[id];
    if (!buffer) {
      try {
        buffer = new AudioBuffer({numberOfChannels: channels, length: frames, sampleRate: hertz});
      } catch (e) {
        return -1;  // no Web Audio, or a layout it refuses: the upload copies as before
      }
      VgTunes.building[id] = buffer;
    }
    var end = Math.min(frames, from + count);
    for (var c = 0; c < channels; ++c) {
      var out = buffer.getChannelData(c);
      for (var i = from, p = (samples >> 1) + from * channels + c; i < end; ++i, p += channels) {
        out[i] = HEAP16[p] * 0.000030517578125; /* 1/32768, as OpenAL's own copy */
      }
    }
    return end;
  },

  vgOfferTune__deps: ['$VgTunes'],
  vgOfferTune: function(id, samples) {
    var buffer = VgTunes.building[id];
    delete VgTunes.building[id];
    VgTunes.offered = buffer ? {samples: samples, buffer: buffer} : null;
  },

  // Emscripten's own upload, kept for every other buffer.
  vgCopyingBufferData: LibraryManager.library.alBufferData,
  vgCopyingBufferData__deps: ['$AL'],

  // An offer holds for the one upload that follows it. It is taken only for the same
  // samples in the same layout (a few compared, in case the device dropped the tune and the
  // memory was reused); the buffer fields set are the ones Emscripten's upload sets.
  alBufferData__deps: ['$AL', '$VgTunes', 'vgCopyingBufferData'],
  alBufferData: function(bufferId, format, pData, size, freq) {
    var offered = VgTunes.offered;
    VgTunes.offered = null;
    var buf = AL.currentCtx && AL.buffers[bufferId];
    var audio = offered && offered.buffer;
    var channels = format === 0x1101 /* MONO16 */ ? 1 : format === 0x1103 /* STEREO16 */ ? 2 : 0;
    if (buf && audio && offered.samples === pData && channels === audio.numberOfChannels &&
        size === audio.length * channels * 2 && freq === audio.sampleRate) {
      var same = true;
      for (var k = 0; k < 16 && same; ++k) {
        var at = Math.floor(k * (audio.length - 1) / 15);
        for (var c = 0; c < channels; ++c) {
          same = same && audio.getChannelData(c)[at] ===
                         HEAP16[(pData >> 1) + at * channels + c] * 0.000030517578125;
        }
      }
      if (same) {
        buf.bytesPerSample = 2;
        buf.channels = channels;
        buf.length = audio.length;
        buf.frequency = freq;
        buf.audioBuf = audio;
        Module.vgTunesTaken = ++VgTunes.taken;
        return;
      }
    }
    _vgCopyingBufferData(bufferId, format, pData, size, freq);
  },
});
