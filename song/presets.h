#pragma once
// Instrument presets: one instrument's 128 words behind a four-byte magic,
// "ZQB1" for the virtual-analogue synthesizer, "ZQF1" for the FM synthesizer.

#include <cstdint>
#include <string>

constexpr int kPresetBytes = 260;

// 1 on success; 0 when the block is of another generator type (no file is
// made) or the file cannot be written (the old file stays).
int SaveSynth(const std::string& path, const int16_t* block);
int SaveFMSynth(const std::string& path, const int16_t* block);
// 1 on success; 0 for an unreadable file or another magic, with the block
// unchanged. A short file loads as far as it goes.
int LoadSynth(const std::string& path, int16_t* block);
int LoadFMSynth(const std::string& path, int16_t* block);
