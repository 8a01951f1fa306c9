#include "core/Logging.h"

Q_LOGGING_CATEGORY(lcLink, "spectrel.link", QtInfoMsg)
Q_LOGGING_CATEGORY(lcRecording, "spectrel.recording", QtInfoMsg)
Q_LOGGING_CATEGORY(lcFields, "spectrel.fields", QtInfoMsg)
Q_LOGGING_CATEGORY(lcHotkeys, "spectrel.hotkeys", QtInfoMsg)
Q_LOGGING_CATEGORY(lcWeb, "spectrel.web", QtInfoMsg)
Q_LOGGING_CATEGORY(lcShell, "spectrel.shell", QtInfoMsg)
