#pragma once

#include <QString>

namespace spectrel {

// The system clipboard in plain text. Each step reports false when the clipboard is busy (another program
// holds it open); the caller then offers to try again.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Whether the clipboard offers plain text; false also when it cannot be asked.
    virtual bool hasText(bool& busy) = 0;
    // The plain text on the clipboard, into `text`.
    virtual bool text(QString& text) = 0;
    virtual bool clear() = 0;
    virtual bool setText(const QString& text) = 0;
};

// The desktop's clipboard through Qt. On X11 it is busy when the program holding it does not answer in a
// moment; on Windows a busy clipboard makes Qt's own calls fail quietly, leaving the clipboard as it was.
class SystemClipboard : public Clipboard {
public:
    bool hasText(bool& busy) override;
    bool text(QString& text) override;
    bool clear() override;
    bool setText(const QString& text) override;
};

Clipboard& systemClipboard();

} // namespace spectrel
