// info: what a song holds, as text or JSON.

#include <cstdio>
#include <string>
#include <vector>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "tools/cli/cli.h"

namespace {

struct cParamInfo {
  std::string label;
  int32_t value;
  std::string text;
};

struct cSlotInfo {
  int chain, slot;
  std::string name;
  std::vector<cParamInfo> params;
};

struct cWaveInfo {
  int slot;
  std::string name;
  int32_t frames;
  bool stereo, looped;
  int32_t loopStart, loopEnd;
};

// Channels from 0 as the window numbers them, the aux buses from 1 as the
// window names them.
std::string ChainName(int chain) {
  return chain < kChannels ? "Channel " + std::to_string(chain)
                           : "Aux" + std::to_string(chain - kChannels + 1);
}

// The chain's number beside its name: "channel": 3 or "aux": 1.
std::string ChainJson(int chain) {
  return chain < kChannels ? "\"channel\": " + std::to_string(chain)
                           : "\"aux\": " + std::to_string(chain - kChannels + 1);
}

// "1-3, 5, 7-128"
std::string Ranges(const std::vector<int>& numbers) {
  std::string out;
  for (size_t i = 0; i < numbers.size();) {
    size_t j = i;
    while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1) ++j;
    if (!out.empty()) out += ", ";
    out += std::to_string(numbers[i]);
    if (j > i) out += "-" + std::to_string(numbers[j]);
    i = j + 1;
  }
  return out;
}

std::string Json(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

}  // namespace

