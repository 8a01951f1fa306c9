#include "shell/HLTVForm.h"

#include "hotkeys/KeyCatalogue.h"
#include "link/ConnectionCheck.h"
#include "link/PanelTextWidth.h"
#include "shell/Cues.h"
#include "shell/FormBuilder.h"
#include "shell/Notices.h"
#include "shell/ProgramTitle.h"
#include "shell/SettingsKeys.h"
#include "shell/SettingsStore.h"
#include "shell/ShellLog.h"
#include "text/TextRules.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>

#include <cmath>

namespace spectrel {

namespace {

const QString kWarning = QStringLiteral("Warning");
const QColor kLightRed(255, 192, 192);
const QColor kDarkRed(128, 0, 0);

// Check boxes restored at start-up, in this order: a row control's handler clears its row's enable box, so
// the enable boxes come last and a restored hotkey stays enabled.
struct RestoredSetting {
    const char* name;
    SettingKey key;
};
constexpr RestoredSetting kRestoredSettinges[] = {
    {"cAutoRefresh", SettingKey::cAutoRefresh},
    {"cCtrlRec", SettingKey::cCtrlRec},
    {"cCtrlStop", SettingKey::cCtrlStop},
    {"cAltRec", SettingKey::cAltRec},
    {"cAltStop", SettingKey::cAltStop},
    {"cShiftRec", SettingKey::cShiftRec},
    {"cShiftStop", SettingKey::cShiftStop},
    {"cRHE", SettingKey::cRHE},
    {"cSHE", SettingKey::cSHE},
    {"cAnnounceStart", SettingKey::cAnnounceStart},
    {"cAnnounceEnd", SettingKey::cAnnounceEnd},
};
constexpr RestoredSetting kRestoredLists[] = {
    {"cRecAction", SettingKey::cRecAction},
    {"cStopAction", SettingKey::cStopAction},
    {"cRK", SettingKey::cRK},
    {"cSK", SettingKey::cSK},
};

QString boxText(const QCheckBox* box)
{
    return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

// A stored box value: 0 clear, 1 ticked, 2 grayed; anything else the box refuses.
void setBoxValue(QCheckBox* box, std::int16_t value)
{
    if (value < 0 || value > 2)
        throw RuntimeFailure::invalidPropertyValue();
    box->setCheckState(value == 0 ? Qt::Unchecked : value == 1 ? Qt::Checked : Qt::PartiallyChecked);
}

void setListIndex(QComboBox* list, std::int16_t index)
{
    if (index < -1 || index >= list->count())
        throw RuntimeFailure::invalidPropertyValue();
    // Qt reports a change even when the list already shows that position; only a real change runs a handler.
    if (list->currentIndex() != index)
        list->setCurrentIndex(index);
}

void paintBackground(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, colour.isValid() ? colour : QApplication::palette(w).color(QPalette::Base));
    w->setPalette(p);
}

} // namespace

HLTVForm::HLTVForm(Notices& notices, Cues& cues, SettingsStore& settings, QWidget* parent)
    : QWidget(parent), m_notices(notices), m_cues(cues), m_settings(settings)
{
    setObjectName(QStringLiteral("HLTVForm"));
    const double pxPerTwip = pixelsPerTwip(screen());
    m_twipsPerPixel = 1.0 / pxPerTwip;
    m_controls = buildForm(this, pxPerTwip, panelFont());
    m_session = std::make_unique<ProxySession>(static_cast<SessionControls&>(*this), notices, cues,
                                               panelTextWidth(panelFont(), m_twipsPerPixel), this);

    panelChanged(); // the panel as nothing is known yet: all four recording buttons disabled

    Timer1.setInterval(1000);
    Timer30.setInterval(30000);
    tDelayUpdate.setInterval(5000);

    auto onToggle = [this](const char* name, std::function<void()> handler) {
        connect(m_controls.box(name), &QCheckBox::stateChanged, this, [this, handler] { trap(handler); });
    };
    auto onList = [this](const char* name, std::function<void()> handler) {
        connect(m_controls.list(name), &QComboBox::currentIndexChanged, this,
                [this, handler] { trap(handler); });
    };
    connect(m_controls.button("cRefresh"), &QPushButton::clicked, this,
            [this] { trap([this] { cRefresh_Click(); }); });
    connect(m_controls.button("coDelete"), &QPushButton::clicked, this,
            [this] { trap([this] { coDelete_Click(); }); });
    connect(&Timer30, &QTimer::timeout, this, [this] { trap([this] { Timer30_Timer(); }); });
    connect(&tDelayUpdate, &QTimer::timeout, this, [this] { trap([this] { tDelayUpdate_Timer(); }); });
    connect(m_controls.tabs(), &QTabWidget::currentChanged, this,
            [this](int page) { trap([=, this] { Tabek_Change(page); }); });

    onToggle("cAutoRefresh", [this] { cAutoRefresh_Click(); });
    for (const char* name : {"cAnnounceStart", "cAnnounceEnd", "cAnnounceSpec"})
        onToggle(name, [this, name] { cAnnounce_Click(name); });
    for (const char* name : {"cCtrlRec", "cAltRec", "cShiftRec"})
        onToggle(name, [this, name] { hotkeyRow_Click(name, "cRHE"); });
    for (const char* name : {"cCtrlStop", "cAltStop", "cShiftStop"})
        onToggle(name, [this, name] { hotkeyRow_Click(name, "cSHE"); });
    onList("cRecAction", [this] { hotkeyRow_Click("cRecAction", "cRHE"); });
    onList("cRK", [this] { hotkeyRow_Click("cRK", "cRHE"); });
    onList("cStopAction", [this] { hotkeyRow_Click("cStopAction", "cSHE"); });
    onList("cSK", [this] { hotkeyRow_Click("cSK", "cSHE"); });
    onToggle("cRHE", [this] { hotkeyEnable_Click("cRHE", RecordHotkeySet); });
    onToggle("cSHE", [this] { hotkeyEnable_Click("cSHE", StopHotkeySet); });
}

HLTVForm::~HLTVForm() = default;

// ---- start-up and shutdown ------------------------------------------------------------------------------

bool HLTVForm::Form_Load()
{
    try {
        StartupDone = 0;
        SettingsDeleted = 0;

        if (readBoolean(m_settings, SettingKey::FirstRun))
            FirstRunWelcome();

        m_session->link().clearLastChallenge();
        CountdownSeconds = -1;
        CountdownMode = 0;
        m_session->spectators() = SpectatorWatch{0, m_session->spectators().count};

        m_session->link().closeSocket();
        QCoreApplication::processEvents();
        const RconLink::BindResult bound = m_session->link().bindSocket(RconLink::kLocalPort);
        if (bound == RconLink::BindResult::PortInUse) {
            m_notices.ShowNotice(RconLink::portsInUseText(), NoticeWarning, kWarning);
            return false;
        }
        if (bound == RconLink::BindResult::Failed)
            throw RuntimeFailure(0, m_session->link().socketErrorText());
        QCoreApplication::processEvents();

        setWindowTitle(ProgramTitle());

        // Position: inside the work area, right and bottom edges first pulled in, then left and top.
        const QRect area = workAreaTwips();
        RuntimeDefaults defaults;
        defaults.workAreaLeft = float(area.left());
        defaults.workAreaTop = float(area.top());
        double left = readSingle(m_settings, SettingKey::Left, defaults);
        double top = readSingle(m_settings, SettingKey::Top, defaults);
        const double width = frameGeometry().width() * m_twipsPerPixel;
        const double height = frameGeometry().height() * m_twipsPerPixel;
        const double right = (area.left() + area.width()), bottom = (area.top() + area.height());
        if (left < area.left())
            left = area.left();
        if (left + width > right)
            left = right - width;
        if (top < area.top())
            top = area.top();
        if (top + height > bottom)
            top = bottom - height;
        move(int(std::lround(left / m_twipsPerPixel)), int(std::lround(top / m_twipsPerPixel)));
        setWindowState(Qt::WindowNoState);

        m_controls.field("tServer")->setText(readText(m_settings, SettingKey::tServer));
        m_controls.field("tPort")->setText(readText(m_settings, SettingKey::tPort));
        m_controls.field("tRcon")->setText(readText(m_settings, SettingKey::tRcon));
        m_controls.field("tYour")->setText(readText(m_settings, SettingKey::tYour));

        FillKeyLists();
        restoreSettings();
        if (m_ending)
            return false; // a handler run by restoring a setting failed; its notice has been shown

        show();
        QCoreApplication::processEvents();
        tDelayUpdate.start();
        AutoRefreshByUser = 1;
        StartupDone = 1;
        qCInfo(lcShell) << "started";
        if (m_closeAfterStartup)
            QTimer::singleShot(0, this, &QWidget::close);
        return true;
    } catch (const RuntimeFailure& failure) {
        qCWarning(lcShell) << "start-up failed:" << failure.description();
        m_notices.ShowNotice(failure.description(), NoticeError, QStringLiteral("Error"));
        return false;
    }
}

void HLTVForm::restoreSettings()
{
    // A value that a control refuses shows the first page, stores "0" as LastTab and start-up goes on with
    // the next step; any other failure ends start-up.
    auto refusable = [this](const std::function<void()>& step) {
        try {
            step();
        } catch (const RuntimeFailure& failure) {
            if (failure.number() != RuntimeFailure::InvalidPropertyValue)
                throw;
            qCInfo(lcShell) << "a stored value was refused; showing the first page";
            m_controls.tabs()->setCurrentIndex(0);
            m_settings.write(QStringLiteral("LastTab"), QStringLiteral("0"));
        }
    };
    for (const RestoredSetting& l : kRestoredLists)
        refusable([&] { setListIndex(m_controls.list(l.name), readInt16(m_settings, l.key)); });
    for (const RestoredSetting& b : kRestoredSettinges)
        refusable([&] { setBoxValue(m_controls.box(b.name), readInt16(m_settings, b.key)); });
    QCheckBox* spec = m_controls.box("cAnnounceSpec");
    spec->setEnabled(m_controls.box("cAutoRefresh")->isChecked());
    refusable([&] { setBoxValue(spec, readInt16(m_settings, SettingKey::cAnnounceSpec)); });
    refusable([&] {
        const std::int16_t page = readInt16(m_settings, SettingKey::LastTab);
        if (page < 0 || page >= m_controls.tabs()->count())
            throw RuntimeFailure::invalidPropertyValue();
        m_controls.tabs()->setCurrentIndex(page);
    });
}

void HLTVForm::FirstRunWelcome()
{
    try {
        m_settings.deleteSection();
    } catch (const RuntimeFailure& failure) {
        if (failure.number() != RuntimeFailure::InvalidCall)
            throw;
    }
    writeBoolean(m_settings, SettingKey::FirstRun, false);
    m_notices.ShowNotice(QStringLiteral("Welcome to ") + applicationTitle() + u'!', NoticeInformation,
                         QStringLiteral("Welcome notes"));
}

void HLTVForm::FillKeyLists()
{
    // Adding to an empty list selects its first entry; here nothing is chosen until a setting says so, and
    // filling the lists is no change of the user's choice.
    for (QComboBox* list : {m_controls.list("cRK"), m_controls.list("cSK")}) {
        const QSignalBlocker quiet(list);
        for (const keys::KeyEntry& e : keys::catalogue())
            list->addItem(QString::fromLatin1(e.text));
        list->setCurrentIndex(-1);
    }
}

void HLTVForm::closeEvent(QCloseEvent* event)
{
    // A close asked for while start-up still runs (the window is shown before start-up has finished) waits
    // for its end, so that the shutdown sequence runs and the program does not stay behind without a window.
    if (StartupDone == 0 && !m_ending) {
        m_closeAfterStartup = true;
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void HLTVForm::Form_Unload()
{
    if (StartupDone != 1 || m_unloaded)
        return;
    m_unloaded = true;
    StopAllTimers();
    m_session->link().closeSocket();
    QCoreApplication::processEvents();
    // The window hooks and the hotkeys are released here, in this order, once the program has them.
    RecordHotkeySet = 0;
    StopHotkeySet = 0;
    if (SettingsDeleted == 0) {
        if (!isMinimized()) {
            writeSingle(m_settings, SettingKey::Left, float(frameGeometry().x() * m_twipsPerPixel));
            writeSingle(m_settings, SettingKey::Top, float(frameGeometry().y() * m_twipsPerPixel));
        }
        for (const char* name : {"tServer", "tPort", "tRcon", "tYour"})
            m_settings.write(QString::fromLatin1(name), m_controls.field(name)->text());
    }
    qCInfo(lcShell) << "closed" << (SettingsDeleted ? "without saving (settings deleted)" : "");
}

void HLTVForm::StopAllTimers()
{
    for (QTimer* t : {&Timer1, &Timer30, &tDelayUpdate})
        t->stop();
}

void HLTVForm::endProgram(int exitCode)
{
    if (m_ending)
        return;
    m_ending = true;
    close();
    Form_Unload();
    QCoreApplication::exit(exitCode);
}

QRect HLTVForm::workAreaTwips() const
{
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect px = s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
    auto t = [this](int v) { return int(std::lround(v * m_twipsPerPixel)); };
    return QRect(QPoint(t(px.left()), t(px.top())),
                 QPoint(t(px.left() + px.width()) - 1, t(px.top() + px.height()) - 1));
}

// ---- the error trap ------------------------------------------------------------------------------------

void HLTVForm::trap(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const RuntimeFailure& failure) {
        trapFailure(failure);
    } catch (const std::exception& e) {
        trapFailure(RuntimeFailure(0, QString::fromLocal8Bit(e.what())));
    }
}

void HLTVForm::trapFailure(const RuntimeFailure& failure)
{
    qCWarning(lcShell) << "run-time failure:" << failure.number() << failure.description();
    if (!m_ending)
        m_notices.ShowNotice(failure.description(), NoticeError, QStringLiteral("Error"));
    endProgram(1);
}

// ---- status, refresh and option boxes -------------------------------------------------------------------

void HLTVForm::cRefresh_Click()
{
    m_cues.PlayCue(CueClick);
    QPushButton* refresh = m_controls.button("cRefresh");
    m_controls.tabs()->setFocus();
    refresh->setEnabled(false);
    QueryStatus();
    refresh->setEnabled(true);
    refresh->setFocus();
}

void HLTVForm::cAutoRefresh_Click()
{
    if (AutoRefreshByUser == 1 && StartupDone == 1)
        m_cues.PlayCue(CueClick);
    QCheckBox* box = m_controls.box("cAutoRefresh");
    m_settings.write(QStringLiteral("cAutoRefresh"), boxText(box));
    QCheckBox* spec = m_controls.box("cAnnounceSpec");
    if (box->isChecked()) {
        Timer30.start();
        spec->setEnabled(true);
        if (spec->isChecked())
            m_session->spectators().count = -1;
    } else {
        Timer30.stop();
        spec->setEnabled(false);
    }
}

void HLTVForm::Timer30_Timer()
{
    QCheckBox* spec = m_controls.box("cAnnounceSpec");
    SpectatorWatch& watch = m_session->spectators();
    watch.check = (spec->isEnabled() && spec->isChecked()) ? 1 : 0;
    if (!QueryStatus()) {
        untickAutoRefresh();
        return;
    }
    if (watch.check == 1) {
        watch.check = 0;
        const int n = watch.count;
        if (n == 0)
            m_session->SayToSpectators(QStringLiteral("No spectators are watching this match"));
        else if (n == 1)
            m_session->SayToSpectators(QStringLiteral("1 spectator is watching this match"));
        else if (n >= 2)
            m_session->SayToSpectators(QString::number(n) +
                                       QStringLiteral(" spectators are watching this match"));
    }
}

void HLTVForm::untickAutoRefresh()
{
    AutoRefreshByUser = 0;
    m_controls.box("cAutoRefresh")->setChecked(false);
    AutoRefreshByUser = 1;
}

void HLTVForm::storeBox(const char* name)
{
    m_settings.write(QString::fromLatin1(name), boxText(m_controls.box(name)));
}

void HLTVForm::cAnnounce_Click(const char* name)
{
    if (StartupDone == 1)
        m_cues.PlayCue(CueClick);
    storeBox(name);
    if (qstrcmp(name, "cAnnounceSpec") == 0 && m_controls.box(name)->isChecked())
        m_session->spectators().count = -1;
}

bool HLTVForm::announceStart() const
{
    return m_controls.box("cAnnounceStart")->isChecked();
}
bool HLTVForm::announceEnd() const
{
    return m_controls.box("cAnnounceEnd")->isChecked();
}

// ---- hotkey rows: every change is stored and switches the row's hotkey off -------------------------------

void HLTVForm::hotkeyRow_Click(const char* name, const char* enableBox)
{
    if (QComboBox* list = qobject_cast<QComboBox*>(m_controls.widget(name)))
        m_settings.write(QString::fromLatin1(name), QString::number(list->currentIndex()));
    else
        storeBox(name);
    m_controls.box(enableBox)->setChecked(false);
}

void HLTVForm::hotkeyEnable_Click(const char* name, std::uint8_t& registeredFlag)
{
    QCheckBox* box = m_controls.box(name);
    if (box->isChecked() && StartupDone == 1)
        m_cues.PlayCue(CueHotkey);
    storeBox(name);
    if (!box->isChecked())
        registeredFlag = 0;
}

// ---- pages, deleting the settings, the update timer ------------------------------------------------------

void HLTVForm::Tabek_Change(int page)
{
    if (StartupDone != 0)
        m_settings.write(QStringLiteral("LastTab"), QString::number(page));
}

void HLTVForm::coDelete_Click()
{
    QString shortTitle = applicationTitle();
    if (text::endsWithNoCase(shortTitle, u"by Zovan"))
        shortTitle = shortTitle.left(shortTitle.size() - 9);
    const int answer = m_notices.ShowNotice(QStringLiteral("Are you sure you want to delete all ") +
                                                shortTitle + QStringLiteral(" registry entries?\r\n") +
                                                shortTitle + QStringLiteral(" will have to close"),
                                            NoticeYesNo, QStringLiteral("Delete registry entries"));
    if (answer == AnswerNo)
        return;
    try {
        m_settings.deleteSection();
    } catch (const RuntimeFailure& failure) {
        if (failure.number() != RuntimeFailure::InvalidCall)
            throw;
    }
    SettingsDeleted = 1;
    endProgram(0);
}

void HLTVForm::tDelayUpdate_Timer()
{
    tDelayUpdate.stop(); // the automatic update check runs once per start
}

// ---- the session's view of the window ----------------------------------------------------------------

bool HLTVForm::ConnectionFieldsInvalid()
{
    const auto problem = connectionFieldsProblem(serverText(), portText(), passwordText());
    if (!problem)
        return false;
    static const char* const kFields[] = {"tServer", "tPort", "tRcon"};
    warnAboutField(m_controls.field(kFields[problem->field]), 0, problem->warning);
    return true;
}

void HLTVForm::warnAboutField(QLineEdit* field, int page, const QString& warning)
{
    m_cues.PlayCue(CueFailure);
    m_controls.tabs()->setCurrentIndex(page);
    paintBackground(field, kLightRed);
    m_notices.ShowNotice(warning, NoticeWarning, kWarning);
    paintBackground(field, QColor());
    field->setFocus();
}

QString HLTVForm::serverText() const
{
    return m_controls.field("tServer")->text();
}
QString HLTVForm::portText() const
{
    return m_controls.field("tPort")->text();
}
QString HLTVForm::passwordText() const
{
    return m_controls.field("tRcon")->text();
}

void HLTVForm::clearServerAndPort()
{
    m_controls.field("tServer")->clear();
    m_controls.field("tPort")->clear();
}

void HLTVForm::offlineControls()
{
    Timer1.stop();
    CountdownMode = 0;
    untickAutoRefresh();
}

void HLTVForm::panelChanged()
{
    const StatusPanel& p = m_session->panel();
    m_controls.label("lCServer")->setText(p.server);
    m_controls.label("lCMap")->setText(p.map);
    m_controls.label("lCDelay")->setText(p.delay);
    QLabel* demo = m_controls.label("lCDemo");
    demo->setText(p.demo);
    QPalette palette = demo->palette();
    palette.setColor(QPalette::WindowText, p.demoInRecordingColour
                                               ? kDarkRed
                                               : QApplication::palette().color(QPalette::ButtonText));
    demo->setPalette(palette);
    m_controls.button("cRecord")->setEnabled(p.recordEnabled);
    m_controls.button("cStop")->setEnabled(p.stopEnabled);
    m_controls.button("cRecNow")->setEnabled(p.recNowEnabled);
    m_controls.button("cStopNow")->setEnabled(p.stopNowEnabled);
}

void HLTVForm::showDemoPage()
{
    m_controls.tabs()->setCurrentIndex(1);
}

} // namespace spectrel
