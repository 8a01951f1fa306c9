#include "shell/StartFailure.h"

namespace spectrel {

void notifyFatalMessages() {}

} // namespace spectrel
