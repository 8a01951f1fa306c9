#pragma once

#include "shell/ClickableLabel.h"
#include "shell/WindowLayout.h"

#include <QHash>
#include <QString>

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

// Typed access to the main window's controls by their names. The widgets belong to the window; this only
// finds them. A name that is not in the window layout, or that names a control of another kind, throws
// std::invalid_argument: a mistyped name is a programming error that tests must catch at once.
class FormControls {
public:
    FormControls() = default;
    // objectName -> widget, as the builder made them.
    explicit FormControls(QHash<QString, QWidget*> widgets);

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
