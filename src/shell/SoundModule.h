#pragma once

#include "core/Cues.h"

// What the sound module (spectrel-sound) offers the program that loads it: one function that makes its cues
// with their five sounds loaded, for the caller to own.
namespace spectrel {

using SoundModuleEntry = Cues* (*)();
inline constexpr char kSoundModuleEntry[] = "spectrel_sound_cues";

} // namespace spectrel
