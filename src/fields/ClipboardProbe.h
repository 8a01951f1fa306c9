#pragma once

namespace spectrel {

// Whether the program that holds the clipboard answers within `limitMs`. Qt asks the owner and waits for
// seconds when it does not answer; the fields ask first, so that an owner that hangs counts as a busy
// clipboard instead of freezing the window. True wherever the question does not arise (no owner, the program
// owns the clipboard itself, or a platform whose clipboard calls do not wait on another program).
bool clipboardOwnerAnswers(int limitMs);

} // namespace spectrel
