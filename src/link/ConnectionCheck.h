#pragma once

#include <QString>

#include <optional>

namespace spectrel {

// The check of the three connection fields before anything is sent: the first field that fails, in the order
// server, port, password, with the warning for it.
struct ConnectionProblem {
    enum Field { Server = 0, Port = 1, Password = 2 } field;
    QString warning;
};

std::optional<ConnectionProblem> connectionFieldsProblem(const QString& server, const QString& port,
                                                         const QString& password);

} // namespace spectrel
