#include "link/LinkLog.h"

Q_LOGGING_CATEGORY(lcLink, "spectrel.link", QtInfoMsg)
