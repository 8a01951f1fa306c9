#include "web/UpdateFile.h"

#include "text/RuntimeFailure.h"
#include "text/TextRules.h"

namespace spectrel::update {

std::optional<UpdateFile> readUpdateFile(const QString& body)
{
    const int lf = text::find(body, u"\n");
    if (body.size() < 5 || text::contains(body, u"404 Not Found") || lf < 3)
        return std::nullopt;
    // The position of the line feed is kept in one byte: a first line of 255 characters does not fit.
    if (lf > 255)
        throw RuntimeFailure::overflow();
    UpdateFile file;
    file.home = text::left(body, lf - 1);
    file.release = text::roundToByte(text::releaseNumber(text::from(body, lf + 1)));
    return file;
}

} // namespace spectrel::update