int RunInfo(const cCliOptions& options) {
  cConfig config = LoadCliConfig(options);
  config.cpuCalc = 0;
  std::unique_ptr<cTracker> tracker = OpenSong(config, options.input, false);
  if (!tracker) return kExitFile;
  std::lock_guard<std::recursive_mutex> lock(Inside(*tracker).EngineLock());
  cSongTables& song = Inside(*tracker).Song();

  uint32_t highest = 0;
  for (int p = 0; p < kPositions; ++p) highest = std::max(highest, song.GetPattern(p));
  const int patterns = int(std::min<uint32_t>(highest + 1, kPatterns));

  const char* generatorNames[] = {"cBass", "cSampler", "cFMSynth"};
  std::vector<int> byGenerator[3], unknown;
  for (int i = 0; i < kInstruments; ++i) {
    const int16_t type = song.Instrument(i)[kParamGenType];
    (type >= 0 && type < 3 ? byGenerator[type] : unknown).push_back(i + 1);
  }

  std::vector<cWaveInfo> waves;
  for (int s = 0; s < kWaveSlots; ++s) {
    cWaveEntry e;
    if (!Inside(*tracker).Waves().GetEntry(s, &e) || e.length <= 0 || e.data == nullptr) continue;
    waves.push_back({s, e.name, e.length, (e.flags & kWaveStereoFlags) != 0,
                     (e.flags & kWaveLoopFlags) != 0, e.loopStart, e.loopEnd});
  }

  std::vector<cSlotInfo> slots;
  for (int chain = 0; chain < kFxChains; ++chain) {
    for (int slot = 0; slot < kFxSlots; ++slot) {
      cEffect* fx = Inside(*tracker).Effects().GetFxObjPtr(slot, chain);
      if (fx == nullptr) continue;
      cSlotInfo info{chain, slot, fx->GetName() ? fx->GetName() : "", {}};
      for (int32_t i = 0; i < fx->GetNumParams(); ++i) {
        char text[kFxTextSize] = {};
        const int32_t value = fx->GetParam(i);
        fx->GetParamText(text, i, value);
        const cFxParamDesc* d = fx->GetParamDesc(i);
        info.params.push_back({d ? d->longLabel : std::to_string(i), value, text});
      }
      slots.push_back(std::move(info));
    }
  }

  if (options.json) {
    std::printf("{\n  \"channels\": %d,\n  \"bpm\": %d,\n  \"speed\": %d,\n", song.channelCount,
                song.bpm, song.speed);
    std::printf("  \"start\": %d,\n  \"repeat\": %d,\n  \"end\": %d,\n", song.start, song.repeat,
                song.end);
    std::printf("  \"masterVolume\": %d,\n  \"masterPan\": %d,\n  \"patterns\": %d,\n",
                song.masterVolume, song.masterPan, patterns);
    std::printf("  \"instruments\": {");
    for (int g = 0; g < 3; ++g) {
      std::printf("%s\n    %s: [", g ? "," : "", Json(generatorNames[g]).c_str());
      for (size_t i = 0; i < byGenerator[g].size(); ++i)
        std::printf("%s%d", i ? ", " : "", byGenerator[g][i]);
      std::printf("]");
    }
    std::printf("\n  },\n  \"waves\": [");
    for (size_t i = 0; i < waves.size(); ++i) {
      const cWaveInfo& w = waves[i];
      std::printf("%s\n    {\"slot\": %d, \"name\": %s, \"frames\": %d, \"stereo\": %s, \"loop\": ",
                  i ? "," : "", w.slot, Json(w.name).c_str(), w.frames,
                  w.stereo ? "true" : "false");
      if (w.looped)
        std::printf("[%d, %d]}", w.loopStart, w.loopEnd);
      else
        std::printf("null}");
    }
    std::printf("%s],\n  \"effects\": [", waves.empty() ? "" : "\n  ");
    for (size_t i = 0; i < slots.size(); ++i) {
      const cSlotInfo& s = slots[i];
      std::printf("%s\n    {\"chain\": %s, %s, \"slot\": %d, \"effect\": %s, \"parameters\": [",
                  i ? "," : "", Json(ChainName(s.chain)).c_str(), ChainJson(s.chain).c_str(),
                  s.slot + 1, Json(s.name).c_str());
      for (size_t p = 0; p < s.params.size(); ++p) {
        std::printf("%s{\"name\": %s, \"value\": %d, \"text\": %s}", p ? ", " : "",
                    Json(s.params[p].label).c_str(), s.params[p].value,
                    Json(s.params[p].text).c_str());
      }
      std::printf("]}");
    }
    std::printf("%s]\n}\n", slots.empty() ? "" : "\n  ");
    return kExitOk;
  }

  std::printf("Channels: %d\nBPM: %d\nSpeed: %d\n", song.channelCount, song.bpm, song.speed);
  std::printf("Start: %d\nRepeat: %d\nEnd: %d\n", song.start, song.repeat, song.end);
  std::printf("Master volume: %d %%\nMaster pan: %d\nPatterns saved: %d\n", song.masterVolume,
              song.masterPan, patterns);
  std::printf("Instruments:\n");
  for (int g = 0; g < 3; ++g) {
    if (!byGenerator[g].empty())
      std::printf("  %-9s %s\n", generatorNames[g], Ranges(byGenerator[g]).c_str());
  }
  if (!unknown.empty()) std::printf("  %-9s %s\n", "unknown", Ranges(unknown).c_str());
  std::printf("Waves:%s\n", waves.empty() ? " none" : "");
  for (const cWaveInfo& w : waves) {
    std::printf("  %3d  %-32s %8d frames  %s", w.slot, w.name.c_str(), w.frames,
                w.stereo ? "stereo" : "mono  ");
    if (w.looped)
      std::printf("  loop %d-%d\n", w.loopStart, w.loopEnd);
    else
      std::printf("  no loop\n");
  }
  std::printf("Effects:%s\n", slots.empty() ? " none" : "");
  for (const cSlotInfo& s : slots) {
    std::printf("  %-10s slot %d  %s\n", ChainName(s.chain).c_str(), s.slot + 1, s.name.c_str());
    for (const cParamInfo& p : s.params) {
      std::printf("      %-24s %8d  %s\n", p.label.c_str(), p.value, p.text.c_str());
    }
  }
  for (int c = 0; c < song.channelCount; ++c) {
    for (int a = 0; a < kFxAuxBuses; ++a) {
      const int32_t level = Inside(*tracker).Effects().GetSend(c, a);
      if (level != 0)
        std::printf("  Send: %s -> Aux%d %d %%\n", ChainName(c).c_str(), a + 1, level);
    }
  }
  return kExitOk;
}
