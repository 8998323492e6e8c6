// Ogg Vorbis writer of the asset generator (see music.h), on libvorbisenc's VBR mode.
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstring>

#include "tools/assetgen/music.h"

std::vector<uint8_t> encode_ogg(const Wave& w, int rate, int serial, const char* title) {
  std::vector<uint8_t> out;
  auto page_out = [&out](const ogg_page& og) {
    out.insert(out.end(), og.header, og.header + og.header_len);
    out.insert(out.end(), og.body, og.body + og.body_len);
  };
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, 1, rate, 0.45f) != 0) {
    vorbis_info_clear(&vi);
    return out;
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_comment_add_tag(&vc, "TITLE", title);
  vorbis_comment_add_tag(&vc, "ARTIST", "Vantorell");
  vorbis_dsp_state vd;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block vb;
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, serial);

  ogg_packet head, comm, code;
  vorbis_analysis_headerout(&vd, &vc, &head, &comm, &code);
  ogg_stream_packetin(&os, &head);
  ogg_stream_packetin(&os, &comm);
  ogg_stream_packetin(&os, &code);
  ogg_page og;
  // The headers get pages of their own, so the audio starts on a fresh page.
  while (ogg_stream_flush(&os, &og)) page_out(og);

  size_t pos = 0;
  bool eos = false, input_done = false;
  while (!eos) {
    if (!input_done) {
      const size_t chunk = 4096;
      size_t n = std::min(chunk, w.size() - pos);
      if (n == 0) {
        vorbis_analysis_wrote(&vd, 0);
        input_done = true;
      } else {
        float** buf = vorbis_analysis_buffer(&vd, static_cast<int>(n));
        std::memcpy(buf[0], w.data() + pos, n * sizeof(float));
        vorbis_analysis_wrote(&vd, static_cast<int>(n));
        pos += n;
      }
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet op;
      while (vorbis_bitrate_flushpacket(&vd, &op)) {
        ogg_stream_packetin(&os, &op);
        while (ogg_stream_pageout(&os, &og)) {
          page_out(og);
          if (ogg_page_eos(&og)) eos = true;
        }
      }
    }
    if (input_done && !eos) {
      // Everything is analysed; push out whatever the stream still holds.
      while (ogg_stream_flush(&os, &og)) {
        page_out(og);
        if (ogg_page_eos(&og)) eos = true;
      }
      eos = true;
    }
  }
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return out;
}
