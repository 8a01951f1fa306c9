#include "shell/FormControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <stdexcept>
#include <string>

namespace spectrel {

namespace {

[[noreturn]] void fail(std::string_view name, int index, const char* problem)
{
    std::string what = "main window control " + std::string(name);
    if (index >= 0)
        what += "(" + std::to_string(index) + ")";
    throw std::invalid_argument(what + ": " + problem);
}

template <class T> T* as(QWidget* widget, std::string_view name, int index)
{
    T* typed = qobject_cast<T*>(widget);
    if (!typed)
        fail(name, index, "widget of an unexpected class");
    return typed;
}

} // namespace

FormControls::FormControls(QHash<QString, QWidget*> widgets) : m_widgets(std::move(widgets))
{
    Tabek = tabs();
    BannerLink = bannerLink();
    tServer = field("tServer");
    tPort = field("tPort");
    tRcon = field("tRcon");
    tYour = field("tYour");
    tOpponent = field("tOpponent");
    cRecord = button("cRecord");
    cStop = button("cStop");
    cRecNow = button("cRecNow");
    cStopNow = button("cStopNow");
    cRefresh = button("cRefresh");
    coDelete = button("coDelete");
    coUpdate = button("coUpdate");
    for (int i = 0; i < int(coPaste.size()); ++i)
        coPaste[std::size_t(i)] = button("coPaste", i);
    cRecAction = list("cRecAction");
    cStopAction = list("cStopAction");
    cRK = list("cRK");
    cSK = list("cSK");
    cAutoRefresh = box("cAutoRefresh");
    cAnnounceSpec = box("cAnnounceSpec");
    cRHE = box("cRHE");
    cSHE = box("cSHE");
    lCServer = label("lCServer");
    lCMap = label("lCMap");
    lCDelay = label("lCDelay");
    lCDemo = label("lCDemo");
    for (int i = 0; i < int(lIRCLinks.size()); ++i)
        lIRCLinks[std::size_t(i)] = label("lIRCLinks", i);
    for (int i = 0; i < int(lWWWLink.size()); ++i)
        lWWWLink[std::size_t(i)] = label("lWWWLink", i);
}

QWidget* FormControls::widget(std::string_view name, int index) const
{
    const ControlRow* row = findControl(name, index);
    if (!row)
        fail(name, index, "not in the window layout");
    QWidget* found = m_widgets.value(controlObjectName(*row));
    if (!found)
        fail(name, index, "not built");
    return found;
}

QWidget* FormControls::lookup(std::string_view name, int index, ControlKind kind) const
{
    const ControlRow* row = findControl(name, index);
    if (row && row->kind != kind)
        fail(name, index, "a control of another kind");
    return widget(name, index);
}

QLineEdit* FormControls::field(std::string_view name) const
{
    return as<QLineEdit>(lookup(name, -1, ControlKind::TextField), name, -1);
}

QCheckBox* FormControls::box(std::string_view name) const
{
    return as<QCheckBox>(lookup(name, -1, ControlKind::CheckBox), name, -1);
}

QComboBox* FormControls::list(std::string_view name) const
{
    return as<QComboBox>(lookup(name, -1, ControlKind::DropDownList), name, -1);
}

QPushButton* FormControls::button(std::string_view name, int index) const
{
    return as<QPushButton>(lookup(name, index, ControlKind::Button), name, index);
}

ClickableLabel* FormControls::label(std::string_view name, int index) const
{
    return as<ClickableLabel>(lookup(name, index, ControlKind::Label), name, index);
}

QGroupBox* FormControls::frame(std::string_view name) const
{
    return as<QGroupBox>(lookup(name, -1, ControlKind::Frame), name, -1);
}

QWidget* FormControls::panel(std::string_view name) const
{
    return lookup(name, -1, ControlKind::Panel);
}

QTabWidget* FormControls::tabs() const
{
    return as<QTabWidget>(lookup("Tabek", -1, ControlKind::TabControl), "Tabek", -1);
}

QWidget* FormControls::page(int index) const
{
    return lookup("Tabek", index, ControlKind::TabPage);
}

QLabel* FormControls::banner() const
{
    return as<QLabel>(lookup("BannerFrame", -1, ControlKind::PictureBox), "BannerFrame", -1);
}

ClickableLabel* FormControls::bannerLink() const
{
    return as<ClickableLabel>(lookup("BannerLink", -1, ControlKind::ImageArea), "BannerLink", -1);
}

QWidget* FormControls::container(std::string_view name, int index) const
{
    const ControlRow* row = findControl(name, index);
    if (!row)
        fail(name, index, "not in the window layout");
    if (row->kind == ControlKind::TabPage)
        return tabs();
    if (row->container.empty())
        return widget(name, index)->parentWidget();
    if (row->container == "Tabek")
        return page(row->page);
    return widget(row->container);
}

} // namespace spectrel
