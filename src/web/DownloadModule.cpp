// The download module: the update check's download over Qt Network, in a library of its own that the program
// loads when it first checks for an update (ModuleTextDownload).

#include "web/DownloadModule.h"
#include "web/NetworkTextDownload.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT spectrel::TextDownload* spectrel_text_download(spectrel::Clock& clock)
{
    return new spectrel::NetworkTextDownload(clock);
}
