#pragma once

#include <functional>

class QKeyEvent;
class QLineEdit;

namespace spectrel {

class Clipboard;
class Notices;

// The clipboard as the fields' keys and buttons use it: a step that finds the clipboard busy offers
// "Windows Clipboard was not available" with Retry and Cancel.
class FieldClipboard {
public:
    FieldClipboard(Clipboard& clipboard, Notices& notices) : m_clipboard(clipboard), m_notices(notices) {}

    Clipboard& clipboard() { return m_clipboard; }
    // Runs `step` until it succeeds or the user cancels; false when cancelled.
    bool retrying(const std::function<bool()>& step);
    // Every key but Escape asks the clipboard whether it offers text (a busy one offers Retry); true when the
    // key came with Ctrl alone and the clipboard offers text: only then do the fields' clipboard keys act.
    bool ctrlKeyWithText(const QKeyEvent* key);
    // The field's selection onto the emptied clipboard, letting pending events run after each step.
    void copySelection(QLineEdit* field);

private:
    Clipboard& m_clipboard;
    Notices& m_notices;
};

} // namespace spectrel
