#pragma once

#include <functional>

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
    // The field's selection onto the emptied clipboard, letting pending events run after each step.
    void copySelection(QLineEdit* field);

private:
    Clipboard& m_clipboard;
    Notices& m_notices;
};

} // namespace spectrel
