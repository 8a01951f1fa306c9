#pragma once

#include <QString>

// How a notice is laid out, independent of the box that shows it.
namespace spectrel {

// Every CR LF of `text` gets three blanks before it, and three blanks end the text.
QString noticeBody(const QString& text);
// ProgramTitle() + " - " + kind.
QString noticeCaption(const QString& kind);

enum class NoticeIcon { Stop, Exclamation, Information };
struct NoticeLook {
    NoticeIcon icon;
    // Button codes in the order they stand in the box; the first one is the default.
    int buttons[2];
    int buttonCount;
};
// The icon and buttons of a flag word; an unknown word looks like a plain warning (OK, exclamation).
NoticeLook noticeLook(int flags);

} // namespace spectrel
