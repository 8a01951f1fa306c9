#include "shell/FormBuilder.h"

#include "shell/ProgramPictures.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QFontInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QPixmap>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <vector>

namespace spectrel {

namespace {

constexpr double kMinimumPixelsPerTwip = 96.0 / kTwipsPerInch;
constexpr double kDesignPointSize = 8.25;
// The banner bitmap is drawn for 96 dots per inch, 15 twips to its pixel.
constexpr int kTwipsPerBannerPixel = 15;
constexpr int kBannerWidth = 468;
constexpr int kBannerHeight = 60;

QString fromView(std::string_view text)
{
    return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

QRect toPixels(const TwipRect& r, double ppt)
{
    return QRect(qRound(r.left * ppt), qRound(r.top * ppt), qRound(r.width * ppt), qRound(r.height * ppt));
}

QFont fontFor(const QFont& base, FontStyle style)
{
    QFont font = base;
    font.setPointSizeF(kDesignPointSize);
    font.setWeight(style == FontStyle::Bold ? QFont::Bold : QFont::Normal);
    font.setUnderline(style == FontStyle::Underlined);
    font.setItalic(false);
    return font;
}

// Shows every character of a password field as "*" rather than the style's bullet.
class StarPasswordStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// Keeps the controls of the tab pages at their positions relative to the tab control. The page's own offset
// inside the tab control is known only once the tab control has laid itself out (when it is shown, and again
// on every style, font or size change), and the tab control then moves its page stack: that move is the
// moment to place the controls again.
class PagePlacer : public QObject {
public:
    explicit PagePlacer(QTabWidget* tabs) : QObject(tabs), m_tabs(tabs) {}

    void watch(QWidget* pageStack)
    {
        if (pageStack && !m_watched.contains(pageStack)) {
            m_watched.append(pageStack);
            pageStack->installEventFilter(this);
        }
    }

    void add(QWidget* control, QRect designed)
    {
        m_items.push_back({control, designed});
        place(m_items.back());
    }

    // The control's rectangle, once its caption has been fitted.
    void refit(QWidget* control, QRect designed)
    {
        for (Item& item : m_items) {
            if (item.control == control) {
                item.designed = designed;
                place(item);
            }
        }
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
            for (const Item& item : m_items)
                place(item);
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    struct Item {
        QWidget* control;
        QRect designed; // relative to the tab control
    };

    void place(const Item& item) const
    {
        const QPoint pageOffset = item.control->parentWidget()->mapTo(m_tabs, QPoint(0, 0));
        item.control->setGeometry(item.designed.translated(-pageOffset));
    }

    QTabWidget* m_tabs;
    QList<QObject*> m_watched;
    std::vector<Item> m_items;
};

// Free room the design leaves between a control and the next control to its right on the same row, and the
// margin it keeps to a frame's right edge (the frames' own left margin).
constexpr int kNeighbourGapTwips = 60;
constexpr int kFrameMarginTwips = 150;
constexpr int kNarrowestStretch = 75;

// The twip column where the free room to the right of `row` ends: the next sibling whose rows overlap, or
// the container's inner edge.
int roomRightEdge(const ControlRow& row)
{
    int edge = kClientWidthTwips;
    if (const ControlRow* container = row.container.empty() ? nullptr : findControl(row.container))
        edge = container->rect.width - (container->kind == ControlKind::Frame ? kFrameMarginTwips : 0);
    const int right = row.rect.left + row.rect.width;
    for (const ControlRow& other : windowLayout()) {
        if (&other == &row || other.container != row.container || other.page != row.page ||
            other.kind == ControlKind::TabPage)
            continue;
        const bool sameRows = other.rect.top < row.rect.top + row.rect.height &&
                              row.rect.top < other.rect.top + other.rect.height;
        if (sameRows && other.rect.left >= right)
            edge = std::min(edge, other.rect.left - kNeighbourGapTwips);
    }
    return std::max(edge, right);
}

// The widest stretch at which `text` in `font` takes at most `room` pixels (the narrowest when none does).
// Condensing scales the advances almost in proportion, so the search starts where the proportion points;
// each stretch tried loads a font of its own.
int widestFittingStretch(QFont font, const QString& text, int natural, int room)
{
    const auto fits = [&](int stretch) {
        font.setStretch(stretch);
        return QFontMetrics(font).horizontalAdvance(text) <= room;
    };
    int stretch = std::clamp(100 * room / std::max(1, natural), kNarrowestStretch, 99);
    if (fits(stretch)) {
        while (stretch < 99 && fits(stretch + 1))
            ++stretch;
    } else {
        while (stretch > kNarrowestStretch && !fits(--stretch)) {
        }
    }
    return stretch;
}

// Draws a caption condensed, just enough to fit `room` pixels, down to 75 % width at most, when its control
// is first shown: the page the window opens on before the window is mapped, another page when it is first
// shown. Trying stretches loads a font for each, the dearest step of building the window: a stretch found
// once is remembered (CaptionStretches) under the font as it really is and the caption's natural width, and
// used at the next start without trying. It is checked once the control has been painted, and put right
// (and remembered anew) should the fonts have changed under the same name since.
class CaptionCondenser : public QObject {
public:
    // `shown`: the control is being shown already.
    CaptionCondenser(QWidget* control, QString text, int room, CaptionStretches* stretches, bool shown)
        : QObject(control), m_text(std::move(text)), m_room(room), m_stretches(stretches)
    {
        control->installEventFilter(this);
        if (shown) {
            m_condensed = true;
            condense(control);
        }
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* control = static_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && !m_condensed) {
            m_condensed = true;
            condense(control);
        } else if (event->type() == QEvent::Paint && !m_key.isEmpty()) {
            // Once the first frame is there: whether the remembered stretch still is the right one.
            control->removeEventFilter(this);
            QTimer::singleShot(0, this, [this, control] { settle(control, m_stretch); });
        }
        return false;
    }

private:
    void condense(QWidget* control)
    {
        m_font = control->font();
        m_natural = control->fontMetrics().horizontalAdvance(m_text);
        if (m_stretches) {
            const QFontInfo real(m_font);
            m_key = QStringList{real.family(),
                                real.styleName(),
                                QString::number(real.pixelSize()) + QStringLiteral("px"),
                                m_text,
                                QString::number(m_natural),
                                QString::number(m_room),
                                QString::number(control->devicePixelRatioF())}
                        .join(u'|');
            if (const std::optional<int> known = m_stretches->stretchFor(m_key)) {
                apply(control, *known);
                return;
            }
        }
        control->removeEventFilter(this);
        settle(control, 0);
    }

    // Tries the stretches; applies and remembers the one that fits when it differs from `shown`.
    void settle(QWidget* control, int shown)
    {
        const int stretch = widestFittingStretch(m_font, m_text, m_natural, m_room);
        if (stretch != shown) {
            apply(control, stretch);
            if (m_stretches)
                m_stretches->remember(m_key, stretch);
        }
    }

    void apply(QWidget* control, int stretch)
    {
        m_stretch = stretch;
        QFont font = m_font;
        font.setStretch(stretch);
        control->setFont(font);
    }

    QString m_text;
    int m_room; // pixels for the text, the control's indicator or margins taken off
    CaptionStretches* m_stretches;
    bool m_condensed = false;
    QFont m_font; // the control's font before condensing
    int m_natural = 0;
    QString m_key; // under which the stretch is remembered; empty when none is
    int m_stretch = 0;
};

// The layout was drawn for a narrow bitmap font; most other sans fonts are wider, and a caption must not be
// cut. A caption that needs more room than its control has first takes the free room to its right (see
// roomRightEdge); what still does not fit is drawn condensed (CaptionCondenser). Controls whose text fits,
// and empty labels that code fills later, keep the table's width.
QRect fitCaption(const ControlRow& row, QWidget* control, QRect pixels, double ppt,
                 CaptionStretches* stretches, bool shown)
{
    // The design's check boxes are exactly as tall as the indicator it was drawn with; a style with a taller
    // indicator would lose its lower edge, so the box grows about its own middle.
    if (row.kind == ControlKind::CheckBox) {
        const int height = control->sizeHint().height();
        if (height > pixels.height())
            pixels.adjust(0, -(height - pixels.height()) / 2, 0,
                          height - pixels.height() - (height - pixels.height()) / 2);
    }
    const QString text = fromView(row.text);
    if (text.isEmpty() || (row.kind != ControlKind::Label && row.kind != ControlKind::CheckBox))
        return pixels;
    const int textWidth = control->fontMetrics().horizontalAdvance(text);
    // The check box's indicator and spacing, or the label's margins.
    const int chrome = std::max(0, control->sizeHint().width() - textWidth);
    if (chrome + textWidth <= pixels.width())
        return pixels;

    const int room = qRound(roomRightEdge(row) * ppt) - pixels.left();
    pixels.setWidth(std::max(pixels.width(), std::min(room, chrome + textWidth)));
    if (chrome + textWidth > pixels.width())
        new CaptionCondenser(control, text, pixels.width() - chrome, stretches, shown);
    return pixels;
}

// The page the window opens on.
constexpr int kFirstPage = 0;

// Fits the caption of a control on a page the window does not open on when the control is first shown, not
// while the window is built: measuring captions shapes text and loads fonts, which the window's first frame
// does not need for a page it does not show.
class LateFit : public QObject {
public:
    // `placer`: the one that places the control, when it lies straight on its page.
    LateFit(QWidget* control, const ControlRow& row, double ppt, CaptionStretches* stretches,
            PagePlacer* placer)
        : QObject(control), m_row(row), m_ppt(ppt), m_stretches(stretches), m_placer(placer)
    {
        control->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            auto* control = static_cast<QWidget*>(watched);
            control->removeEventFilter(this);
            const QRect pixels =
                fitCaption(m_row, control, toPixels(m_row.rect, m_ppt), m_ppt, m_stretches, true);
            if (m_placer)
                m_placer->refit(control, pixels);
            else
                control->setGeometry(pixels);
            deleteLater();
        }
        return false;
    }

private:
    const ControlRow& m_row;
    double m_ppt;
    CaptionStretches* m_stretches;
    PagePlacer* m_placer;
};

QLabel* makeBanner(QWidget* parent, double ppt)
{
    auto* banner = new QLabel(parent);
    banner->setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    banner->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    banner->setPixmap(bannerPicture(ppt * kTwipsPerBannerPixel, parent->devicePixelRatioF()));
    return banner;
}

QWidget* makeControl(const ControlRow& row, QWidget* parent, double ppt)
{
    const QString text = fromView(row.text);
    switch (row.kind) {
    case ControlKind::TabControl:
        return new QTabWidget(parent);
    case ControlKind::TabPage:
        return new QWidget(parent);
    case ControlKind::Frame:
        return new QGroupBox(text, parent);
    case ControlKind::Label: {
        auto* label = new ClickableLabel(parent);
        // Status texts come from the proxy: never read them as markup.
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setText(text);
        return label;
    }
    case ControlKind::TextField: {
        auto* field = new QLineEdit(text, parent);
        if (row.maxLength > 0)
            field->setMaxLength(row.maxLength);
        if (row.password) {
            field->setEchoMode(QLineEdit::Password);
            auto* style = new StarPasswordStyle(QStyleFactory::create(QApplication::style()->name()));
            style->setParent(field);
            field->setStyle(style);
        }
        return field;
    }
    case ControlKind::Button:
        return new QPushButton(text, parent);
    case ControlKind::CheckBox: {
        auto* box = new QCheckBox(text, parent);
        box->setChecked(row.ticked);
        return box;
    }
    case ControlKind::DropDownList: {
        auto* list = new QComboBox(parent);
        list->setEditable(false);
        for (std::string_view entry : row.entries)
            list->addItem(fromView(entry));
        list->setCurrentIndex(-1);
        return list;
    }
    case ControlKind::Panel:
        return new QWidget(parent);
    case ControlKind::PictureBox:
        return makeBanner(parent, ppt);
    case ControlKind::ImageArea: {
        auto* area = new ClickableLabel(parent);
        area->setCursor(handCursor()); // the banner's own copy of the hand
        return area;
    }
    }
    throw std::logic_error("unknown control kind");
}

} // namespace

QPixmap bannerPicture(double scale, double devicePixelRatio)
{
    const bool sharp = devicePixelRatio > 1.0 && QFile::exists(QString::fromLatin1(kBanner2xResource));
    const QString resource = QString::fromLatin1(sharp ? kBanner2xResource : kBannerResource);
    if (!QFile::exists(resource))
        return {};
    QPixmap picture = programPicture(resource);
    const QSize wanted = (QSizeF(kBannerWidth, kBannerHeight) * scale * devicePixelRatio).toSize();
    if (!picture.isNull() && picture.size() != wanted)
        picture = picture.scaled(wanted, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    picture.setDevicePixelRatio(devicePixelRatio);
    return picture;
}

QCursor handCursor()
{
    const QString resource = QStringLiteral(":/resources/hand.png");
    if (!QFile::exists(resource))
        return QCursor(Qt::PointingHandCursor);
    return QCursor(programPicture(resource), 6, 0); // the finger tip points
}

double pixelsPerTwip(const QScreen* screen)
{
    if (!screen)
        return kMinimumPixelsPerTwip;
    return std::max(screen->logicalDotsPerInchX() / kTwipsPerInch, kMinimumPixelsPerTwip);
}

FormControls buildForm(QWidget* window, double pixelsPerTwip, const QFont& baseFont,
                       CaptionStretches* stretches)
{
    const double ppt = pixelsPerTwip;
    window->setFixedSize(qRound(kClientWidthTwips * ppt), qRound(kClientHeightTwips * ppt));
    // The controls in the regular font take it from the window; only bold and underlined ones set their own.
    window->setFont(fontFor(baseFont, FontStyle::Regular));

    QHash<QString, QWidget*> widgets;
    QTabWidget* tabs = nullptr;
    PagePlacer* placer = nullptr;

    for (const ControlRow& row : windowLayout()) {
        const bool onPage = row.container == "Tabek" && row.kind != ControlKind::TabPage;
        QWidget* parent = window;
        if (onPage)
            parent = widgets.value(QStringLiteral("Tabek_") + QString::number(row.page));
        else if (!row.container.empty() && row.kind != ControlKind::TabPage)
            parent = widgets.value(fromView(row.container));
        if (!parent)
            throw std::logic_error("window layout names a container before building it: " +
                                   std::string(row.container));

        QWidget* control = makeControl(row, row.kind == ControlKind::TabPage ? nullptr : parent, ppt);
        control->setObjectName(controlObjectName(row));
        if (row.font != FontStyle::Regular)
            control->setFont(fontFor(baseFont, row.font));

        const bool fitLater =
            row.page != kFirstPage && (row.kind == ControlKind::Label || row.kind == ControlKind::CheckBox);
        const QRect designed = toPixels(row.rect, ppt);
        const QRect pixels = fitLater ? designed : fitCaption(row, control, designed, ppt, stretches, false);
        switch (row.kind) {
        case ControlKind::TabControl:
            tabs = static_cast<QTabWidget*>(control);
            placer = new PagePlacer(tabs);
            control->setGeometry(pixels);
            break;
        case ControlKind::TabPage:
            if (!tabs)
                throw std::logic_error("window layout has a tab page before its tab control");
            tabs->insertTab(row.index, control, fromView(row.text));
            placer->watch(control->parentWidget());
            break;
        default:
            if (onPage)
                placer->add(control, pixels);
            else
                control->setGeometry(pixels);
            if (fitLater)
                new LateFit(control, row, ppt, stretches, onPage ? placer : nullptr);
            break;
        }
        widgets.insert(control->objectName(), control);
    }
    if (tabs)
        tabs->setCurrentIndex(kFirstPage);
    return FormControls(std::move(widgets));
}

} // namespace spectrel
