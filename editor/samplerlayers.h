#pragma once
// Which sampler instruments name which layer of the song's wave store, so
// that a new sampler instrument gets a layer of its own and a change of a
// shared layer's wave is asked about first. Window thread only.

#include <cstdint>
#include <string>
#include <vector>

#include "app/tracker.h"

// The layer a sampler's parameter block plays (its word 2 held to 0-127),
// or -1 for a block that is no sampler or whose word 2 is 255, the mark of
// a sampler without a sample.
int32_t SamplerLayer(const int16_t* params);

// The layer a block that becomes a sampler takes: the lowest layer that
// holds no wave and that no other sampler instrument names; when every
// layer is taken, layer 0, as the sampler's defaults have it.
int32_t FreeSamplerLayer(const cTracker& tracker, int32_t block);

// The numbers (1-128) of the sampler instruments other than block's that
// name the layer, lowest first.
std::vector<int32_t> OtherSamplersOnLayer(const cTracker& tracker, int32_t layer, int32_t block);

// "Layer 4 is also used by instruments 2, 7: replace its sample for all of
// them?" (replace) or "... delete its sample ..." (not replace).
std::string SharedLayerQuestion(int32_t layer, const std::vector<int32_t>& others, bool replace);

// The sample page's line under the wave's name: "Also used by instrument
// 2." or "Also used by instruments 2, 7."; empty when nobody shares it.
std::string SharedLayerText(const std::vector<int32_t>& others);
