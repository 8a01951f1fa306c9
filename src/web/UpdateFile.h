#pragma once

#include <QString>

#include <cstdint>
#include <optional>

// The update file's reading, without the network: line 1 the download page's address without scheme, then the
// release number.
namespace spectrel::update {

// A server release of this number or more is newer than the running one.
inline constexpr std::uint8_t kNewerFrom = 8;

struct UpdateFile {
    QString home; // everything before the first line feed, a carriage return included
    std::uint8_t release = 0;
};

// Nothing when the body is no update file: shorter than 5 characters, a server's "404 Not Found" page, or
// its first line feed before position 3. A first line of 255 characters or more, or a release number outside
// 0 to 255, fails with Overflow.
std::optional<UpdateFile> readUpdateFile(const QString& body);

} // namespace spectrel::update
