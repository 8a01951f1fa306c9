#pragma once

#include "core/Cues.h"

#include <QString>

#include <memory>

namespace spectrel {

// The sound cues as the program plays them: from its sound module (spectrel-sound, SoundEffectCues over Qt
// Multimedia), which brings Qt Multimedia and the audio and codec libraries under it. The program does not
// load them at start, so that its window is not kept waiting for them: the module, with its five sounds, is
// loaded by load(), which start-up calls once the window is shown, or by the first cue asked for before that.
// A module that cannot be loaded leaves the program silent, with one warning in the log.
class ModuleCues : public Cues {
public:
    explicit ModuleCues(QString modulePath = installedModulePath());
    // Ends the module's cues (which lets a sound still loading finish first); the module stays loaded until
    // the process ends. Destroy it after the event loop has ended.
    ~ModuleCues() override;
    ModuleCues(const ModuleCues&) = delete;
    ModuleCues& operator=(const ModuleCues&) = delete;

    // Loads the module and its sounds, once; true when the cues are there.
    bool load();
    void PlayCue(int id) override;

    // Where the program's module is: beside the program's folder, where the install puts it.
    static QString installedModulePath();

private:
    QString m_path;
    bool m_tried = false;
    std::unique_ptr<Cues> m_cues;
};

} // namespace spectrel
