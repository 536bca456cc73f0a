#pragma once
// Instrument presets: one instrument's 128 words behind a four-byte magic,
// "ZQB1" for the virtual-analogue synthesizer, "ZQF1" for the FM synthesizer.

#include <cstdint>
#include <string>

#include "song/fileresult.h"

constexpr int kPresetBytes = 260;

// 1 on success; 0 when the block is of another generator type (no file is
// made; why: not this kind) or the file cannot be written (the old file
// stays; why: the system's reason).
int SaveSynth(const std::string& path, const int16_t* block, cFileResult* why = nullptr);
int SaveFMSynth(const std::string& path, const int16_t* block, cFileResult* why = nullptr);
// 1 on success; 0 for an unreadable file, another magic (not this kind) or
// a file that ends inside the block (ends early), with the block unchanged.
int LoadSynth(const std::string& path, int16_t* block, cFileResult* why = nullptr);
int LoadFMSynth(const std::string& path, int16_t* block, cFileResult* why = nullptr);
