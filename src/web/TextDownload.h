#pragma once

#include <QString>

namespace spectrel {

// Fetches the body at an http or https address, always from the server itself (never from a cache), and
// returns it as 8-bit text: every body the server sends, whatever the status of its answer (a "not found"
// page too), as far as it came. The empty text when nothing came. It blocks its caller as a download always
// did, but waits in a nested event loop with the program's input held back (InputHold), so the window stays
// painted and nothing can be clicked behind it.
class TextDownload {
public:
    // The download ends when no byte has come for this long, or after the overall limit however lively it
    // is; at most kMaxBytes of the body are kept, and the rest is not read.
    static constexpr int kInactivityMs = 10 * 1000;
    static constexpr int kOverallMs = 5 * 60 * 1000;
    static constexpr qint64 kMaxBytes = 64 * 1024;

    virtual ~TextDownload() = default;

    virtual QString DownloadText(const QString& address) = 0;
    // Ends a pending download at once (the program is ending); its caller gets what came so far.
    virtual void abort() = 0;
};

} // namespace spectrel
