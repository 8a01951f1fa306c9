#pragma once

#include <QString>

#include <cstdint>
#include <span>
#include <string_view>

// What the main window holds, where, and with which captions and initial values: one row per control. The
// names are the program's vocabulary (settings keys and handler names come from them), so they live here once
// and the widget builder, the window and the tests all read this table.
namespace spectrel {

// Positions and sizes are in twips, 1440 to the inch (15 to a pixel at 96 dots per inch).
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kClientWidthTwips = 7110;
inline constexpr int kClientHeightTwips = 6000;

enum class ControlKind : std::uint8_t {
    TabControl,   // the tab control with its pages
    TabPage,      // one page of the tab control: named after it, index = page number
    Frame,        // captioned group box
    Label,        // static text (the link labels among them are clicked)
    TextField,    // one-line text box
    Button,       // command button
    CheckBox,     // check box with caption
    DropDownList, // pick-only drop-down list
    Panel,        // borderless picture box that holds a frame's buttons
    PictureBox,   // picture box showing an image (the banner)
    ImageArea,    // image control without picture: a clickable area
};

enum class FontStyle : std::uint8_t { Regular, Bold, Underlined };

struct TwipRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct ControlRow {
    std::string_view name = {};
    // Position in the control array the control belongs to (`coPaste`, `lIRCLinks`), -1 for a single control.
    int index = -1;
    ControlKind kind = ControlKind::Label;
    // Name of the frame, panel, picture box or tab control the control sits in; empty for the client area.
    // Controls on a tab page name the tab control as container (and say which page in `page`): their
    // positions are relative to the whole tab control, tab strip included.
    std::string_view container = {};
    // Tab page the control is shown on, -1 outside the tab control.
    int page = -1;
    // Caption, or the initial text of a field or label.
    std::string_view text = {};
    // The entries of a drop-down list.
    std::span<const std::string_view> entries = {};
    TwipRect rect = {};
    FontStyle font = FontStyle::Regular;
    // Most characters a text field takes; 0 for no limit.
    int maxLength = 0;
    // The field shows "*" for every character.
    bool password = false;
    // The check box starts ticked.
    bool ticked = false;
};

// Every control of the window in creation order: containers come before what they hold, pages in order.
std::span<const ControlRow> windowLayout();

// The row of `name` (with `index` for a control array), or nullptr.
const ControlRow* findControl(std::string_view name, int index = -1);

// The object name a control's widget carries: the name, or for an array member name + "_" + index
// ("coPaste_0").
QString controlObjectName(const ControlRow& row);

} // namespace spectrel
