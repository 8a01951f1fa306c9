#pragma once

#include "web/TextDownload.h"

// What the download module (spectrel-download) offers the program that loads it: one function that makes a
// download on the program's clock, for the caller to own.
namespace spectrel {

class Clock;

using DownloadModuleEntry = TextDownload* (*)(Clock&);
inline constexpr char kDownloadModuleEntry[] = "spectrel_text_download";

} // namespace spectrel
