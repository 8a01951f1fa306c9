#include "shell/HLTVForm.h"

#include "core/Cues.h"
#include "core/Logging.h"
#include "core/Notices.h"
#include "core/ProgramTitle.h"
#include "core/SettingsStore.h"
#include "fields/ClanFields.h"
#include "fields/ConnectionFieldEditors.h"
#include "fields/FieldHook.h"
#include "fields/FieldWarning.h"
#include "geometry/WindowMoves.h"
#include "geometry/WindowPlacement.h"
#include "hotkeys/KeyCatalogue.h"
#include "shell/BannerFont.h"
#include "shell/FormBuilder.h"
#include "shell/ModuleTextDownload.h"
#include "text/TextRules.h"
#include "web/QuickLinks.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

#include <cmath>

namespace spectrel {

namespace {

const QString kWarning = QStringLiteral("Warning");
const QColor kDarkRed(128, 0, 0);

// The order in which start-up restores the lists and boxes from their settings: a row control's handler
// clears its row's enable box, so the enable boxes come after the rows and a restored hotkey stays enabled.
// "cAnnounceSpec" follows separately, once it is enabled or not by the auto-refresh box.
constexpr SettingKey kRestoredLists[] = {SettingKey::cRecAction, SettingKey::cStopAction, SettingKey::cRK,
                                         SettingKey::cSK};
constexpr SettingKey kRestoredBoxes[] = {
    SettingKey::cAutoRefresh, SettingKey::cCtrlRec,       SettingKey::cCtrlStop,    SettingKey::cAltRec,
    SettingKey::cAltStop,     SettingKey::cShiftRec,      SettingKey::cShiftStop,   SettingKey::cRHE,
    SettingKey::cSHE,         SettingKey::cAnnounceStart, SettingKey::cAnnounceEnd,
};

// The fields that offer no context menu, by their hook row.
constexpr QLineEdit* FormControls::*kHookedFields[FieldHook::kFields] = {
    &FormControls::tServer, &FormControls::tPort, &FormControls::tRcon, &FormControls::tYour,
    &FormControls::tOpponent};

// A box counts as ticked only with the value 1; a grayed box (2) does not.
bool ticked(const QCheckBox* box)
{
    return box->checkState() == Qt::Checked;
}

// The value a box stores: 0 clear, 1 ticked, 2 grayed (a hand-edited value that a box takes as it is).
QString boxText(const QCheckBox* box)
{
    return QString::number(box->checkState() == Qt::Unchecked ? 0 : box->checkState() == Qt::Checked ? 1 : 2);
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

} // namespace

HLTVForm::HLTVForm(Notices& notices, Cues& cues, SettingsStore& settings, Clock& clock, Clipboard& clipboard,
                   GlobalHotkeys& hotkeys, AddressOpener& opener, const WebAddresses& addresses,
                   CaptionStretches* captionStretches, QWidget* parent)
    : QWidget(parent), m_notices(notices), m_cues(cues), m_settings(settings), m_clock(clock),
      m_hotkeys(hotkeys), m_trap([this](const RuntimeFailure& failure) { trapFailure(failure); })
{
    setObjectName(QStringLiteral("HLTVForm"));
    const double pxPerTwip = pixelsPerTwip(screen());
    m_twipsPerPixel = 1.0 / pxPerTwip;
    m_controls = buildForm(this, pxPerTwip, bannerFont(), captionStretches);

    m_tDelayUpdate = clock.createTimer();
    m_tDelayUpdate->setInterval(5000);

    const RconLink::Services services{*this, notices, cues, m_trap, clock};
    m_session = std::make_unique<ProxySession>(services, textWidthTwips(bannerFont(), m_twipsPerPixel), this);
    connect(m_session.get(), &ProxySession::panelChanged, this, &HLTVForm::paintPanel);
    connect(m_session.get(), &ProxySession::recordingPageWanted, this,
            [this] { m_controls.Tabek->setCurrentIndex(1); });
    connect(m_session.get(), &ProxySession::wentOffline, this, &HLTVForm::wentOffline);
    connect(m_session.get(), &ProxySession::programMustEnd, this, [this] { endProgram(1); });
    m_autoRefresh = std::make_unique<AutoRefresh>(*m_session, clock, m_trap, this);
    connect(m_autoRefresh.get(), &AutoRefresh::stoppedItself, this, &HLTVForm::untickAutoRefresh);
    paintPanel(); // the panel as nothing is known yet: all four recording buttons disabled

    m_clanFields = std::make_unique<ClanFields>(
        m_controls.tYour, m_controls.tOpponent, [this] { m_controls.Tabek->setCurrentIndex(1); },
        ClanFields::Services{notices, cues, clipboard, m_trap});
    m_connectionFields = std::make_unique<ConnectionFieldEditors>(
        m_controls.tServer, m_controls.tPort, m_controls.tRcon,
        ConnectionFieldEditors::Services{notices, clipboard, m_trap});
    connect(m_connectionFields.get(), &ConnectionFieldEditors::edited, this, &HLTVForm::untickAutoRefresh);
    for (int index = 0; index < 3; ++index)
        handle(m_controls.coPaste[std::size_t(index)], &QPushButton::clicked,
               [this, index] { m_connectionFields->coPaste_Click(index); });
    m_fieldHook = std::make_unique<FieldHook>();
    m_recorder = std::make_unique<Recorder>(*m_session, *m_clanFields, notices, cues, m_trap, clock);
    m_makeUpdateCheck = [this, &opener, addresses] {
        m_download = std::make_unique<ModuleTextDownload>(m_clock);
        m_updateCheck = std::make_unique<UpdateCheck>(*m_download, m_settings, m_notices, opener, addresses);
        connect(m_updateCheck.get(), &UpdateCheck::programMustEnd, this, [this] { endProgram(0); });
    };
    handle(m_controls.coUpdate, &QPushButton::clicked, [this] { coUpdate_Click(); });
    m_quickLinks = std::make_unique<QuickLinks>(opener, notices, addresses);
    for (int i = 0; i < 7; ++i)
        handle(m_controls.lIRCLinks[std::size_t(i)], &ClickableLabel::clicked,
               [this, i] { m_quickLinks->lIRCLinks_Click(i); });
    for (int i = 0; i < 2; ++i)
        handle(m_controls.lWWWLink[std::size_t(i)], &ClickableLabel::clicked,
               [this, i] { m_quickLinks->lWWWLink_Click(i); });
    handle(m_controls.BannerLink, &ClickableLabel::clicked, [this] { m_quickLinks->BannerLink_Click(); });

    handle(m_controls.cRecNow, &QPushButton::clicked, [this] { cRecNow_Click(); });
    handle(m_controls.cStopNow, &QPushButton::clicked, [this] { cStopNow_Click(); });
    handle(m_controls.cRecord, &QPushButton::clicked, [this] { cRecord_Click(); });
    handle(m_controls.cStop, &QPushButton::clicked, [this] { cStop_Click(); });

    handle(m_controls.cRefresh, &QPushButton::clicked, [this] { cRefresh_Click(); });
    handle(m_controls.coDelete, &QPushButton::clicked, [this] { coDelete_Click(); });
    handle(m_tDelayUpdate.get(), &Timer::timeout, [this] { tDelayUpdate_Timer(); });
    connect(m_controls.Tabek, &QTabWidget::currentChanged, this,
            [this](int page) { m_trap.run([=, this] { Tabek_Change(page); }); });

    handle(box(SettingKey::cAutoRefresh), &QCheckBox::stateChanged, [this] { cAutoRefresh_Click(); });
    for (SettingKey key : {SettingKey::cAnnounceStart, SettingKey::cAnnounceEnd, SettingKey::cAnnounceSpec})
        handle(box(key), &QCheckBox::stateChanged, [this, key] { cAnnounce_Click(key); });
    m_hotkeyBinding =
        std::make_unique<HotkeyBinding>(HotkeyBinding::Services{*this, hotkeys, settings, notices, cues});
    for (SettingKey key : {SettingKey::cCtrlRec, SettingKey::cAltRec, SettingKey::cShiftRec})
        handle(box(key), &QCheckBox::stateChanged,
               [this, key] { hotkeyRow_Click(HotkeyRowId::Record, key); });
    for (SettingKey key : {SettingKey::cCtrlStop, SettingKey::cAltStop, SettingKey::cShiftStop})
        handle(box(key), &QCheckBox::stateChanged, [this, key] { hotkeyRow_Click(HotkeyRowId::Stop, key); });
    for (SettingKey key : {SettingKey::cRecAction, SettingKey::cRK})
        handle(m_controls.list(key), &QComboBox::currentIndexChanged,
               [this, key] { hotkeyRow_Click(HotkeyRowId::Record, key); });
    for (SettingKey key : {SettingKey::cStopAction, SettingKey::cSK})
        handle(m_controls.list(key), &QComboBox::currentIndexChanged,
               [this, key] { hotkeyRow_Click(HotkeyRowId::Stop, key); });
    handle(box(SettingKey::cRHE), &QCheckBox::stateChanged, [this] { cRHE_Click(); });
    handle(box(SettingKey::cSHE), &QCheckBox::stateChanged, [this] { cSHE_Click(); });
    // The platform queues a press that comes during start-up; it is handled once the window runs its loop.
    connect(&hotkeys, &GlobalHotkeys::activated, this,
            [this](int id) { m_trap.run([=, this] { HotkeyDispatch(id); }); });
    connect(&hotkeys, &GlobalHotkeys::refused, this,
            [this](int id) { m_trap.run([=, this] { m_hotkeyBinding->registrationRefused(id); }); });
}

HLTVForm::~HLTVForm() = default;

// ---- start-up and shutdown ------------------------------------------------------------------------------

bool HLTVForm::Form_Load()
{
    try {
        StartupDone = false;
        SettingsDeleted = false;

        if (readBoolean(m_settings, SettingKey::FirstRun))
            FirstRunWelcome();

        m_session->link().clearLastChallenge();

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

        placeWindow();
        for (SettingKey key : {SettingKey::tServer, SettingKey::tPort, SettingKey::tRcon, SettingKey::tYour})
            m_controls.field(key)->setText(readText(m_settings, key));

        FillKeyLists();
        m_hotkeys.setOwnerWindow(quintptr(winId())); // the hotkeys restored next belong to this window
        restoreSettings();
        const QCursor hand = m_controls.BannerLink->cursor(); // the banner's, made with the window
        for (int i = 0; i < 7; ++i)
            m_controls.lIRCLinks[std::size_t(i)]->setCursor(hand);
        for (int i = 0; i < 2; ++i)
            m_controls.lWWWLink[std::size_t(i)]->setCursor(hand);
        if (m_ending)
            return false; // a handler run by restoring a setting failed; its notice has been shown

        m_windowMoves = hookWindowMoves(this); // the main window first, then the fields
        hookFields();
        show();
        QCoreApplication::processEvents();
        m_tDelayUpdate->start();
        AutoRefreshByUser = true;
        StartupDone = true;
        qCInfo(lcShell) << "started";
        if (m_closeAfterStartup)
            QTimer::singleShot(0, this, &QWidget::close);
        return true;
    } catch (const RuntimeFailure& failure) {
        // Nothing has been saved yet: the notice, and the program ends without the shutdown sequence.
        m_ending = true;
        m_notices.ShowNotice(failure.description(), NoticeError, QStringLiteral("Error"));
        return false;
    }
}

void HLTVForm::placeWindow()
{
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect px = s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
    auto twips = [this](int v) { return double(std::lround(v * m_twipsPerPixel)); };
    const Edges area{twips(px.left()), twips(px.top()), twips(px.left() + px.width()),
                     twips(px.top() + px.height())};
    RuntimeDefaults defaults;
    defaults.workAreaLeft = float(area.left);
    defaults.workAreaTop = float(area.top);
    const Position stored{readSingle(m_settings, SettingKey::Left, defaults),
                          readSingle(m_settings, SettingKey::Top, defaults)};
    const Position p = placeInWorkArea(stored, frameGeometry().width() * m_twipsPerPixel,
                                       frameGeometry().height() * m_twipsPerPixel, area);
    move(int(std::lround(p.left / m_twipsPerPixel)), int(std::lround(p.top / m_twipsPerPixel)));
    setWindowState(Qt::WindowNoState);
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
            m_controls.Tabek->setCurrentIndex(0);
            writeInt16(m_settings, SettingKey::LastTab, 0);
        }
    };
    for (SettingKey key : kRestoredLists)
        refusable([&] { setListIndex(m_controls.list(key), readInt16(m_settings, key)); });
    for (SettingKey key : kRestoredBoxes)
        refusable([&] { setBoxValue(box(key), readInt16(m_settings, key)); });
    QCheckBox* row = box(SettingKey::cAnnounceSpec);
    row->setEnabled(ticked(box(SettingKey::cAutoRefresh)));
    refusable([&] { setBoxValue(row, readInt16(m_settings, SettingKey::cAnnounceSpec)); });
    refusable([&] {
        const std::int16_t page = readInt16(m_settings, SettingKey::LastTab);
        if (page < 0 || page >= m_controls.Tabek->count())
            throw RuntimeFailure::invalidPropertyValue();
        m_controls.Tabek->setCurrentIndex(page);
    });
}

