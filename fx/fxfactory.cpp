#include "fx/fxfactory.h"

#include <algorithm>
#include <climits>

#include "fx/compressor.h"
#include "fx/delay.h"
#include "fx/distortion.h"
#include "fx/equalizer.h"
#include "fx/fastfilter.h"
#include "fx/flanger.h"
#include "fx/reverb.h"
#include "fx/stereo.h"

static_assert(kFxMostParams ==
              std::max({cFastFilter24::kNumParams, cDelay::kNumParams, cReverb::kNumParams,
                        cStereo::kNumParams, cDistorter::kNumParams, cOverdrive::kNumParams,
                        cFlanger::kNumParams, cCompressor::kNumParams, cEqualizer5::kNumParams,
                        cEqualizer7::kNumParams, cFlanger2::kNumParams}));

namespace {

const char* const kFxTypeNames[kFxTypeCount] = {
    "None",
    "FastFilter 24db",
    "Delay + Feedback",
    "Reverberator",
    "Stereo Expander",
    "Distorter",
    "Overdrive",
    "Flanger/Chorus",
    "Compressor",
    "Equalizer (5 Bands)",
    "Equalizer (7 Bands)",
    "Flanger/Chorus 2",
};

// Construction only; Init does the rest.
std::unique_ptr<cEffect> Construct(int32_t type) {
  switch (type) {
    case 1:
      return std::make_unique<cFastFilter24>();
    case 2:
      return std::make_unique<cDelay>();
    case 3:
      return std::make_unique<cReverb>();
    case 9:
      return std::make_unique<cEqualizer5>();
    case 10:
      return std::make_unique<cEqualizer7>();
    case 4:
      return std::make_unique<cStereo>();
    case 5:
      return std::make_unique<cDistorter>();
    case 6:
      return std::make_unique<cOverdrive>();
    case 7:
      return std::make_unique<cFlanger>();
    case 8:
      return std::make_unique<cCompressor>();
    case 11:
      return std::make_unique<cFlanger2>();
    default:
      return nullptr;
  }
}

}  // namespace

const char* FxTypeName(int32_t type) {
  if (type < 0 || type >= kFxTypeCount) return nullptr;
  return kFxTypeNames[type];
}

std::unique_ptr<cEffect> cFxFactory::NewFxModule(int32_t type) const {
  std::unique_ptr<cEffect> fx = Construct(type);
  if (!fx) return nullptr;
  fx->bpm = bpm;
  fx->speed = speed;
  fx->Init(sampleRate);
  return fx;
}

int32_t cFxFactory::x2ms(int32_t n) const {
  if (bpm == nullptr || speed == nullptr || *bpm == 0) return 0;
  // Whole milliseconds per row first, as the interface shows them.
  const int64_t rowMs = int64_t(*speed) * 2500 / *bpm;
  return int32_t(std::clamp<int64_t>(rowMs * (int64_t(n) + 1), INT32_MIN, INT32_MAX));
}
