#include "fields/FieldWarning.h"

#include "core/Cues.h"
#include "core/Notices.h"

#include <QApplication>
#include <QLineEdit>

namespace spectrel {

namespace {

void paintBackground(QLineEdit* field, const QColor& colour)
{
    QPalette p = field->palette();
    p.setColor(QPalette::Base,
               colour.isValid() ? colour : QApplication::palette(field).color(QPalette::Base));
    field->setPalette(p);
}

} // namespace

void warnAboutField(QLineEdit* field, const std::function<void()>& showPage, const QString& warning,
                    Notices& notices, Cues& cues)
{
    cues.PlayCue(CueFailure);
    showPage();
    paintBackground(field, QColor(255, 192, 192));
    notices.ShowNotice(warning, NoticeWarning, QStringLiteral("Warning"));
    paintBackground(field, QColor());
    field->setFocus();
}

} // namespace spectrel