void HLTVForm::hookFields()
{
    for (std::uint8_t row = 0; row < FieldHook::kFields; ++row)
        m_fieldHook->HookField(m_controls.*kHookedFields[row], row);
}

void HLTVForm::unhookFields()
{
    for (std::uint8_t row = 0; row < FieldHook::kFields; ++row)
        m_fieldHook->UnhookField(m_controls.*kHookedFields[row], row);
}

void HLTVForm::FirstRunWelcome()
{
    deleteSettings(m_settings);
    writeBoolean(m_settings, SettingKey::FirstRun, false);
    m_notices.ShowNotice(QStringLiteral("Welcome to ") + applicationTitle() + u'!', NoticeInformation,
                         QStringLiteral("Welcome notes"));
}

void HLTVForm::FillKeyLists()
{
    // Adding to an empty list selects its first entry; here nothing is chosen until a setting says so, and
    // filling the lists is no change of the user's choice.
    for (QComboBox* list : {m_controls.cRK, m_controls.cSK}) {
        const QSignalBlocker quiet(list);
        QStringList texts;
        for (const keys::KeyEntry& e : keys::catalogue())
            texts.append(QString::fromLatin1(e.text));
        list->addItems(texts);
        list->setCurrentIndex(-1);
    }
}

void HLTVForm::closeEvent(QCloseEvent* event)
{
    // A close asked for while start-up still runs (the window is shown before start-up has finished) waits
    // for its end, so that the shutdown sequence runs and the program does not stay behind without a window.
    if (!StartupDone && !m_ending) {
        m_closeAfterStartup = true;
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void HLTVForm::Form_Unload()
{
    if (!StartupDone || m_unloaded)
        return;
    m_unloaded = true;
    StopAllTimers();
    if (m_updateCheck)
        m_updateCheck->cancel();
    m_session->link().closeSocket();
    QCoreApplication::processEvents();
    // The window hooks are released first, the main window's before the fields'; then the hotkeys.
    m_windowMoves.reset();
    unhookFields();
    m_hotkeyBinding->unregisterAll();
    if (!SettingsDeleted)
        saveAtShutdown();
    qCInfo(lcShell) << "closed" << (SettingsDeleted ? "without saving (settings deleted)" : "");
}

void HLTVForm::saveAtShutdown() const
{
    if (!isMinimized()) {
        writeSingle(m_settings, SettingKey::Left, float(frameGeometry().x() * m_twipsPerPixel));
        writeSingle(m_settings, SettingKey::Top, float(frameGeometry().y() * m_twipsPerPixel));
    }
    for (SettingKey key : {SettingKey::tServer, SettingKey::tPort, SettingKey::tRcon, SettingKey::tYour})
        writeText(m_settings, key, m_controls.field(key)->text());
}

void HLTVForm::StopAllTimers()
{
    m_recorder->cancel();
    m_autoRefresh->setOn(false);
    m_tDelayUpdate->stop();
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

// ---- the error trap ------------------------------------------------------------------------------------

void HLTVForm::trapFailure(const RuntimeFailure& failure)
{
    if (!m_ending)
        m_notices.ShowNotice(failure.description(), NoticeError, QStringLiteral("Error"));
    endProgram(1);
}

// ---- status, refresh and option boxes -------------------------------------------------------------------

void HLTVForm::cRefresh_Click()
{
    m_cues.PlayCue(CueClick);
    QPushButton* refresh = m_controls.cRefresh;
    m_controls.Tabek->setFocus();
    refresh->setEnabled(false);
    QueryStatus();
    refresh->setEnabled(true);
    refresh->setFocus();
}

void HLTVForm::cAutoRefresh_Click()
{
    if (AutoRefreshByUser && StartupDone)
        m_cues.PlayCue(CueClick);
    storeBox(SettingKey::cAutoRefresh);
    const bool on = ticked(box(SettingKey::cAutoRefresh));
    box(SettingKey::cAnnounceSpec)->setEnabled(on); // announcing needs the refresh
    m_autoRefresh->setOn(on);
}

void HLTVForm::untickAutoRefresh()
{
    AutoRefreshByUser = false;
    // setCheckState, not setChecked: inside the box's own click Qt would not report the change.
    box(SettingKey::cAutoRefresh)->setCheckState(Qt::Unchecked);
    AutoRefreshByUser = true;
}

QCheckBox* HLTVForm::box(SettingKey key) const
{
    return m_controls.box(key);
}

void HLTVForm::storeBox(SettingKey key)
{
    writeText(m_settings, key, boxText(box(key)));
}

void HLTVForm::cAnnounce_Click(SettingKey key)
{
    if (StartupDone)
        m_cues.PlayCue(CueClick);
    storeBox(key);
    storeAnnouncements();
    if (key == SettingKey::cAnnounceSpec)
        m_autoRefresh->setAnnouncing(ticked(box(key)));
}

void HLTVForm::storeAnnouncements()
{
    m_session->setAnnouncements(ticked(box(SettingKey::cAnnounceStart)),
                                ticked(box(SettingKey::cAnnounceEnd)));
}

// ---- hotkey rows: every change is stored and switches the row's hotkey off -------------------------------

void HLTVForm::hotkeyRow_Click(HotkeyRowId row, SettingKey control)
{
    const bool isList = settingRow(control).form == SettingForm::Int16; // the lists; the boxes are Box
    m_hotkeyBinding->rowControlChanged(
        row, control, isList ? m_controls.list(control)->currentIndex() : boxText(box(control)).toInt());
}

void HLTVForm::cRHE_Click()
{
    m_hotkeyBinding->enableBoxChanged(HotkeyRowId::Record, boxText(box(SettingKey::cRHE)).toInt(),
                                      StartupDone);
}

void HLTVForm::cSHE_Click()
{
    m_hotkeyBinding->enableBoxChanged(HotkeyRowId::Stop, boxText(box(SettingKey::cSHE)).toInt(), StartupDone);
}

HotkeyRowValues HLTVForm::hotkeyRow(HotkeyRowId row) const
{
    const bool record = row == HotkeyRowId::Record;
    const QComboBox* keyList = (record ? m_controls.cRK : m_controls.cSK);
    auto value = [this](SettingKey key) { return boxText(box(key)).toInt(); };
    return HotkeyRowValues{(record ? m_controls.cRecAction : m_controls.cStopAction)->currentIndex(),
                           value(record ? SettingKey::cCtrlRec : SettingKey::cCtrlStop),
                           value(record ? SettingKey::cAltRec : SettingKey::cAltStop),
                           value(record ? SettingKey::cShiftRec : SettingKey::cShiftStop),
                           keyList->currentIndex(),
                           keyList->currentText()};
}

void HLTVForm::clearEnableBox(HotkeyRowId row)
{
    // setCheckState, not setChecked: a box refused from inside its own click must still report the change,
    // so that its handler stores "0".
    box(row == HotkeyRowId::Record ? SettingKey::cRHE : SettingKey::cSHE)->setCheckState(Qt::Unchecked);
}

void HLTVForm::HotkeyDispatch(int id)
{
    const int position =
        (id == HotkeyBinding::RecordHotkeyId ? m_controls.cRecAction : m_controls.cStopAction)
            ->currentIndex();
    // By action: the button that must be enabled, and what its click runs.
    struct Target {
        QPushButton* FormControls::*button;
        void (HLTVForm::*click)();
    };
    static constexpr Target kTargets[] = {{nullptr, nullptr},
                                          {&FormControls::cRecord, &HLTVForm::cRecord_Click},
                                          {&FormControls::cRecNow, &HLTVForm::cRecNow_Click},
                                          {&FormControls::cStop, &HLTVForm::cStop_Click},
                                          {&FormControls::cStopNow, &HLTVForm::cStopNow_Click}};
    const Target& target = kTargets[int(hotkeyAction(id, position))];
    if (!target.button || !(m_controls.*target.button)->isEnabled()) {
        qCInfo(lcHotkeys) << "hotkey" << id << "pressed; nothing to run";
        return;
    }
    (this->*target.click)();
}

void HLTVForm::Trigger(int id)
{
    m_trap.run([this, id] {
        // A row without an action has nothing to run: said as ticking its box without one says it.
        const bool record = id == HotkeyBinding::RecordHotkeyId;
        if ((record ? m_controls.cRecAction : m_controls.cStopAction)->currentIndex() < 0) {
            const QString warning = missingChoiceWarning(record ? HotkeyRowId::Record : HotkeyRowId::Stop);
            qCInfo(lcHotkeys).noquote() << "trigger refused:" << warning.simplified();
            m_cues.PlayCue(CueFailure);
            m_notices.ShowNotice(warning, NoticeWarning, kWarning);
            return;
        }
        QueryStatus();
        HotkeyDispatch(id);
    });
}

// ---- pages, deleting the settings, the update timer ------------------------------------------------------

void HLTVForm::Tabek_Change(int page)
{
    if (StartupDone)
        writeInt16(m_settings, SettingKey::LastTab, std::int16_t(page));
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
    deleteSettings(m_settings);
    SettingsDeleted = true;
    endProgram(0);
}

void HLTVForm::tDelayUpdate_Timer()
{
    m_tDelayUpdate->stop(); // the automatic update check runs once per start
    updateCheck().CheckForUpdates(false);
}

void HLTVForm::coUpdate_Click()
{
    updateCheck().CheckForUpdates(true);
}

// Made at the first check, five seconds after start-up or at the button, so that start-up does not wait for
// it.
UpdateCheck& HLTVForm::updateCheck()
{
    if (!m_updateCheck)
        m_makeUpdateCheck();
    return *m_updateCheck;
}

// ---- the connection fields and the session's news -------------------------------------------------------

bool HLTVForm::ConnectionFieldsInvalid()
{
    const auto problem = connectionFieldsProblem(serverText(), portText(), passwordText());
    if (!problem)
        return false;
    static constexpr SettingKey kFields[] = {SettingKey::tServer, SettingKey::tPort, SettingKey::tRcon};
    warnAboutField(
        m_controls.field(kFields[problem->field]), [this] { m_controls.Tabek->setCurrentIndex(0); },
        problem->warning, m_notices, m_cues);
    return true;
}

QString HLTVForm::serverText() const
{
    return m_controls.tServer->text();
}
QString HLTVForm::portText() const
{
    return m_controls.tPort->text();
}
QString HLTVForm::passwordText() const
{
    return m_controls.tRcon->text();
}

void HLTVForm::clearServerAndPort()
{
    m_controls.tServer->clear();
    m_controls.tPort->clear();
}

void HLTVForm::wentOffline()
{
    untickAutoRefresh();
}

void HLTVForm::paintPanel()
{
    const StatusPanel& p = m_session->panel();
    m_controls.lCServer->setText(p.server);
    m_controls.lCMap->setText(p.map);
    m_controls.lCDelay->setText(p.delay);
    QLabel* demo = m_controls.lCDemo;
    demo->setText(p.demo);
    QPalette palette = demo->palette();
    palette.setColor(QPalette::WindowText, p.demoInRecordingColour
                                               ? kDarkRed
                                               : QApplication::palette().color(QPalette::ButtonText));
    demo->setPalette(palette);
    m_controls.cRecord->setEnabled(p.recordEnabled);
    m_controls.cStop->setEnabled(p.stopEnabled);
    m_controls.cRecNow->setEnabled(p.recNowEnabled);
    m_controls.cStopNow->setEnabled(p.stopNowEnabled);
}

} // namespace spectrel
