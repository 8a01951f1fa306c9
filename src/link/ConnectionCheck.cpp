#include "link/ConnectionCheck.h"

namespace spectrel {

std::optional<ConnectionProblem> connectionFieldsProblem(const QString& server, const QString& port,
                                                         const QString& password)
{
    if (server.size() < 3)
        return ConnectionProblem{ConnectionProblem::Server, QStringLiteral("Invalid server specified   ")};
    if (port.isEmpty())
        return ConnectionProblem{ConnectionProblem::Port, QStringLiteral("Invalid port specified   ")};
    if (password.isEmpty())
        return ConnectionProblem{ConnectionProblem::Password,
                                 QStringLiteral("Invalid rcon password specified   ")};
    return std::nullopt;
}

} // namespace spectrel
