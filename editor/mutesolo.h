#pragma once
// What a click on a channel of the scope does to the mixer's on-flags and
// solo: the right button solos a channel or, when one is soloed, opens every
// channel again; any other button toggles a channel, or, while another is
// soloed, keeps exactly that one and the clicked one audible.
// The caller holds the engine lock and gives a channel within 0-15.

#include "song/songtables.h"

void ScopeMuteSolo(cMixerFlags& mixer, int channel, bool rightButton);
