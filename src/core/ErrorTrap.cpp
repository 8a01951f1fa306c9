#include "core/ErrorTrap.h"

#include "core/Logging.h"

namespace spectrel {

bool ErrorTrap::run(const std::function<void()>& handler) const
{
    try {
        handler();
        return true;
    } catch (const RuntimeFailure& failure) {
        fail(failure);
    } catch (const std::exception& e) {
        fail(RuntimeFailure(0, QString::fromLocal8Bit(e.what())));
    } catch (...) {
        fail(RuntimeFailure(0, QStringLiteral("Unexpected failure")));
    }
    return false;
}

void ErrorTrap::fail(const RuntimeFailure& failure) const
{
    qCWarning(lcShell) << "run-time failure:" << failure.number() << failure.description();
    if (m_reaction)
        m_reaction(failure);
}

} // namespace spectrel
