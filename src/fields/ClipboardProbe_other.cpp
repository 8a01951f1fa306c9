#include "fields/ClipboardProbe.h"

namespace spectrel {

bool clipboardOwnerAnswers(int)
{
    return true;
}

} // namespace spectrel
