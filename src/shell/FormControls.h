#pragma once

#include "core/SettingsKeys.h"
#include "shell/ClickableLabel.h"
#include "shell/WindowLayout.h"

#include <QHash>
#include <QString>

#include <array>
#include <string_view>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QWidget;

namespace spectrel {

// The main window's controls. The window's handlers use the members, named as in the window layout; the
// lookups by name serve what walks the layout table (the tests of the layout, the end-to-end clicks). The
// widgets belong to the window; this only finds them. A name that is not in the window layout, or that names
// a control of another kind, throws std::invalid_argument, also while the members are filled: a layout row
// renamed without its member fails the first start.
class FormControls {
public:
    FormControls() = default;
    // objectName -> widget, as the builder made them.
    explicit FormControls(QHash<QString, QWidget*> widgets);

    QTabWidget* Tabek = nullptr;
    ClickableLabel* BannerLink = nullptr;
    QLineEdit *tServer = nullptr, *tPort = nullptr, *tRcon = nullptr, *tYour = nullptr, *tOpponent = nullptr;
    QPushButton *cRecord = nullptr, *cStop = nullptr, *cRecNow = nullptr, *cStopNow = nullptr,
                *cRefresh = nullptr, *coDelete = nullptr, *coUpdate = nullptr;
    std::array<QPushButton*, 3> coPaste{};
    QComboBox *cRecAction = nullptr, *cStopAction = nullptr, *cRK = nullptr, *cSK = nullptr;
    QCheckBox *cAutoRefresh = nullptr, *cAnnounceSpec = nullptr, *cRHE = nullptr, *cSHE = nullptr;
    ClickableLabel *lCServer = nullptr, *lCMap = nullptr, *lCDelay = nullptr, *lCDemo = nullptr;
    std::array<ClickableLabel*, 7> lIRCLinks{};
    std::array<ClickableLabel*, 2> lWWWLink{};

    // The control a setting is kept from: a text field, a check box or a drop-down list of that name.
    QLineEdit* field(SettingKey key) const { return field(settingName(key).toStdString()); }
    QCheckBox* box(SettingKey key) const { return box(settingName(key).toStdString()); }
    QComboBox* list(SettingKey key) const { return list(settingName(key).toStdString()); }

    // Any control; `index` picks the member of a control array.
    QWidget* widget(std::string_view name, int index = -1) const;

    QLineEdit* field(std::string_view name) const;
    QCheckBox* box(std::string_view name) const;
    QComboBox* list(std::string_view name) const;
    QPushButton* button(std::string_view name, int index = -1) const;
    ClickableLabel* label(std::string_view name, int index = -1) const;
    QGroupBox* frame(std::string_view name) const;
    QWidget* panel(std::string_view name) const;

    QTabWidget* tabs() const;
    QWidget* page(int index) const;
    QLabel* banner() const;
    ClickableLabel* bannerLink() const;

    // The widget a control sits in (frame, panel, tab page, banner), or the window for the top-level ones.
    QWidget* container(std::string_view name, int index = -1) const;

private:
    QWidget* lookup(std::string_view name, int index, ControlKind kind) const;

    QHash<QString, QWidget*> m_widgets;
};

} // namespace spectrel
