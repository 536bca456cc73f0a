#pragma once
// A sample file of any common kind read into a sound buffer: 8- and 16-bit
// PCM WAV files through the program's own WAV reader, so that their frames
// stay what they have always been; every other kind (24- and 32-bit and
// float WAV, FLAC, AIFF, Ogg Vorbis) through libsndfile, rounded to 16 bits.
// The frames keep the file's own rate.

#include <string>

#include "engine/wavreader.h"

// False when the file cannot be read, is damaged, holds more than two
// channels or no sound, or is no sound file at all; why says which, in the
// words FileResultReason gives them (a file of no kind that can be read
// leaves the words to the caller). The sound is then untouched.
bool ReadSampleFile(const std::string& path, cWavSound* sound, cFileResult* why = nullptr);
