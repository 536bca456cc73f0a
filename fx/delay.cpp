#include "fx/delay.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "fx/denormal.h"

namespace {

const cFxParamDesc kDelayParams[cDelay::kNumParams] = {
    {"Delay Left (ms)", "DelayL", 0, kDelayMaxMs, 340, kFxTimeSync},
    {"Delay Right (ms)", "DelayR", 0, kDelayMaxMs, 340, kFxTimeSync},
    {"Feedback Left (%)", "FeedBackL", 0, 100, 75, 0},
    {"Feedback Right (%)", "FeedBackR", 0, 100, 75, 0},
    {"Color (%)", "Color", 0, 100, 75, 0},
    {"Dry (%)", "Dry", 0, 100, 80, 0},
    {"Wet (%)", "Wet", 0, 100, 65, 0},
    {"Mode (Normal/PingPong)", "Mode", 0, 1, 0, 0},
};

const int32_t kDelayPreset1[cDelay::kNumParams] = {85, 80, 80, 85, 90, 90, 95, 0};

}  // namespace

// A preset also empties the lines.
cDelay::cDelay() : cParamEffect(kDelayParams, true, &kDelayPreset1, 1) {}

void cDelay::Init(int32_t rate) {
  const int32_t length = std::max<int32_t>(
      kDelayLineLength, int32_t(int64_t(kDelayMaxMs) * std::max(rate, 0) / 1000 + 1));
  if (length != lineLength) {
    lineLeft = std::make_unique<float[]>(size_t(length));
    lineRight = std::make_unique<float[]>(size_t(length));
    lineLength = length;
  }
  sampleRate = float(rate);
  samplesPerMs = float(rate * 0.001);
  framesPerSecond = rate;
  std::fill(std::begin(params), std::end(params), 0);
  Reset(true);
}

void cDelay::Reset(bool loadDefaults) {
  readLeft = readRight = 0;
  lastLeft = lastRight = 0.0f;
  rowFlag = 0;
  if (loadDefaults) LoadPreset(0);
}

void cDelay::Clear() {
  std::fill_n(lineLeft.get(), lineLength, 0.0f);
  std::fill_n(lineRight.get(), lineLength, 0.0f);
  lastLeft = lastRight = 0.0f;
}

// Delay times are left out: applying them again would move the write
// positions and throw away the echoes in flight.
void cDelay::ApplyParams() {
  for (int32_t i = 2; i < kNumParams; ++i) SetParam(i, params[i]);
}

void cDelay::SetParam(int32_t index, int32_t value) {
  switch (index) {
    case 0:
    case 1: {
      const int32_t ms = Clamped(index, value);
      params[index] = ms;
      // In integers: samplesPerMs lies just below rate / 1000 at 22050 and
      // 44100 Hz, so a product with it falls short of a whole frame whenever
      // ms x rate / 1000 is whole (20 ms at 22050 Hz) and loses that frame.
      const int32_t lag = int32_t(int64_t(ms) * framesPerSecond / 1000);
      if (lineLength == 0) break;  // not initialised: no line to place it in
      if (index == 0) {
        writeLeft = (readLeft + lag) % lineLength;
      } else {
        writeRight = (readRight + lag) % lineLength;
      }
      break;
    }
    case 2:
    case 3: {
      const int32_t percent = std::clamp(value, 0, 95);  // 100 would never decay
      params[index] = percent;
      (index == 2 ? feedbackLeft : feedbackRight) = float(percent * 0.01);
      break;
    }
    case 4:
    case 5:
    case 6: {
      const int32_t percent = Clamped(index, value);
      params[index] = percent;
      // Rounded once: 80 % is the float nearest 0.8.
      const float factor = float(percent * 0.01);
      if (index == 4) {
        color = factor;
      } else if (index == 5) {
        dry = factor;
      } else {
        wet = factor;
      }
      break;
    }
    case 7:
      params[7] = value & 1;
      pingPong = value & 1;
      break;
    default:
      break;
  }
}

void cDelay::GetParamText(char* text, int32_t index, int32_t value) {
  if (!Has(index)) return;
  if (index <= 1) {
    std::snprintf(text, kFxTextSize, "%d ms", value);
  } else if (index <= 6) {
    std::snprintf(text, kFxTextSize, "%d %%", value);
  } else {
    std::snprintf(text, kFxTextSize, "%s", (value & 1) ? "PingPong" : "Normal");
  }
}

// audio thread, engine lock held
int32_t cDelay::Process(float* frames, int32_t count) {
  if (lineLength == 0) return 0;
  for (int32_t i = 0; i < count; ++i) {
    float* frame = frames + 2 * i;
    const float xL = FlushDenormal(frame[0]);
    const float xR = FlushDenormal(frame[1]);
    const float a = xL + lineLeft[readLeft];
    const float b = xR + lineRight[readRight];
    if (++readLeft >= lineLength) readLeft = 0;
    if (++readRight >= lineLength) readRight = 0;

    const float fedLeft = pingPong ? b : a;
    const float fedRight = pingPong ? a : b;
    lineLeft[writeLeft] = lastLeft + color * (fedLeft * feedbackLeft - lastLeft);
    lineRight[writeRight] = lastRight + color * (fedRight * feedbackRight - lastRight);
    lastLeft = lineLeft[writeLeft];
    lastRight = lineRight[writeRight];
    if (++writeLeft >= lineLength) writeLeft = 0;
    if (++writeRight >= lineLength) writeRight = 0;

    // The wet path carries the input as well as the echoes.
    frame[0] = a * wet + xL * dry;
    frame[1] = b * wet + xR * dry;
  }
  lastBlock = frames;
  lastBlockFrames = count;
  return 0;
}
