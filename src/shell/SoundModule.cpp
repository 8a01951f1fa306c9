// The sound module: the program's cues over Qt Multimedia, in a library of their own that the program loads
// once its window is shown (ModuleCues).

#include "shell/SoundModule.h"
#include "shell/SoundEffectCues.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT spectrel::Cues* spectrel_sound_cues()
{
    auto* cues = new spectrel::SoundEffectCues;
    cues->preload();
    return cues;
}
