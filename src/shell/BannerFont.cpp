#include "shell/BannerFont.h"

#include <QFontDatabase>
#include <QFontMetricsF>

#include <cmath>

namespace spectrel {

QFont bannerFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(8.25);
    return font;
}

TextWidth textWidthTwips(const QFont& font, double twipsPerPixel)
{
    return [metrics = QFontMetricsF(font), twipsPerPixel](const QString& text) {
        return int(std::lround(metrics.horizontalAdvance(text) * twipsPerPixel));
    };
}

} // namespace spectrel
