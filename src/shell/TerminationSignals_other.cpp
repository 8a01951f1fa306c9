#include "shell/TerminationSignals.h"

namespace spectrel {

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {}

TerminationSignals::~TerminationSignals() = default;

} // namespace spectrel
