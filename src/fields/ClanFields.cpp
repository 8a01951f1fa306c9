#include "fields/ClanFields.h"

#include "core/ErrorTrap.h"
#include "core/Notices.h"
#include "fields/ClanNameRules.h"
#include "fields/Clipboard.h"
#include "fields/FieldWarning.h"
#include "text/TextRules.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace spectrel {

ClanFields::ClanFields(QLineEdit* your, QLineEdit* opponent, std::function<void()> showDemoPage,
                       const Services& services, QObject* parent)
    : QObject(parent), m_your(your), m_opponent(opponent), m_showDemoPage(std::move(showDemoPage)),
      m_services(services), m_clip(services.clipboard, services.notices)
{
    for (QLineEdit* field : {m_your, m_opponent}) {
        field->installEventFilter(this);
        connect(field, &QLineEdit::textChanged, this,
                [this, field] { m_services.trap.run([=, this] { Change(field); }); });
    }
}

bool ClanFields::ClanNamesInvalid()
{
    for (auto [field, warning] :
         {std::pair{m_your, QStringLiteral("Invalid clan name specified   ")},
          std::pair{m_opponent, QStringLiteral("Invalid opponent clan name specified   ")}}) {
        if (field->text().isEmpty()) {
            warnAboutField(field, m_showDemoPage, warning, m_services.notices, m_services.cues);
            return true;
        }
    }
    return false;
}

QString ClanFields::demoName() const
{
    return m_your->text() + u'-' + m_opponent->text();
}

bool ClanFields::eventFilter(QObject* watched, QEvent* event)
{
    QLineEdit* field = watched == m_your ? m_your : watched == m_opponent ? m_opponent : nullptr;
    if (!field)
        return false;
    bool usedUp = false;
    m_services.trap.run([&] {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<const QKeyEvent*>(event);
            usedUp = KeyDown(field, key) || KeyPress(key);
        } else if (event->type() == QEvent::FocusOut) {
            LostFocus(field);
        }
    });
    return usedUp;
}

bool ClanFields::KeyDown(QLineEdit* field, const QKeyEvent* key)
{
    if (key->key() == Qt::Key_Escape) {
        field->clear();
        return true;
    }
    if (!m_clip.ctrlKeyWithText(key) || !field->hasSelectedText())
        return false;
    if (key->key() == Qt::Key_C) {
        m_clip.copySelection(field);
    } else if (key->key() == Qt::Key_X) {
        m_clip.copySelection(field);
        field->insert(QString());
    }
    return false; // the field's own copy and cut act as well, on what is left
}

bool ClanFields::KeyPress(const QKeyEvent* key) const
{
    return !clan::firstForbidden(key->text()).isNull();
}

void ClanFields::Change(QLineEdit* field)
{
    const QString text = field->text();
    if (text.isEmpty())
        return;
    const QString kept = clan::afterChange(text);
    if (kept != text)
        field->setText(kept);
}

void ClanFields::LostFocus(QLineEdit* field)
{
    const QString trimmed = text::trimBlanks(field->text());
    if (trimmed != field->text())
        field->setText(trimmed);
}

} // namespace spectrel
