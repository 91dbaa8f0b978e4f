#pragma once
// Small Ogg Vorbis files made in the test with libvorbisenc.

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace soundtest {

// A sine of the given amplitude and frequency, nFrames long, mono or stereo.
// The encoder's low-pass filter is opened to the file's Nyquist frequency, so
// that a tone near it is kept.
inline std::string MakeOggSine(int nRate, int nChannels, int nFrames, float fAmplitude = 0.5f,
                               double dFrequency = 441.0) {
  std::string out;
  vorbis_info vi;
  vorbis_info_init(&vi);
  double dLowPassKhz = std::max(2.0, nRate / 2000.0);
  if (vorbis_encode_setup_vbr(&vi, nChannels, nRate, 0.4f) != 0 ||
      vorbis_encode_ctl(&vi, OV_ECTL_LOWPASS_SET, &dLowPassKhz) != 0 ||
      vorbis_encode_setup_init(&vi) != 0)
    std::abort();
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, 1234);
  ogg_packet header, comment, code;
  vorbis_analysis_headerout(&vd, &vc, &header, &comment, &code);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comment);
  ogg_stream_packetin(&os, &code);
  ogg_page og;
  auto writePage = [&] {
    out.append(reinterpret_cast<const char*>(og.header), og.header_len);
    out.append(reinterpret_cast<const char*>(og.body), og.body_len);
  };
  while (ogg_stream_flush(&os, &og) != 0) writePage();

  const double kTwoPi = 6.283185307179586;
  for (int nDone = 0; nDone <= nFrames;) {
    const int n = std::min(1024, nFrames - nDone);
    if (n <= 0) {
      vorbis_analysis_wrote(&vd, 0);  // end of stream
      nDone = nFrames + 1;
    } else {
      float** buf = vorbis_analysis_buffer(&vd, n);
      for (int i = 0; i < n; ++i)
        for (int c = 0; c < nChannels; ++c)
          buf[c][i] =
              fAmplitude * static_cast<float>(std::sin(kTwoPi * dFrequency * (nDone + i) / nRate));
      vorbis_analysis_wrote(&vd, n);
      nDone += n;
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet op;
      while (vorbis_bitrate_flushpacket(&vd, &op)) {
        ogg_stream_packetin(&os, &op);
        while (ogg_stream_pageout(&os, &og) != 0) writePage();
      }
    }
  }
  while (ogg_stream_flush(&os, &og) != 0) writePage();
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return out;
}

}  // namespace soundtest
