#pragma once

#include <QString>

namespace spectrel {

// The name of the local channel the running window listens on, per user: a second copy of the program and
// `spectrelctl trigger` reach the window through it. Each line sent is one message; the window answers each
// with "ok".
QString instanceChannelName();

} // namespace spectrel
