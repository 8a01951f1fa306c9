#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace spectrel {

class Clock;

// The IPv4 address `text` writes in numbers, read as Qt's host addresses read it: white space around it
// ignored, up to four dot-separated decimal parts, the last filling the bytes that remain ("127.1" is
// 127.0.0.1, "2130706433" too). Nothing when it is no such address; an IPv6 address (any ':') is none either.
std::optional<quint32> readIPv4Literal(QStringView text);

// The IPv4 address of a host name, waited for with events flowing for at most `limitMs` on `clock`. The
// lookup itself runs on a thread of its own that nobody waits for: a lookup that never answers neither holds
// the caller beyond the limit nor keeps the program alive at its end.
std::optional<quint32> lookUpIPv4(const QString& name, Clock& clock, int limitMs);

// The platform's blocking lookup (the resolver of the system); nothing when the name has no IPv4 address.
std::optional<quint32> resolveIPv4(const QString& name);

} // namespace spectrel
