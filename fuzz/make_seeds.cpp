// Writes the seed corpora of the fuzz targets into <folder>/<target>/: files
// the program itself writes (a saved busy song and a new one, the demo song,
// a module converted to a song, presets, a wave list, an .ini, sound files
// of the render's kinds), a module and WAV files composed here, small patches of a valid wavetable
// cache, and every input the fuzzers found, kept as tests/data/fuzz/<target>-*.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "audio/soundfilewriter.h"
#include "support/busysong.h"
#include "support/modsong.h"

namespace {

std::string root;

void Put(const std::string& target, const std::string& name, const std::vector<uint8_t>& bytes) {
  std::filesystem::create_directories(root + "/" + target);
  std::FILE* f = std::fopen((root + "/" + target + "/" + name).c_str(), "wb");
  if (!f) return;
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

std::vector<uint8_t> Slurp(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    int c;
    while ((c = std::fgetc(f)) != EOF) bytes.push_back(uint8_t(c));
    std::fclose(f);
  }
  return bytes;
}

void Le(std::vector<uint8_t>& b, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

std::vector<uint8_t> Wav(int channels, int bits, int frames, bool extraChunk) {
  std::vector<uint8_t> data;
  for (int i = 0; i < frames * channels; ++i) {
    if (bits == 8) {
      data.push_back(uint8_t(128 + (i % 50) - 25));
    } else {
      Le(data, uint32_t(uint16_t(int16_t((i % 100) * 300 - 15000))), 2);
    }
  }
  std::vector<uint8_t> b;
  const char* riff = "RIFF";
  b.insert(b.end(), riff, riff + 4);
  Le(b, 0, 4);
  const char* wave = "WAVEfmt ";
  b.insert(b.end(), wave, wave + 8);
  Le(b, 16, 4);
  Le(b, 1, 2);
  Le(b, uint32_t(channels), 2);
  Le(b, 22050, 4);
  Le(b, uint32_t(22050 * channels * bits / 8), 4);
  Le(b, uint32_t(channels * bits / 8), 2);
  Le(b, uint32_t(bits), 2);
  if (extraChunk) {
    const char* list = "LIST";
    b.insert(b.end(), list, list + 4);
    Le(b, 4, 4);
    Le(b, 0x4F464E49, 4);
  }
  const char* d = "data";
  b.insert(b.end(), d, d + 4);
  Le(b, uint32_t(data.size()), 4);
  b.insert(b.end(), data.begin(), data.end());
  const uint32_t riffSize = uint32_t(b.size() - 8);
  std::memcpy(b.data() + 4, &riffSize, 4);
  return b;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: make_seeds <folder>\n");
    return 2;
  }
  root = argv[1];
  const std::string scratch = root + "/scratch";
  std::filesystem::create_directories(scratch);

  cConfig config;
  config.cpuCalc = 0;
  cTracker t(config);
  if (!t.SystemStart(false)) return 1;

  t.SaveModule(scratch + "/new.zqm");
  Put("song", "new.zqm", Slurp(scratch + "/new.zqm"));
  ComposeBusySong(t, 4);
  t.SaveModule(scratch + "/busy.zqm");
  Put("song", "busy.zqm", Slurp(scratch + "/busy.zqm"));
  // The presets while the busy song's instruments are loaded: a MOD import
  // below turns them into sampler blocks, which no preset holds.
  t.SaveSynth(scratch + "/bass.zqb", 0);
  Put("preset", "bass.zqb", Slurp(scratch + "/bass.zqb"));
  t.SaveFMSynth(scratch + "/fm.zqf", kBusyFM - 1);
  Put("preset", "fm.zqf", Slurp(scratch + "/fm.zqf"));

  Put("song", "demo.zqm", Slurp(std::string(MURVELON_SOURCE_DIR) + "/Songs/demo.zqm"));

  Put("mod", "generated.mod", ComposeModule());
  if (t.LoadModuleMOD(root + "/mod/generated.mod") == 1 &&
      t.SaveModule(scratch + "/converted.zqm") == 1) {
    Put("song", "converted.zqm", Slurp(scratch + "/converted.zqm"));
  }
  std::vector<uint8_t> tiny = ComposeModule();
  tiny.resize(1084 + 1024);  // one pattern, no sample data
  Put("mod", "truncated.mod", tiny);

  Put("wav", "mono16.wav", Wav(1, 16, 200, false));
  Put("wav", "stereo8.wav", Wav(2, 8, 150, true));
  // The kinds libsndfile reads, as the render writes them.
  std::vector<double> sound(2 * 300);
  for (size_t i = 0; i < sound.size(); ++i) sound[i] = double(int(i % 90) * 500 - 22000);
  for (eSoundFormat format : {eSoundFormat::kWav24, eSoundFormat::kWavFloat, eSoundFormat::kFlac16,
                              eSoundFormat::kFlac24}) {
    const std::string name = std::string(SoundFormatName(format)) + SoundFormatSuffix(format);
    cSoundFileWriter writer;
    if (writer.Open(scratch + "/" + name, format, 22050) &&
        writer.Write(sound.data(), nullptr, 300) && writer.Commit()) {
      Put("wav", name, Slurp(scratch + "/" + name));
    }
  }

  {
    cFileWriter list;
    std::vector<int16_t> small(40, 1000);
    Inside(t).Waves().SetSlot(7, small.data(), 20, 0x10 | 0x01, 2, 18, "stereo loop");
    Inside(t).Waves().WriteWaveList(list);
    Put("wavelist", "busy.list", list.Bytes());
  }

  // Patches: offset, then bytes written there (see fuzz_wavecache.cpp).
  Put("wavecache", "none", {});
  Put("wavecache", "index", {0, 0, 0, 0, 0, 16, 0, 0, 0, 32, 0, 0});
  Put("wavecache", "table", {0, 0, 2, 0, 0, 0, 0x80, 0x3F, 0, 0, 0x80, 0xBF});

  const std::string ini =
      "[DirectSound]\nFrequency=44100\nLatency=80\nTimer1Mult=2\nDevice=null\n"
      "[Tracker]\nChans=8\nOctave=4\nMasterVol=120\nBPM=125\nSpeed=6\nCpuCalc=0\n";
  Put("ini", "murvelon.ini", std::vector<uint8_t>(ini.begin(), ini.end()));

  // Inputs the fuzzers found; the regular tests load them too.
  const std::filesystem::path found = std::string(MURVELON_SOURCE_DIR) + "/tests/data/fuzz";
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(found, error)) {
    const std::string name = entry.path().filename().string();
    const size_t dash = name.find('-');
    if (dash != std::string::npos) Put(name.substr(0, dash), name, Slurp(entry.path().string()));
  }

  std::filesystem::remove_all(scratch);
  return 0;
}
