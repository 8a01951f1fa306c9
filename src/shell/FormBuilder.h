#pragma once

#include "shell/FormControls.h"

#include <QCursor>
#include <QFont>
#include <QPixmap>
#include <QString>

#include <optional>

class QScreen;
class QWidget;

namespace spectrel {

// The banner picture, and the same drawn twice as large for screens scaled above 1; the window shows nothing
// in the banner's place when the resource is missing.
inline constexpr const char* kBannerResource = ":/resources/banner.png";
inline constexpr const char* kBanner2xResource = ":/resources/banner@2x.png";

// The banner at `scale` logical pixels to its pixel on a screen of `devicePixelRatio`: above a ratio of 1
// from the picture drawn twice as large, so that it stays sharp. Null when the program carries no banner.
QPixmap bannerPicture(double scale, double devicePixelRatio);

// The stretches (font widths in percent) condensed captions were found to need, by a key that names the font
// as it really is, the caption and its room: trying stretches loads a font for each, which a start that finds
// the answer here need not do before its window shows.
class CaptionStretches {
public:
    virtual ~CaptionStretches() = default;
    virtual std::optional<int> stretchFor(const QString& key) const = 0;
    virtual void remember(const QString& key, int stretch) = 0;
};

// The program's hand cursor, its hot spot at the tip of the finger, for the banner and the link labels; Qt's
// pointing hand where the program carries no cursor picture.
QCursor handCursor();

// Pixels per twip on `screen`: its logical dots per inch over 1440, never less than at 96 dots per inch
// (15 twips to the pixel), so that a screen reporting a low or no resolution still shows everything.
double pixelsPerTwip(const QScreen* screen);

// Creates every control of the window layout inside `window` (which must have no layout) and fixes the
// window's client area at 7110 x 6000 twips. Positions and sizes are the layout's twips times
// `pixelsPerTwip`, rounded. Text is drawn in `baseFont`'s family at 8.25 pt, bold or underlined as a row
// says; on Linux there is no "MS Sans Serif", so the application's own sans family stands in. Because that
// family is usually wider than the one the layout was drawn for, a label or check box whose caption does not
// fit first grows to the right into the free room of its row (up to 60 twips before the next control, or the
// frame's 150-twip inner margin), and only what still does not fit is drawn condensed (font stretch, not
// below 75 %), from the moment the control is first shown: a tab page the window does not open on is
// condensed when it is first shown. A check box lower than the style's indicator grows about its middle.
// The table's numbers stay as they are; fields, lists, buttons and empty labels always keep them.
//
// Controls on a tab page keep their positions relative to the whole tab control, tab strip included: each
// is a child of its page and is moved back by the page's offset inside the tab control whenever the tab
// control lays out its pages, so a control at top 475 twips sits at 475 twips below the tab control's top
// edge whatever height the style gives the tab strip.
//
// `stretches`, when given, remembers the stretches condensed captions were found to need, between starts.
FormControls buildForm(QWidget* window, double pixelsPerTwip, const QFont& baseFont = QFont(),
                       CaptionStretches* stretches = nullptr);

} // namespace spectrel
