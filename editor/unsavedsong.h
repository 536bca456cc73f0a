#pragma once
// A song with unsaved changes before a command that replaces or closes it
// (New, Load, import, Quit, the engine restart): the question, its three
// answers, and whether the command goes on.

#include <functional>

inline constexpr const char* kUnsavedQuestion = "Song has not been saved, discard it?";

enum class eUnsavedAnswer { kSave, kDiscard, kCancel };

// Whether the command goes on. A song without unsaved changes goes on
// without a question; otherwise ask() answers it: Discard goes on, Cancel
// stops, and Save runs save() and goes on only when the song is then on
// disk, so that a save cancelled in its dialog or failed stops the command.
bool MayReplaceSong(bool modified, const std::function<eUnsavedAnswer()>& ask,
                    const std::function<bool()>& save);
