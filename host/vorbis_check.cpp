// The desktop's check of an Ogg tune's Vorbis headers through libvorbis (host/media.h), run
// before stb_vorbis opens the file. host/CMakeLists.txt builds it; the page, which has no
// libvorbis, trusts the tunes packed with it (host/web/web_platform.cpp).
#include <vorbis/codec.h>

#include <cstring>

#include "host/media.h"

bool vgVorbisHeadersValid(const unsigned char* bytes, size_t size) {
  ogg_sync_state sync;
  ogg_sync_init(&sync);
  char* into = ogg_sync_buffer(&sync, static_cast<long>(size));
  if (size) std::memcpy(into, bytes, size);
  ogg_sync_wrote(&sync, static_cast<long>(size));

  vorbis_info info;
  vorbis_comment comment;
  vorbis_info_init(&info);
  vorbis_comment_init(&comment);
  ogg_stream_state stream;
  bool streaming = false;
  int headers = 0;
  bool bad = false;
  ogg_page page;
  while (!bad && headers < 3 && ogg_sync_pageout(&sync, &page) == 1) {
    if (!streaming) {
      ogg_stream_init(&stream, ogg_page_serialno(&page));
      streaming = true;
    }
    if (ogg_page_serialno(&page) != stream.serialno) continue;
    if (ogg_stream_pagein(&stream, &page) != 0) bad = true;
    ogg_packet packet;
    while (!bad && headers < 3 && ogg_stream_packetout(&stream, &packet) == 1) {
      bad = vorbis_synthesis_headerin(&info, &comment, &packet) != 0;
      ++headers;
    }
  }
  // A decoder that libvorbis can set up from these headers.
  bool ok = !bad && headers == 3;
  if (ok) {
    vorbis_dsp_state dsp;
    ok = vorbis_synthesis_init(&dsp, &info) == 0;
    if (ok) vorbis_dsp_clear(&dsp);
  }
  if (streaming) ogg_stream_clear(&stream);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  ogg_sync_clear(&sync);
  return ok;
}
