#include "shell/WindowLayout.h"

namespace spectrel {

namespace {

using K = ControlKind;
using F = FontStyle;

constexpr std::string_view kRecordActions[] = {"Record", "Record now"};
constexpr std::string_view kStopActions[] = {"Stop", "Stop now"};

// clang-format off
constexpr ControlRow kControls[] = {
    // The window: banner on top, the tab control below.
    {.name = "BannerFrame", .kind = K::PictureBox, .rect = {15, 0, 7080, 960}},
    {.name = "BannerLink", .kind = K::ImageArea, .container = "BannerFrame", .rect = {2200, 100, 2440, 480}},
    {.name = "Tabek", .kind = K::TabControl, .rect = {15, 990, 7080, 4995}},
    {.name = "Tabek", .index = 0, .kind = K::TabPage, .container = "Tabek", .page = 0, .text = "Settings  "},
    {.name = "Tabek", .index = 1, .kind = K::TabPage, .container = "Tabek", .page = 1, .text = "Demo  "},
    {.name = "Tabek", .index = 2, .kind = K::TabPage, .container = "Tabek", .page = 2, .text = "Misc  "},

    // Page 0, "Settings  ".
    {.name = "fServer", .kind = K::Frame, .container = "Tabek", .page = 0, .text = "Connect to", .rect = {75, 475, 6910, 1445}},
    {.name = "lServer", .kind = K::Label, .container = "fServer", .page = 0, .text = "HLTV server:", .rect = {150, 350, 945, 195}},
    {.name = "tServer", .kind = K::TextField, .container = "fServer", .page = 0, .rect = {1505, 300, 3955, 300}, .font = F::Bold, .maxLength = 33},
    {.name = "lPort", .kind = K::Label, .container = "fServer", .page = 0, .text = "HLTV port:", .rect = {150, 700, 780, 195}},
    {.name = "tPort", .kind = K::TextField, .container = "fServer", .page = 0, .rect = {1505, 650, 950, 300}, .font = F::Bold, .maxLength = 5},
    {.name = "lRcon", .kind = K::Label, .container = "fServer", .page = 0, .text = "Rcon password:", .rect = {150, 1050, 1155, 195}},
    {.name = "tRcon", .kind = K::TextField, .container = "fServer", .page = 0, .rect = {1505, 1000, 3955, 300}, .font = F::Bold, .maxLength = 33, .password = true},
    {.name = "pbServer", .kind = K::Panel, .container = "fServer", .page = 0, .rect = {5620, 250, 1200, 1140}},
    {.name = "coPaste", .index = 0, .kind = K::Button, .container = "pbServer", .page = 0, .text = "Paste", .rect = {50, 50, 1100, 300}},
    {.name = "coPaste", .index = 1, .kind = K::Button, .container = "pbServer", .page = 0, .text = "Paste", .rect = {50, 400, 1100, 300}},
    {.name = "coPaste", .index = 2, .kind = K::Button, .container = "pbServer", .page = 0, .text = "Paste", .rect = {50, 750, 1100, 300}},

    {.name = "fHotkeys", .kind = K::Frame, .container = "Tabek", .page = 0, .text = "Hotkeys", .rect = {75, 1970, 6910, 1095}},
    {.name = "cRHE", .kind = K::CheckBox, .container = "fHotkeys", .page = 0, .text = "R", .rect = {150, 350, 400, 200}, .font = F::Bold},
    {.name = "cRecAction", .kind = K::DropDownList, .container = "fHotkeys", .page = 0, .entries = kRecordActions, .rect = {905, 300, 1500, 315}},
    {.name = "cCtrlRec", .kind = K::CheckBox, .container = "fHotkeys", .page = 0, .text = "CTRL", .rect = {2605, 350, 715, 200}, .ticked = true},
    {.name = "cAltRec", .kind = K::CheckBox, .container = "fHotkeys", .page = 0, .text = "ALT", .rect = {3520, 350, 595, 200}},
    {.name = "cShiftRec", .kind = K::CheckBox, .container = "fHotkeys", .page = 0, .text = "SHIFT", .rect = {4315, 350, 760, 200}, .ticked = true},
    {.name = "cRK", .kind = K::DropDownList, .container = "fHotkeys", .page = 0, .rect = {5275, 300, 1485, 315}},
    {.name = "cSHE", .kind = K::CheckBox, .container = "fHotkeys", .page = 0, .text = "S", .rect = {150, 700, 400, 200}, .font = F::Bold},
    {.name = "cStopAction", .kind = K::DropDownList, .container = "fHotkeys", .page = 0, .entries = kStopActions, .rect = {905, 650, 1500, 315}},
    {.name = "cCtrlStop", .kind = K::CheckBox, .container = "fHotkeys", .page = 0, .text = "CTRL", .rect = {2605, 700, 715, 200}, .ticked = true},
    {.name = "cAltStop", .kind = K::CheckBox, .container = "fHotkeys", .page = 0, .text = "ALT", .rect = {3520, 700, 595, 200}},
    {.name = "cShiftStop", .kind = K::CheckBox, .container = "fHotkeys", .page = 0, .text = "SHIFT", .rect = {4315, 700, 760, 200}, .ticked = true},
    {.name = "cSK", .kind = K::DropDownList, .container = "fHotkeys", .page = 0, .rect = {5275, 650, 1485, 315}},

    {.name = "fAnnounce", .kind = K::Frame, .container = "Tabek", .page = 0, .text = "Announcing options", .rect = {75, 3110, 6910, 1445}},
    {.name = "cAnnounceStart", .kind = K::CheckBox, .container = "fAnnounce", .page = 0, .text = "Announce start of demo recording", .rect = {150, 350, 2695, 200}},
    {.name = "cAnnounceEnd", .kind = K::CheckBox, .container = "fAnnounce", .page = 0, .text = "Announce end of demo recording", .rect = {150, 700, 2665, 200}},
    {.name = "cAnnounceSpec", .kind = K::CheckBox, .container = "fAnnounce", .page = 0, .text = "Announce change in number of spectators (available only if Auto-refresh is checked)", .rect = {150, 1050, 6250, 200}},

    // Page 1, "Demo  ".
    {.name = "fClans", .kind = K::Frame, .container = "Tabek", .page = 1, .text = "Clan names / tags", .rect = {75, 475, 6910, 1095}},
    {.name = "lYour", .kind = K::Label, .container = "fClans", .page = 1, .text = "Your clan:", .rect = {150, 350, 720, 195}},
    {.name = "tYour", .kind = K::TextField, .container = "fClans", .page = 1, .rect = {1445, 300, 5315, 300}, .font = F::Bold, .maxLength = 45},
    {.name = "lOpponent", .kind = K::Label, .container = "fClans", .page = 1, .text = "Opponent clan:", .rect = {150, 700, 1095, 195}},
    {.name = "tOpponent", .kind = K::TextField, .container = "fClans", .page = 1, .rect = {1445, 650, 5315, 300}, .font = F::Bold, .maxLength = 45},

    {.name = "fStatus", .kind = K::Frame, .container = "Tabek", .page = 1, .text = "HLTV proxy status", .rect = {75, 1620, 6910, 2145}},
    {.name = "lConnected", .kind = K::Label, .container = "fStatus", .page = 1, .text = "Connected to:", .rect = {150, 350, 1005, 195}},
    {.name = "lCServer", .kind = K::Label, .container = "fStatus", .page = 1, .text = "(not connected / offline)", .rect = {1370, 350, 5390, 195}, .font = F::Bold},
    {.name = "lPlayers", .kind = K::Label, .container = "fStatus", .page = 1, .text = "Map / players:", .rect = {150, 700, 1020, 195}},
    {.name = "lCMap", .kind = K::Label, .container = "fStatus", .page = 1, .rect = {1370, 700, 5390, 195}, .font = F::Bold},
    {.name = "lDelay", .kind = K::Label, .container = "fStatus", .page = 1, .text = "Delay:", .rect = {150, 1050, 450, 195}},
    {.name = "lCDelay", .kind = K::Label, .container = "fStatus", .page = 1, .rect = {1370, 1050, 5390, 195}, .font = F::Bold},
    {.name = "lDemoStatus", .kind = K::Label, .container = "fStatus", .page = 1, .text = "Demo status:", .rect = {150, 1400, 930, 195}},
    {.name = "lCDemo", .kind = K::Label, .container = "fStatus", .page = 1, .rect = {1370, 1400, 5390, 195}, .font = F::Bold},
    {.name = "cAutoRefresh", .kind = K::CheckBox, .container = "fStatus", .page = 1, .text = "Automatically refresh every 30 seconds", .rect = {150, 1750, 3055, 200}},
    {.name = "pbStatus", .kind = K::Panel, .container = "fStatus", .page = 1, .rect = {5620, 1660, 1200, 440}},
    {.name = "cRefresh", .kind = K::Button, .container = "pbStatus", .page = 1, .text = "Refresh", .rect = {50, 50, 1100, 300}},

    {.name = "fAccRec", .kind = K::Frame, .container = "Tabek", .page = 1, .text = "Accurate recording", .rect = {75, 3815, 3425, 1095}},
    {.name = "lAccRec", .kind = K::Label, .container = "fAccRec", .page = 1, .text = "Takes delay into account when recording", .rect = {150, 345, 2940, 195}},
    {.name = "pbAccRec", .kind = K::Panel, .container = "fAccRec", .page = 1, .rect = {110, 610, 3220, 440}},
    {.name = "cRecord", .kind = K::Button, .container = "pbAccRec", .page = 1, .text = "Record", .rect = {50, 50, 1100, 300}},
    {.name = "cStop", .kind = K::Button, .container = "pbAccRec", .page = 1, .text = "Stop", .rect = {2070, 50, 1100, 300}},

    {.name = "fImmRec", .kind = K::Frame, .container = "Tabek", .page = 1, .text = "Immediate recording", .rect = {3565, 3815, 3425, 1095}},
    {.name = "lImmRec", .kind = K::Label, .container = "fImmRec", .page = 1, .text = "Starts recording the demo immediately", .rect = {150, 345, 2670, 195}},
    {.name = "pbImmRec", .kind = K::Panel, .container = "fImmRec", .page = 1, .rect = {110, 610, 3220, 440}},
    {.name = "cRecNow", .kind = K::Button, .container = "pbImmRec", .page = 1, .text = "Record now", .rect = {50, 50, 1100, 300}},
    {.name = "cStopNow", .kind = K::Button, .container = "pbImmRec", .page = 1, .text = "Stop now", .rect = {2070, 50, 1100, 300}},

    // Page 2, "Misc  ".
    {.name = "fQuickLinks", .kind = K::Frame, .container = "Tabek", .page = 2, .text = "Quick links", .rect = {75, 475, 6910, 1445}},
    {.name = "lIRCLinks", .index = 0, .kind = K::Label, .container = "fQuickLinks", .page = 2, .text = "IRC channel #fw", .rect = {150, 350, 1200, 195}, .font = F::Underlined},
    {.name = "lIRCLinks", .index = 1, .kind = K::Label, .container = "fQuickLinks", .page = 2, .text = "IRC channel #pcw", .rect = {150, 700, 1335, 195}, .font = F::Underlined},
    {.name = "lIRCLinks", .index = 2, .kind = K::Label, .container = "fQuickLinks", .page = 2, .text = "IRC channel #esl.match", .rect = {150, 1050, 1710, 195}, .font = F::Underlined},
    {.name = "lIRCLinks", .index = 3, .kind = K::Label, .container = "fQuickLinks", .page = 2, .text = "IRC channel #5on5", .rect = {2453, 350, 1395, 195}, .font = F::Underlined},
    {.name = "lIRCLinks", .index = 4, .kind = K::Label, .container = "fQuickLinks", .page = 2, .text = "IRC channel #4on4", .rect = {2453, 700, 1395, 195}, .font = F::Underlined},
    {.name = "lIRCLinks", .index = 5, .kind = K::Label, .container = "fQuickLinks", .page = 2, .text = "IRC channel #3on3", .rect = {2453, 1050, 1395, 195}, .font = F::Underlined},
    {.name = "lWWWLink", .index = 0, .kind = K::Label, .container = "fQuickLinks", .page = 2, .text = "Zovan homepage", .rect = {4755, 345, 1335, 195}, .font = F::Underlined},
    {.name = "lWWWLink", .index = 1, .kind = K::Label, .container = "fQuickLinks", .page = 2, .text = "Brasswing", .rect = {4755, 705, 1335, 195}, .font = F::Underlined},
    {.name = "lIRCLinks", .index = 6, .kind = K::Label, .container = "fQuickLinks", .page = 2, .text = "IRC channel #hltv", .rect = {4755, 1050, 1290, 195}, .font = F::Underlined},

    {.name = "fUpdate", .kind = K::Frame, .container = "Tabek", .page = 2, .text = "Update check", .rect = {75, 1970, 6910, 1095}},
    {.name = "lUpdate", .kind = K::Label, .container = "fUpdate", .page = 2, .text = "Click to manually check for Spectrel updates", .rect = {150, 345, 3345, 195}},
    {.name = "lNoteUpdate", .kind = K::Label, .container = "fUpdate", .page = 2, .text = "NOTE: Spectrel automatically checks for updates on startup but you can do it yourself here", .rect = {150, 705, 6615, 195}},
    {.name = "pbUpdate", .kind = K::Panel, .container = "fUpdate", .page = 2, .rect = {5620, 250, 1200, 440}},
    {.name = "coUpdate", .kind = K::Button, .container = "pbUpdate", .page = 2, .text = "Update", .rect = {50, 50, 1100, 300}},

    {.name = "fReset", .kind = K::Frame, .container = "Tabek", .page = 2, .text = "Resetting to defaults", .rect = {75, 3110, 6910, 1095}},
    {.name = "lReset", .kind = K::Label, .container = "fReset", .page = 2, .text = "Click to delete all registry entries used by Spectrel", .rect = {150, 345, 3675, 195}},
    {.name = "lNoteReset1", .kind = K::Label, .container = "fReset", .page = 2, .text = "NOTE: You can delete registry entries if you wish to reset all settings to their default values", .rect = {150, 705, 6360, 195}},
    {.name = "Picture1", .kind = K::Panel, .container = "fReset", .page = 2, .rect = {5620, 250, 1200, 440}},
    {.name = "coDelete", .kind = K::Button, .container = "Picture1", .page = 2, .text = "Delete", .rect = {50, 50, 1100, 300}},
};
// clang-format on

} // namespace

std::span<const ControlRow> windowLayout()
{
    return kControls;
}

const ControlRow* findControl(std::string_view name, int index)
{
    for (const ControlRow& row : kControls) {
        if (row.name == name && row.index == index)
            return &row;
    }
    return nullptr;
}

QString controlObjectName(const ControlRow& row)
{
    QString name = QString::fromLatin1(row.name.data(), qsizetype(row.name.size()));
    if (row.index >= 0)
        name += u'_' + QString::number(row.index);
    return name;
}

} // namespace spectrel
