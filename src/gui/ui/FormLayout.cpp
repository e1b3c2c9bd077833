#include "ui/FormLayout.h"

#include "toolkit/Constants.h"

namespace {

using K = ControlSpec::Kind;
using F = ControlSpec::Font;
constexpr auto D = ControlSpec::Default;
constexpr auto MS = FontResolver::Face::MsSansSerif;
constexpr auto AR = FontResolver::Face::Arial;
constexpr F Plain{};
constexpr F Bold825{MS, 8.25, true};
constexpr F Bold975{MS, 9.75, true};
constexpr F Regular975{MS, 9.75, false};
constexpr unsigned Hid = ControlSpec::Hidden, Dis = ControlSpec::Disabled, Bor = ControlSpec::Border,
                   Cen = ControlSpec::Centre;
constexpr std::uint32_t Black = 0x000000, White = 0xFFFFFF;
using Colour::ButtonFace, Colour::Green, Colour::Highlight, Colour::LightYellow;
constexpr std::uint32_t InactiveTitle = Colour::InactiveTitleBar;

constexpr ControlSpec Controls[] = {
    // The window itself, top of the stack first.
    {"frmNevidi", K::Frame, nullptr, "frmNevidise:", 840, 480, 5790, 2430, D, D, Plain, Hid, 5},
    {"frmHelp", K::Frame, nullptr, "Help:", 120, 120, 7920, 3060, Highlight, White, Plain, Hid, 7},
    {"frmSet", K::Frame, nullptr, "Settings:", 120, 120, 7890, 3060, 0x0000C0, White, Bold825, Hid, 10},
    {"frmTemp(1)", K::Frame, nullptr, "PV1:", 105, 630, 7890, 2010, Black, LightYellow, Bold825, Dis, 20},
    {"cmdHelp", K::ColourButton, nullptr, "Hlp", 105, 2880, 540, 330, D, D, Bold975, 0, 3},
    {"cmdSet", K::ColourButton, nullptr, "Set", 105, 105, 540, 360, D, D, Bold975, 0, 1},
    {"lblDevCode", K::Label, nullptr, "???", 735, 2835, 7260, 330, Black, 0x00FFFF, Regular975, Bor | Cen, 9},
    {"lblStatus", K::Label, nullptr, "--", 735, 105, 7275, 360, D, D, {AR, 9.75, false}, Bor | Cen, 0},

    // The control panel.
    {"lblTemp(1)", K::Label, "frmTemp(1)", "-", 105, 315, 2010, 645, Black, 0x0000FF, {AR, 27.75, false}, Bor | Cen, 22},
    {"lblTempName(1)", K::Label, "frmTemp(1)", "Pumpa2:", 105, 1155, 2010, 435, LightYellow, D, Bold825, Cen, 21},
    {"cmd100P", K::ColourButton, "frmTemp(1)", "100%", 2310, 315, 855, 330, D, D, Bold975, 0, 35},
    {"cmd50P", K::ColourButton, "frmTemp(1)", "50%", 2310, 945, 855, 330, D, D, Bold975, 0, 54},
    {"cmd0P", K::ColourButton, "frmTemp(1)", "0%", 2310, 1575, 855, 330, D, D, Bold975, 0, 34},
    {"Frame1", K::Frame, "frmTemp(1)", "Set(0-100%):", 3255, 210, 1275, 1695, Black, Green, Bold825, 0, 36},
    {"cmdF2", K::Frame, "frmTemp(1)", "Set Pwm Freq.(Hz):", 4620, 210, 3165, 1695, Black, Highlight, Bold825, 0, 42},
    {"txtSV01", K::TextBox, "Frame1", "10", 210, 315, 855, 285, D, D, Bold975, Cen, 37},
    {"cmdSV01", K::ColourButton, "Frame1", "Send", 105, 1050, 1065, 435, Green, D, Bold975, 0, 38},
    {"cmdFpwm1", K::ColourButton, "cmdF2", "31372", 210, 315, 855, 330, ButtonFace, D, Bold975, 0, 43},
    {"cmdFpwm2", K::ColourButton, "cmdF2", "3921", 1155, 315, 855, 330, ButtonFace, D, Bold975, 0, 44},
    {"cmdFpwm3", K::ColourButton, "cmdF2", "980", 2100, 315, 855, 330, ButtonFace, D, Bold975, 0, 45},
    {"cmdFpwm4", K::ColourButton, "cmdF2", "490", 210, 735, 855, 330, ButtonFace, D, Bold975, 0, 46},
    {"cmdFpwm5", K::ColourButton, "cmdF2", "245", 1155, 735, 855, 330, ButtonFace, D, Bold975, 0, 47},
    {"cmdFpwm6", K::ColourButton, "cmdF2", "122", 2100, 735, 855, 330, ButtonFace, D, Bold975, 0, 48},
    {"cmdFpwm7", K::ColourButton, "cmdF2", "30.6", 210, 1155, 855, 330, ButtonFace, D, Bold975, 0, 49},

    // The settings panel.
    {"Frame3", K::Frame, "frmSet", "MyLabels:", 105, 840, 7365, 960, D, D, Plain, 0, 17},
    {"Frame2", K::Frame, "frmSet", "COM:    Baud:        ID:           STime:      ucApp:", 105, 210, 7365, 540, D, D, Plain, 0, 11},
    {"cmdExit", K::Button, "frmSet", "SAVE-CLOSE", 5880, 2100, 1590, 435, D, D, Plain, 0, 2},
    // Starts and stops the log of every line; after the port list's button.
    {"cmdLog", K::Button, "frmSet", "Start log...", 105, 2100, 1590, 435, D, D, Plain, 0, 57},
    {"txtSet1(1)", K::TextBox, "Frame2", "-", 105, 210, 540, 240, D, D, Plain, Cen, 12},
    {"txtSet1(2)", K::TextBox, "Frame2", "-", 735, 210, 645, 240, D, D, Plain, Cen, 13},
    {"txtSet1(3)", K::TextBox, "Frame2", "-", 1470, 210, 645, 240, D, D, Plain, Cen, 14},
    {"txtSet1(4)", K::TextBox, "Frame2", "-", 2205, 210, 645, 240, D, D, Plain, Cen | Dis, 15},
    {"txtSet1(5)", K::TextBox, "Frame2", "-", 2940, 210, 2010, 240, D, D, Plain, Dis, 16},
    // Opens the port list for the COM entry; the next tab stop after the rest.
    {"cmdPorts", K::Button, "Frame2", "Choose port...", 5040, 180, 2220, 300, D, D, Plain, 0, 56},
    {"frmTempName(1)", K::Frame, "Frame3", "MyLabel1:", 105, 210, 1590, 645, D, D, Plain, 0, 18},
    {"txtTempName(1)", K::TextBox, "frmTempName(1)", "Text2", 105, 210, 1380, 285, D, D, Plain, 0, 19},

    // The help panel.
    {"cmdCloseHelp", K::ColourButton, "frmHelp", "Close", 6195, 2310, 1275, 360, InactiveTitle, D, Regular975, 0, 4},
    {"Text1", K::HelpBox, "frmHelp", "", 105, 210, 7380, 1905, D, D, Plain, 0, 8},

    // The frame that is never shown: buttons pressed from code, and the
    // elements 2 to 4 of the control arrays.
    {"cmdUPort", K::Button, "frmNevidi", "cmdUPort", 4095, 105, 1170, 540, D, D, Plain, 0, 55},
    {"frmTempName(2)", K::Frame, "frmNevidi", "MyLabel2:", 315, 1365, 1590, 645, D, D, Plain, 0, 52},
    {"cmdPV01", K::ColourButton, "frmNevidi", "PV01?", 1470, 1260, 855, 330, D, D, Bold975, 0, 51},
    {"cmdSV02", K::ColourButton, "frmNevidi", "SV02?", 1680, 1575, 855, 330, D, D, Bold975, 0, 50},
    {"frmTemp(2)", K::Frame, "frmNevidi", "PV2:", 2415, 840, 1905, 2010, Black, LightYellow, Bold825, Dis, 39},
    {"frmTemp(4)", K::Frame, "frmNevidi", "PV2:", 3465, 525, 1905, 2010, Black, LightYellow, Bold825, Dis, 31},
    {"frmTemp(3)", K::Frame, "frmNevidi", "PV2:", 3990, 315, 1905, 2010, Black, LightYellow, Bold825, Dis, 28},
    {"frmTempName(4)", K::Frame, "frmNevidi", "MyLabel4:", 210, 1680, 1590, 645, D, D, Plain, 0, 26},
    {"frmTempName(3)", K::Frame, "frmNevidi", "MyLabel3:", 210, 945, 1590, 645, D, D, Plain, 0, 24},
    {"cmdKasnjenje", K::Button, "frmNevidi", "Kasnjenje", 2625, 210, 1170, 435, D, D, Plain, 0, 23},
    {"cmdInicijalizacija", K::ColourButton, "frmNevidi", "INIT", 1155, 210, 750, 360, D, D, Bold975, 0, 6},
    {"txtTempName(2)", K::TextBox, "frmTempName(2)", "Text2", 105, 210, 1380, 285, D, D, Plain, 0, 53},
    {"txtTempName(3)", K::TextBox, "frmTempName(3)", "Text2", 105, 210, 1380, 285, D, D, Plain, 0, 25},
    {"txtTempName(4)", K::TextBox, "frmTempName(4)", "Text2", 105, 210, 1380, 285, D, D, Plain, 0, 27},
    {"lblTemp(2)", K::Label, "frmTemp(2)", "-", 105, 315, 1695, 645, Black, 0xFFFF00, {AR, 24, false}, Bor | Cen, 41},
    {"lblTempName(2)", K::Label, "frmTemp(2)", "Pumpa2:", 105, 1155, 1695, 225, White, D, Bold825, Cen, 40},
    {"lblTemp(3)", K::Label, "frmTemp(3)", "-", 105, 315, 1695, 645, Black, 0xFFFF00, {AR, 24, false}, Bor | Cen, 30},
    {"lblTempName(3)", K::Label, "frmTemp(3)", "Pumpa2:", 105, 1155, 1695, 225, White, D, Bold825, Cen, 29},
    {"lblTemp(4)", K::Label, "frmTemp(4)", "-", 105, 315, 1695, 645, Black, 0xFFFF00, {AR, 24, false}, Bor | Cen, 33},
    {"lblTempName(4)", K::Label, "frmTemp(4)", "Pumpa2:", 105, 1155, 1695, 225, White, D, Bold825, Cen, 32},
};

} // namespace

std::span<const ControlSpec> FormLayout::controls()
{
    return Controls;
}

const char *FormLayout::helpText()
{
    return "- Set the COM port number\r\n"
           "- Set Baud rate\r\n"
           "- Set Device ID (0-9 A,B,C,D,E,F)\r\n"
           "- Set Sample time (not used)\r\n"
           "- Set ucApp name (not used)\r\n"
           "- Add users labels 1-2\r\n"
           "- More devices can be connected to different ports and copy the exe version  under a different name \r\n"
           "and use the various COM ports.  \r\n";
}
