#include "audio/resampler.h"

#include <samplerate.h>

#include <algorithm>
#include <new>

cResampler::~cResampler() { Close(); }

bool cResampler::Open(uint32_t fromRate, uint32_t toRate, cSource fill, void* fillUser) {
  Close();
  if (fromRate == 0 || toRate == 0 || fill == nullptr) return false;
  input.reset(new (std::nothrow) int16_t[kChunk * 2]);
  inputFloats.reset(new (std::nothrow) float[kChunk * 2]);
  outputFloats.reset(new (std::nothrow) float[kChunk * 2]);
  if (!input || !inputFloats || !outputFloats) return false;
  int error = 0;
  // The fastest of the band-limited converters: clean to the top of the
  // audible band at a small share of a block's time.
  state = src_callback_new(Supply, SRC_SINC_FASTEST, 2, &error, this);
  if (state == nullptr) return false;
  ratio = double(toRate) / double(fromRate);
  source = fill;
  user = fillUser;
  return true;
}

void cResampler::Close() {
  if (state != nullptr) src_delete(static_cast<SRC_STATE*>(state));
  state = nullptr;
}

void cResampler::Reset() {
  if (state != nullptr) src_reset(static_cast<SRC_STATE*>(state));
}

long cResampler::Supply(void* self, float** data) {
  auto* r = static_cast<cResampler*>(self);
  r->source(r->user, r->input.get(), kChunk);
  src_short_to_float_array(r->input.get(), r->inputFloats.get(), int(kChunk * 2));
  *data = r->inputFloats.get();
  return long(kChunk);
}

void cResampler::Read(int16_t* out, uint32_t count) {
  while (count > 0) {
    const long want = long(std::min(count, kChunk));
    long got = src_callback_read(static_cast<SRC_STATE*>(state), ratio, want, outputFloats.get());
    if (got <= 0) {  // a converter error: silence rather than stale sound
      std::fill(out, out + size_t(count) * 2, int16_t(0));
      return;
    }
    src_float_to_short_array(outputFloats.get(), out, int(got * 2));
    out += got * 2;
    count -= uint32_t(got);
  }
}
