#include "fields/ConnectionFieldEditors.h"

#include "core/ErrorTrap.h"
#include "core/Notices.h"
#include "fields/Clipboard.h"
#include "fields/ConnectionFieldRules.h"
#include "text/CodePage.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <array>
#include <optional>

namespace spectrel {

namespace {

// The character a key types, as its code page code; nothing for keys that type none. Ctrl with a letter
// types the control character of that letter (Ctrl+V is 22), whatever text the key event carries. Tab moves
// the focus and types nothing into a field.
std::optional<int> typedCode(const QKeyEvent* key)
{
    const Qt::KeyboardModifiers mods = key->modifiers();
    if ((mods & Qt::ControlModifier) && !(mods & Qt::AltModifier) && key->key() >= Qt::Key_A &&
        key->key() <= Qt::Key_Z)
        return key->key() - Qt::Key_A + 1;
    // Delete comes with the text "\x7f" but types nothing: like the arrows, it edits.
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->key() == Qt::Key_Delete ||
        key->text().isEmpty() || key->text() == QStringLiteral("\x7f"))
        return std::nullopt;
    return text::codePageCode(key->text().front());
}

// The longest text a "Paste" button puts into its field.
int pasteLimit(int index)
{
    return index == 0   ? connection::kServerMaxLength
           : index == 1 ? connection::kPortMaxLength
                        : connection::kPasswordMaxLength;
}

// Writes a filter's result back; the same text leaves the field, its caret and its selection alone.
void writeBack(QLineEdit* field, const QString& text)
{
    if (field->text() != text)
        field->setText(text);
}

} // namespace

ConnectionFieldEditors::ConnectionFieldEditors(QLineEdit* server, QLineEdit* port, QLineEdit* password,
                                               const Services& services, QObject* parent)
    : QObject(parent), m_server(server), m_port(port), m_password(password), m_services(services),
      m_clip(services.clipboard, services.notices)
{
    for (QLineEdit* field : {m_server, m_port, m_password})
        field->installEventFilter(this);
    connect(m_server, &QLineEdit::textChanged, this,
            [this] { m_services.trap.run([this] { tServer_Change(); }); });
    connect(m_port, &QLineEdit::textChanged, this,
            [this] { m_services.trap.run([this] { tPort_Change(); }); });
    connect(m_password, &QLineEdit::textChanged, this,
            [this] { m_services.trap.run([this] { Q_EMIT edited(); }); });
}

bool ConnectionFieldEditors::eventFilter(QObject* watched, QEvent* event)
{
    QLineEdit* field = watched == m_server     ? m_server
                       : watched == m_port     ? m_port
                       : watched == m_password ? m_password
                                               : nullptr;
    if (!field)
        return false;
    bool usedUp = false;
    m_services.trap.run([&] {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<const QKeyEvent*>(event);
            usedUp = KeyDown(field, key) || KeyPress(field, key);
        } else if (event->type() == QEvent::FocusOut && field == m_server) {
            // Only a move to another control leaves the field; switching to another program or opening a
            // menu or a notice does not.
            const Qt::FocusReason reason = static_cast<const QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                tServer_LostFocus();
        }
    });
    return usedUp;
}

bool ConnectionFieldEditors::KeyDown(QLineEdit* field, const QKeyEvent* key)
{
    if (key->key() == Qt::Key_Escape) {
        field->clear();
        return true;
    }
    if (field == m_password)
        return false;
    if (!m_clip.ctrlKeyWithText(key))
        return false;
    switch (key->key()) {
    case Qt::Key_V: {
        QString clip;
        if (!m_clip.retrying([&] { return m_clip.clipboard().text(clip); }))
            return false;
        const QString pasted = connection::pastedText(clip, field == m_port ? connection::kPortMaxLength
                                                                            : connection::kServerMaxLength);
        // Events run here, between the clipboard and the field, as they always have: the clipboard's own
        // messages are handled, and a timer tick or datagram that came meanwhile runs before the field
        // changes.
        QCoreApplication::processEvents();
        if (!pasted.isEmpty())
            field->insert(pasted);
        break;
    }
    case Qt::Key_C:
        if (field->hasSelectedText())
            m_clip.copySelection(field);
        break;
    case Qt::Key_X:
        if (field->hasSelectedText()) {
            m_clip.copySelection(field);
            field->insert(QString());
        }
        break;
    default:
        break;
    }
    return false; // the typing filter drops the key's control character
}

bool ConnectionFieldEditors::KeyPress(QLineEdit* field, const QKeyEvent* key) const
{
    const std::optional<int> code = typedCode(key);
    if (!code || field == m_password)
        return false;
    return field == m_server ? !connection::serverKeepsTyped(*code) : !connection::portKeepsTyped(*code);
}

void ConnectionFieldEditors::tServer_Change()
{
    Q_EMIT edited();
    const std::optional<connection::ServerChange> change = connection::afterServerChange(m_server->text());
    if (!change)
        return;
    if (change->port)
        m_port->setText(*change->port);
    writeBack(m_server, change->server);
}

void ConnectionFieldEditors::tPort_Change()
{
    Q_EMIT edited();
    if (const std::optional<QString> kept = connection::afterPortChange(m_port->text()))
        writeBack(m_port, *kept);
}

void ConnectionFieldEditors::tServer_LostFocus()
{
    if (connection::serverNeedsClearing(m_server->text()))
        m_server->clear();
}

void ConnectionFieldEditors::coPaste_Click(int index)
{
    bool offersText = false;
    if (!m_clip.retrying([&] {
            bool busy = false;
            offersText = m_clip.clipboard().hasText(busy);
            return !busy;
        }))
        return;
    if (!offersText) {
        m_services.notices.ShowNotice(QStringLiteral("Windows Clipboard contains no textual information"),
                                      NoticeWarning, QStringLiteral("Warning"));
        return;
    }
    QString clip;
    if (!m_clip.retrying([&] { return m_clip.clipboard().text(clip); }))
        return;
    const QString pasted = connection::pastedText(clip, pasteLimit(index));
    QCoreApplication::processEvents(); // between the clipboard and the field, as with Ctrl+V
    if (pasted.isEmpty())
        return;
    const std::array<QLineEdit*, 3> fields{m_server, m_port, m_password};
    fields.at(std::size_t(index))->setText(pasted);
}

} // namespace spectrel
