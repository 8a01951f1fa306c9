#include "link/ConnectionFields.h"

#include "core/Notices.h"

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

bool FixedConnectionFields::ConnectionFieldsInvalid()
{
    const auto problem = connectionFieldsProblem(m_server, m_port, m_password);
    if (problem)
        m_notices.ShowNotice(problem->warning, NoticeWarning, QStringLiteral("Warning"));
    return problem.has_value();
}

} // namespace spectrel
