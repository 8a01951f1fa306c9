#pragma once

#include <QString>

namespace spectrel {

// The flag words a notice is shown with; only these five occur.
enum NoticeFlags : int {
    NoticeError = 16,       // OK, stop icon: the error trap
    NoticeWarning = 48,     // OK, exclamation icon
    NoticeRetryCancel = 53, // Retry and Cancel, exclamation icon: the busy clipboard
    NoticeInformation = 64, // OK, information icon
    NoticeYesNo = 68,       // Yes and No, information icon: questions
};

// The button codes a notice answers with.
enum NoticeAnswer : int { AnswerOk = 1, AnswerCancel = 2, AnswerRetry = 4, AnswerYes = 6, AnswerNo = 7 };

// Every message box of the program goes through this. Implementations: modal message boxes owned by the main
// window, standard error for the command-line companion, scripted answers in tests.
class Notices {
public:
    virtual ~Notices() = default;
    // Shows `text` (padded as noticeBody() says) under the caption ProgramTitle + " - " + kind and returns
    // the code of the button the user pressed.
    virtual int ShowNotice(const QString& text, int flags, const QString& kind) = 0;
};

} // namespace spectrel
