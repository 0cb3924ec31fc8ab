#pragma once
// Every skinned window of the configurator: its dialog template, its image set, its
// size and its controls in creation order. The window builder places controls from
// these tables and the artwork generator draws each control's states at the same
// rectangles, so a control and its picture cannot disagree. Layout strings are kept
// exactly as the product has always stored them (typos included); captions are the
// Windows-1252 texts that the artwork prints for a control.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "configurator/configurator_resources.h"

namespace karvo::skin {

enum class ControlKind : std::uint8_t {
  Tab,           // page tab of the main window; Value: the template of its page
  Push,          // push button
  Slot,          // profile slot button
  Mode,          // button-mode switch; Value: the template of its button page
  Radio,         // one of Group; Value: its index in the group
  Check,         // toggle-mode box
  ColourRadio,   // notice colour; Value: the colour index
  NameLabel,     // ProfileNameLabel
  Edit,          // ColorEdit
  DigitsEdit,    // ColorEdit with the number style
  PasswordEdit,  // ColorEdit with the password style
  KeyNameEdit,   // ColorEdit the program fills with a key's name: centred, takes no typing
  Slider,        // SkinSlider
  EditableList,  // EditableList
  PageRect,      // where a child page sits; Value: 0 right-hand pages, 1 left-hand pages
  ChildPos,      // where an embedded panel sits
  BitmapButton,  // ImageButton from four bitmap resources, Bitmaps the first
  TextButton,    // push button whose caption the program draws in black
  ButtonLabel,   // button-page label; the program draws the function's name in black
  Picture,       // hidden picture window; Value: its "BINARY" image
};

// Marks the art draws instead of (or besides) a caption.
enum class Glyph : std::uint8_t { None, Close, Minimise, Record, DropDown, Browse };

// Where the art prints a caption; Auto: inside buttons, right of boxes, above sliders
// and lists, left of edit fields.
enum class CaptionPlace : std::uint8_t { Auto, Inside, Right, Left, Above };

struct SliderSpec {
  std::int32_t ThumbBitmap;
  std::int32_t Min;
  std::int32_t Max;
};

struct ControlSpec {
  std::string_view Layout;  // "name,left,top,width,height,tooltip"
  ControlKind Kind;
  std::int32_t Id = 0;  // control id (a slider's id is the lParam of 1094); 0: builder's choice
  std::int32_t NotifyId = 0;  // lParam of an edit's notifications or a button's hover id
  std::int32_t Limit = 0;     // characters an edit takes; 0 for no limit of its own
  std::int32_t Group = 0;     // radio group within the window
  std::int32_t Value = 0;     // see ControlKind
  SliderSpec Slider{};
  // First of four bitmaps (normal, hover, selected, disabled): a bitmap button's look,
  // or a push button's second look (the record button while recording).
  std::int32_t Bitmaps = 0;
  std::string_view Caption{};     // what the art prints for the control
  std::string_view AltCaption{};  // the second look's caption
  Glyph Mark = Glyph::None;
  CaptionPlace Place = CaptionPlace::Auto;
};

enum class WindowId : std::uint8_t {
  Main,
  ProfileDialog,
  SensitivityPage,
  SystemPage,
  AdvancedPage,
  ButtonPageMode1,
  ButtonPageMode2,
  ShortcutDialog,
  MacroManager,
  MacroEditor,
  ProgramDialog,
  DeleteMacroDialog,
  NoMacroNotice,
  OsdPage,
  ConfirmDialog,
};

// Irregular: the main window's angular outline; Rounded: dialogs; Rectangular: pages
// and panels, whose region image has no white pixel.
enum class WindowShape : std::uint8_t { Irregular, Rounded, Rectangular };

struct ImageSet {
  std::int32_t Disabled;
  std::int32_t Selected;
  std::int32_t Region;
  std::int32_t Normal;  // also the painted background
  std::int32_t Hover;
};

struct WindowSpec {
  WindowId Id;
  std::string_view Name;  // names the window's art files
  std::int32_t Template;
  ImageSet Images;
  std::int32_t Width;
  std::int32_t Height;
  WindowShape Shape;
  std::span<const ControlSpec> Controls;
  std::string_view Title;  // what the art prints as the window's title; may be empty
};

constexpr ImageSet ImageSetFrom(std::int32_t base) {
  return {base, base + 1, base + 2, base + 3, base + 4};
}

inline constexpr std::string_view kExitLayout =
    "Exit,383,22,22,22,Close the application without saving the changes to the devices";
inline constexpr std::string_view kSmallExitLayout =
    "Exit,338,18,22,22,Close the application without saving the changes to the devices";

// The tables are kept one control to a line or two, as a table reads best.
// clang-format off

// Captions the art repeats.
inline constexpr std::string_view kCaptionOk = "OK";
inline constexpr std::string_view kCaptionCancel = "Abbrechen";

inline constexpr ControlSpec kMainWindowControls[] = {
    {.Layout = "Sensitivity,422,84,106,29,Sensitivity setting for the selected device",
     .Kind = ControlKind::Tab, .Value = IDD_SENSITIVITY_PAGE, .Caption = "Empfindlichkeit"},
    {.Layout = "Advanced,532,84,106,29,Advanced setting for the lastest driver update",
     .Kind = ControlKind::Tab, .Value = IDD_ADVANCED_PAGE, .Caption = "Erweitert"},
    {.Layout = "System,638,84,106,29,System setting for the selected device",
     .Kind = ControlKind::Tab, .Value = IDD_SYSTEM_PAGE, .Caption = "System"},
    {.Layout = "OSD,747,84,106,29,OSD setting for the selected device", .Kind = ControlKind::Tab,
     .Value = IDD_OSD_PAGE, .Caption = "OSD"},
    {.Layout = "Create,12,457,98,9,Create a new profile for the selected profile slot",
     .Kind = ControlKind::Push, .Caption = "ERSTELLEN"},
    {.Layout = "Load,113,457,76,9,Load an existing profile for the selected profile slot",
     .Kind = ControlKind::Push, .Caption = "LADEN"},
    {.Layout = "Save,193,458,104,9,Save the current settings of the selected profile slot",
     .Kind = ControlKind::Push, .Caption = "SPEICHERN"},
    {.Layout = "Edit,301,459,109,9,Edit an existing profile of the selected profile slot",
     .Kind = ControlKind::Push, .Caption = "BEARBEITEN"},
    {.Layout = "Profile 1,10,479,80,23,Click here to activate profile slot 1",
     .Kind = ControlKind::Slot, .Id = 2001, .Value = 0, .Caption = "Profil 1"},
    {.Layout = "Profile 2,91,479,80,23,Click here to activate profile slot 2",
     .Kind = ControlKind::Slot, .Id = 2002, .Value = 1, .Caption = "Profil 2"},
    {.Layout = "Profile 3,172,479,80,23,Click here to activate profile slot 3",
     .Kind = ControlKind::Slot, .Id = 2003, .Value = 2, .Caption = "Profil 3"},
    {.Layout = "Profile 4,253,479,80,23,Click here to activate profile slot 4",
     .Kind = ControlKind::Slot, .Id = 2004, .Value = 3, .Caption = "Profil 4"},
    {.Layout = "Profile 5,334,479,80,23,Click here to activate profile slot 5",
     .Kind = ControlKind::Slot, .Id = 2005, .Value = 4, .Caption = "Profil 5"},
    {.Layout = "Profile 1 name,11, 504,79,21,Profile assigned to profile slot #1,",
     .Kind = ControlKind::NameLabel, .Value = 0},
    {.Layout = "Profile 2 name,92, 504,79,21,Profile assigned to profile slot #2,",
     .Kind = ControlKind::NameLabel, .Value = 1},
    {.Layout = "Profile 3 name,173,504,79,21,Profile assigned to profile slot #3,",
     .Kind = ControlKind::NameLabel, .Value = 2},
    {.Layout = "Profile 4 name,254,504,79,21,Profile assigned to profile slot #4,",
     .Kind = ControlKind::NameLabel, .Value = 3},
    {.Layout = "Profile 5 name,335,504,79,21,Profile assigned to profile slot #5,",
     .Kind = ControlKind::NameLabel, .Value = 4},
    {.Layout = "Mode1,244,415,78,25,", .Kind = ControlKind::Mode, .Value = IDD_BUTTON_PAGE_MODE1,
     .Caption = "Modus 1"},
    {.Layout = "Mode2,322,415,78,25,", .Kind = ControlKind::Mode, .Value = IDD_BUTTON_PAGE_MODE2,
     .Caption = "Modus 2"},
    {.Layout = "Min,796,16,22,22,Minimize the application", .Kind = ControlKind::Push,
     .Mark = Glyph::Minimise},
    {.Layout = "Exit,828,16,22,22,Close the application without saving the changes to the devices",
     .Kind = ControlKind::Push, .Mark = Glyph::Close},
    {.Layout = "Apply,343,555,59,19,Save the settings into the devices and close the application",
     .Kind = ControlKind::Push, .Caption = "\xDC" "bernehmen"},
    {.Layout = "OK,191,555,59,19,Apply the settings into the devices", .Kind = ControlKind::Push,
     .Caption = kCaptionOk},
    {.Layout = "Cancel,267,555,59,19,Close the application without saving the changes to the "
               "devices",
     .Kind = ControlKind::Push, .Caption = kCaptionCancel},
    {.Layout = "Macro Manager,105,419,121,29,Check for the lastest driver update",
     .Kind = ControlKind::Push, .Caption = "Makro-Manager"},
    {.Layout = "Page position,422,119,430,440,", .Kind = ControlKind::PageRect, .Value = 0},
    {.Layout = "Page position,35,120,405,390,", .Kind = ControlKind::PageRect, .Value = 1},
};

inline constexpr ControlSpec kProfileDialogControls[] = {
    {.Layout = "ProfileName,134,133,238,15,", .Kind = ControlKind::Edit, .Id = 4050,
     .NotifyId = 4023, .Limit = 32, .Caption = "Profilname"},
    // The game path field of a profile record holds 499 characters.
    {.Layout = "Gaming path to executeable,37,195,306,15,", .Kind = ControlKind::Edit, .Id = 4060,
     .Limit = 499, .Caption = "Spiel (Programmdatei), das dieses Profil aktiviert",
     .Place = CaptionPlace::Above},
    {.Layout = "browser1,345,194,28,16,", .Kind = ControlKind::BitmapButton,
     .Bitmaps = IDB_BROWSE_NORMAL, .Mark = Glyph::Browse},
    {.Layout = kExitLayout, .Kind = ControlKind::Push, .Mark = Glyph::Close},
    {.Layout = "BUTTON_OK,247,395,59,20,", .Kind = ControlKind::Push, .Caption = kCaptionOk},
    {.Layout = "BUTTON_Cancel,319,395,59,20,", .Kind = ControlKind::Push,
     .Caption = kCaptionCancel},
};

inline constexpr ControlSpec kSensitivityPageControls[] = {
    {.Layout = "XSetting,50,34,330,17,", .Kind = ControlKind::Slider, .Id = 100,
     .Slider = {IDB_THUMB_X, 1, 20}, .Caption = "X-Achse"},
    {.Layout = "YSetting,50,105,330,17,", .Kind = ControlKind::Slider, .Id = 200,
     .Slider = {IDB_THUMB_Y, 1, 20}, .Caption = "Y-Achse"},
    {.Layout = "XY Synch,50,129,12,12,", .Kind = ControlKind::Check,
     .Caption = "X und Y gemeinsam einstellen"},
    {.Layout = "CpiSetting1,68,214,323,10,", .Kind = ControlKind::Slider, .Id = 300,
     .Slider = {IDB_THUMB_CPI, 1, 7}},
    {.Layout = "CpiSetting2,68,301,323,10,", .Kind = ControlKind::Slider, .Id = 301,
     .Slider = {IDB_THUMB_CPI, 1, 7}},
    {.Layout = "CpiSetting3,68,388,323,10,", .Kind = ControlKind::Slider, .Id = 302,
     .Slider = {IDB_THUMB_CPI, 1, 7}},
    {.Layout = "CpiSettingValue1,167,191,30,12,", .Kind = ControlKind::DigitsEdit, .Id = 400,
     .NotifyId = 403, .Limit = 4, .Caption = "Stufe 1"},
    {.Layout = "CpiSettingValue2,167,278,30,12,", .Kind = ControlKind::DigitsEdit, .Id = 401,
     .NotifyId = 404, .Limit = 4, .Caption = "Stufe 2"},
    {.Layout = "CpiSettingValue3,167,364,30,12,", .Kind = ControlKind::DigitsEdit, .Id = 402,
     .NotifyId = 405, .Limit = 4, .Caption = "Stufe 3"},
    {.Layout = "CpiSettingRadio1,35,211,13,13,", .Kind = ControlKind::Radio, .Value = 0},
    {.Layout = "CpiSettingRadio2,35,299,13,13,", .Kind = ControlKind::Radio, .Value = 1},
    {.Layout = "CpiSettingRadio3,35,387,13,13,", .Kind = ControlKind::Radio, .Value = 2},
};

inline constexpr ControlSpec kSystemPageControls[] = {
    {.Layout = "DoubleClickSetting,55,40,332,17,", .Kind = ControlKind::Slider, .Id = 6,
     .Slider = {IDB_THUMB_DOUBLE_CLICK, 1, 11}, .Caption = "Doppelklickgeschwindigkeit"},
    {.Layout = "WindowsPointSpeedSetting,55,125,332,17,", .Kind = ControlKind::Slider, .Id = 5,
     .Slider = {IDB_THUMB_POINTER_SPEED, 1, 11}, .Caption = "Zeigergeschwindigkeit"},
};

inline constexpr ControlSpec kAdvancedPageControls[] = {
    {.Layout = "Polling Rate 125,46,57,13,13,", .Kind = ControlKind::Radio, .Group = 0, .Value = 0,
     .Caption = "125 Hz"},
    {.Layout = "Polling Rate 250,124,57,13,13,", .Kind = ControlKind::Radio, .Group = 0, .Value = 1,
     .Caption = "250 Hz"},
    {.Layout = "Polling Rate 500,201,57,13,13,", .Kind = ControlKind::Radio, .Group = 0, .Value = 2,
     .Caption = "500 Hz"},
    {.Layout = "Polling Rate 1000,278,57,13,13,", .Kind = ControlKind::Radio, .Group = 0,
     .Value = 3, .Caption = "1000 Hz"},
    {.Layout = "Light Effect Switch On,46,131,13,13,", .Kind = ControlKind::Radio, .Group = 1,
     .Value = 0, .Caption = "An"},
    {.Layout = "Light Effect Switch Off,125,131,13,18,", .Kind = ControlKind::Radio, .Group = 1,
     .Value = 1, .Caption = "Aus"},
    {.Layout = "Light Effect Type1,46,213,13,13,", .Kind = ControlKind::Radio, .Group = 2,
     .Value = 0, .Caption = "Typ 1"},
    {.Layout = "Light Effect Type2,196,213,13,13,", .Kind = ControlKind::Radio, .Group = 2,
     .Value = 1, .Caption = "Typ 2"},
    {.Layout = "BUTTON_RESET,240,292,71,20,", .Kind = ControlKind::Push,
     .Caption = "Zur\xFC" "cksetzen"},
    {.Layout = "OnToGo Speed,200,330,66,20,", .Kind = ControlKind::DigitsEdit, .Id = 4020,
     .NotifyId = 4021, .Limit = 3, .Caption = "On-To-Go-Geschwindigkeit"},
};

inline constexpr ControlSpec kOsdPageControls[] = {
    {.Layout = "CPU,43,61,12,12,", .Kind = ControlKind::Check, .Caption = "CPU-Last"},
    {.Layout = "RAM,43,82,12,12,", .Kind = ControlKind::Check, .Caption = "Arbeitsspeicher"},
    {.Layout = "Profile,43,102,12,12,", .Kind = ControlKind::Check, .Caption = "Profil"},
    {.Layout = "Macro,43,122,12,12,", .Kind = ControlKind::Check, .Caption = "Makro"},
    {.Layout = "Email,43,141,12,12,", .Kind = ControlKind::Check, .Caption = "E-Mail"},
    {.Layout = "Skype,43,161,12,12,", .Kind = ControlKind::Check, .Caption = "Skype"},
    {.Layout = "CPI,43,183,12,12,", .Kind = ControlKind::Check, .Caption = "CPI"},
    {.Layout = "red,188,58,13,13,", .Kind = ControlKind::ColourRadio, .Value = 0, .Caption = "Rot"},
    {.Layout = "orange,188,83,13,13,", .Kind = ControlKind::ColourRadio, .Value = 1,
     .Caption = "Orange"},
    {.Layout = "yellow,188,107,13,13,", .Kind = ControlKind::ColourRadio, .Value = 2,
     .Caption = "Gelb"},
    {.Layout = "green,188,132,13,13,", .Kind = ControlKind::ColourRadio, .Value = 3,
     .Caption = "Gr\xFCn"},
    {.Layout = "blue,188,156,13,13,", .Kind = ControlKind::ColourRadio, .Value = 4,
     .Caption = "Blau"},
    {.Layout = "cyan,188,181,13,13,", .Kind = ControlKind::ColourRadio, .Value = 5,
     .Caption = "Cyan"},
    {.Layout = "purple,188,205,13,13,", .Kind = ControlKind::ColourRadio, .Value = 6,
     .Caption = "Lila"},
    {.Layout = "Transparency,315,58,70,14,", .Kind = ControlKind::TextButton,
     .Mark = Glyph::DropDown},
    {.Layout = "Email Server,161,274,172,17,", .Kind = ControlKind::Edit, .Id = 4010,
     .NotifyId = 4015, .Limit = 60, .Caption = "E-Mail-Server"},
    {.Layout = "Port Numer,161,299,172,17,", .Kind = ControlKind::DigitsEdit, .Id = 4011,
     .NotifyId = 4016, .Limit = 4, .Caption = "Port"},
    {.Layout = "User Name,161,324,172,17,", .Kind = ControlKind::Edit, .Id = 4012, .NotifyId = 4017,
     .Limit = 50, .Caption = "Benutzername"},
    // The record's password field holds 99 characters and its terminator.
    {.Layout = "Password,161,348,172,17,", .Kind = ControlKind::PasswordEdit, .Id = 4013,
     .NotifyId = 4018, .Limit = 99, .Caption = "Passwort"},
    {.Layout = "Check Interval,161,373,116,17,", .Kind = ControlKind::DigitsEdit, .Id = 4014,
     .NotifyId = 4019, .Limit = 4, .Caption = "Abrufintervall"},
};

// Joins control lists that windows share with lists of their own.
template <std::size_t A, std::size_t B>
constexpr std::array<ControlSpec, A + B> JoinControls(const std::array<ControlSpec, A>& a,
                                                      const std::array<ControlSpec, B>& b) {
  std::array<ControlSpec, A + B> joined{};
  for (std::size_t i = 0; i < A; ++i) joined[i] = a[i];
  for (std::size_t i = 0; i < B; ++i) joined[A + i] = b[i];
  return joined;
}

// The seven labels of a button page; the hover id of each is its control id.
inline constexpr std::array<ControlSpec, 7> kButtonLabels{{
    {.Layout = "Button 1,210,92,151,16,Set a function for each of the mouse buttons,",
     .Kind = ControlKind::ButtonLabel, .Id = 100, .NotifyId = 100, .Value = 0},
    {.Layout = "Button 2,210,115,151,16,Set a function for each of the mouse buttons,",
     .Kind = ControlKind::ButtonLabel, .Id = 101, .NotifyId = 101, .Value = 1},
    {.Layout = "Button 3,210,141,151,16,Set a function for each of the mouse buttons,",
     .Kind = ControlKind::ButtonLabel, .Id = 102, .NotifyId = 102, .Value = 2},
    {.Layout = "Button 4,210,166,151,16,Set a function for each of the mouse buttons,",
     .Kind = ControlKind::ButtonLabel, .Id = 103, .NotifyId = 103, .Value = 3},
    {.Layout = "Button 5,210,189,151,16,Set a function for each of the mouse buttons,",
     .Kind = ControlKind::ButtonLabel, .Id = 104, .NotifyId = 104, .Value = 4},
    {.Layout = "Button 6,210,214,151,16,Set a function for each of the mouse buttons,",
     .Kind = ControlKind::ButtonLabel, .Id = 105, .NotifyId = 105, .Value = 5},
    {.Layout = "Button 7,210,239,151,16,Set a function for each of the mouse buttons,",
     .Kind = ControlKind::ButtonLabel, .Id = 106, .NotifyId = 106, .Value = 6},
}};

inline constexpr std::string_view kRightHandedCaption = "Rechtsh\xE4nder";
inline constexpr std::string_view kLeftHandedCaption = "Linksh\xE4nder";

inline constexpr std::array<ControlSpec, 9> kButtonPageMode1Own{{
    {.Layout = "Right Handed Type,213,1,13,13,", .Kind = ControlKind::Radio, .Value = 0,
     .Caption = kRightHandedCaption},
    {.Layout = "Leftt Handed Type,213,20,13,13,", .Kind = ControlKind::Radio, .Value = 1,
     .Caption = kLeftHandedCaption},
    {.Layout = "Button 1 picture,0,0,210,270,", .Kind = ControlKind::Picture,
     .Value = IDR_MODE1_BUTTON1_PICTURE},
    {.Layout = "Button 2 picture,0,0,210,270,", .Kind = ControlKind::Picture,
     .Value = IDR_MODE1_BUTTON2_PICTURE},
    {.Layout = "Button 3 picture,0,0,210,270,", .Kind = ControlKind::Picture,
     .Value = IDR_MODE1_BUTTON3_PICTURE},
    {.Layout = "Button 4 picture,0,0,210,270,", .Kind = ControlKind::Picture,
     .Value = IDR_MODE1_BUTTON4_PICTURE},
    {.Layout = "Button 5 picture,0,0,210,270,", .Kind = ControlKind::Picture,
     .Value = IDR_MODE1_BUTTON5_PICTURE},
    {.Layout = "Button 6 picture,0,0,210,270,", .Kind = ControlKind::Picture,
     .Value = IDR_MODE1_BUTTON6_PICTURE},
    {.Layout = "Button 7 picture,0,0,210,270,", .Kind = ControlKind::Picture,
     .Value = IDR_MODE1_BUTTON7_PICTURE},
}};
inline constexpr auto kButtonPageMode1Controls = JoinControls(kButtonLabels, kButtonPageMode1Own);

inline constexpr std::array<ControlSpec, 9> kButtonPageMode2Own{{
    {.Layout = "Right Hande Type,213,1,13,13,", .Kind = ControlKind::Radio, .Value = 0,
     .Caption = kRightHandedCaption},
    {.Layout = "Leftt Hande Type,213,20,13,13,", .Kind = ControlKind::Radio, .Value = 1,
     .Caption = kLeftHandedCaption},
    {.Layout = "Button 1 picture,0,0,210,270,", .Kind = ControlKind::Picture,
     .Value = IDR_MODE2_BUTTON1_PICTURE},
    {.Layout = "Button 2 picture,0,0,210,270,", .Kind = ControlKind::Picture,
     .Value = IDR_MODE2_BUTTON2_PICTURE},
    {.Layout = "Button 3 picture,0,0,210,270,", .Kind = ControlKind::Picture,
     .Value = IDR_MODE2_BUTTON3_PICTURE},
    {.Layout = "Button 4 picture,0,0,210,270,", .Kind = ControlKind::Picture,
     .Value = IDR_MODE2_BUTTON4_PICTURE},
    {.Layout = "Button 5 picture,0,0,210,270,", .Kind = ControlKind::Picture,
     .Value = IDR_MODE2_BUTTON5_PICTURE},
    {.Layout = "Button 6 picture,0,0,210,270,", .Kind = ControlKind::Picture,
     .Value = IDR_MODE2_BUTTON6_PICTURE},
    {.Layout = "Button 7 picture,0,0,210,270,", .Kind = ControlKind::Picture,
     .Value = IDR_MODE2_BUTTON7_PICTURE},
}};
inline constexpr auto kButtonPageMode2Controls = JoinControls(kButtonLabels, kButtonPageMode2Own);

inline constexpr ControlSpec kShortcutDialogControls[] = {
    {.Layout = "EDIT_Single_Key,255,75,30,14,", .Kind = ControlKind::KeyNameEdit, .Id = 4010,
     .Caption = "Taste", .Place = CaptionPlace::Above},
    {.Layout = "BUTTON_OK,218,130,59,20,", .Kind = ControlKind::Push, .Caption = kCaptionOk},
    {.Layout = "BUTTON_CANCEL,290,130,59,20,", .Kind = ControlKind::Push,
     .Caption = kCaptionCancel},
    {.Layout = kSmallExitLayout, .Kind = ControlKind::Push, .Mark = Glyph::Close},
    {.Layout = "None,11,76,12,12,", .Kind = ControlKind::Check, .Caption = "Keine"},
    {.Layout = "Shift,63,76,12,12,", .Kind = ControlKind::Check, .Caption = "Shift"},
    {.Layout = "Ctrl,114,76,12,12,", .Kind = ControlKind::Check, .Caption = "Strg"},
    {.Layout = "Alt,158,76,12,12,", .Kind = ControlKind::Check, .Caption = "Alt"},
    {.Layout = "Win,197,76,12,12,", .Kind = ControlKind::Check, .Caption = "Win"},
};

inline constexpr ControlSpec kMacroManagerControls[] = {
    {.Layout = kExitLayout, .Kind = ControlKind::Push, .Mark = Glyph::Close},
    {.Layout = "BUTTON_OK,247,395,59,20,", .Kind = ControlKind::Push, .Caption = kCaptionOk},
    {.Layout = "BUTTON_Cancel,319,395,59,20,", .Kind = ControlKind::Push,
     .Caption = kCaptionCancel},
    {.Layout = "BUTTON_New,44,378,59,20,", .Kind = ControlKind::Push, .Caption = "Neu"},
    {.Layout = "BUTTON_Delete,116,378,59,20,", .Kind = ControlKind::Push, .Caption = "L\xF6schen"},
    {.Layout = "Macro_List_MacroName,41,77,105,273,", .Kind = ControlKind::EditableList, .Id = 4096,
     .Limit = 24, .Caption = "Makros"},
    {.Layout = "CHILD_POS,153,67,235,295,", .Kind = ControlKind::ChildPos},
};

inline constexpr ControlSpec kMacroEditorControls[] = {
    {.Layout = "BUTTON_Start_Record,135,30,88,18,", .Kind = ControlKind::Push,
     .Bitmaps = IDB_RECORDING_NORMAL, .Caption = "Aufnahme", .AltCaption = "Stopp",
     .Mark = Glyph::Record},
    {.Layout = "Record_Delay_ON_OFF,131,60,12,12,", .Kind = ControlKind::Check,
     .Caption = "Pausen"},
    {.Layout = "Loop_times_ON_OFF,133,251,12,12,", .Kind = ControlKind::Check,
     .Caption = "Wiederholen"},
    {.Layout = "EDIT_loop_Times,150,266,55,13,", .Kind = ControlKind::Edit, .Id = 5000,
     .NotifyId = 5000, .Limit = 3, .Caption = "mal", .Place = CaptionPlace::Right},
    {.Layout = "Action_List_key_sequence,6,24,105,260,", .Kind = ControlKind::EditableList,
     .Limit = 20, .Caption = "Ereignisse"},
};

// The three buttons of the small image-only dialogs.
inline constexpr std::array<ControlSpec, 3> kSmallDialogControls{{
    {.Layout = "BUTTON_OK,218,130,59,20,", .Kind = ControlKind::Push, .Caption = kCaptionOk},
    {.Layout = "BUTTON_CANCEL,290,130,59,20,", .Kind = ControlKind::Push,
     .Caption = kCaptionCancel},
    {.Layout = kSmallExitLayout, .Kind = ControlKind::Push, .Mark = Glyph::Close},
}};

inline constexpr std::array<ControlSpec, 2> kProgramDialogOwn{{
    // A program path field holds 259 characters and its terminator.
    {.Layout = "Gaming path to executeable,44,63,256,15,", .Kind = ControlKind::Edit, .Id = 4010,
     .Limit = 259},
    {.Layout = "browser1,302,62,28,16,", .Kind = ControlKind::BitmapButton,
     .Bitmaps = IDB_BROWSE_NORMAL, .Mark = Glyph::Browse},
}};
inline constexpr auto kProgramDialogControls =
    JoinControls(kSmallDialogControls, kProgramDialogOwn);

inline constexpr WindowSpec kWindows[] = {
    {WindowId::Main, "main", IDD_MAIN_WINDOW, ImageSetFrom(IDR_MAIN_DISABLED), 858, 600,
     WindowShape::Irregular, kMainWindowControls, "Gaming Mouse Option"},
    {WindowId::ProfileDialog, "profile_dialog", IDD_PROFILE_DIALOG,
     ImageSetFrom(IDR_PROFILE_DIALOG_DISABLED), 416, 427, WindowShape::Rounded,
     kProfileDialogControls, "Profil"},
    {WindowId::SensitivityPage, "sensitivity_page", IDD_SENSITIVITY_PAGE,
     ImageSetFrom(IDR_SENSITIVITY_PAGE_DISABLED), 430, 440, WindowShape::Rectangular,
     kSensitivityPageControls, ""},
    {WindowId::SystemPage, "system_page", IDD_SYSTEM_PAGE, ImageSetFrom(IDR_SYSTEM_PAGE_DISABLED),
     430, 440, WindowShape::Rectangular, kSystemPageControls, ""},
    {WindowId::AdvancedPage, "advanced_page", IDD_ADVANCED_PAGE,
     ImageSetFrom(IDR_ADVANCED_PAGE_DISABLED), 430, 440, WindowShape::Rectangular,
     kAdvancedPageControls, ""},
    {WindowId::ButtonPageMode1, "button_page_mode1", IDD_BUTTON_PAGE_MODE1,
     {IDR_BUTTON_PAGE_MODE1_DISABLED, IDR_BUTTON_PAGE_MODE1_SELECTED, IDR_BUTTON_PAGE_REGION,
      IDR_BUTTON_PAGE_MODE1_NORMAL, IDR_BUTTON_PAGE_MODE1_HOVER},
     370, 270, WindowShape::Rectangular, kButtonPageMode1Controls, "Modus 1"},
    {WindowId::ButtonPageMode2, "button_page_mode2", IDD_BUTTON_PAGE_MODE2,
     {IDR_BUTTON_PAGE_MODE2_DISABLED, IDR_BUTTON_PAGE_MODE2_SELECTED, IDR_BUTTON_PAGE_REGION,
      IDR_BUTTON_PAGE_MODE2_NORMAL, IDR_BUTTON_PAGE_MODE2_HOVER},
     370, 270, WindowShape::Rectangular, kButtonPageMode2Controls, "Modus 2"},
    {WindowId::ShortcutDialog, "shortcut_dialog", IDD_SHORTCUT_DIALOG,
     ImageSetFrom(IDR_SHORTCUT_DIALOG_DISABLED), 372, 166, WindowShape::Rounded,
     kShortcutDialogControls, "Tastenkombination zuweisen"},
    {WindowId::MacroManager, "macro_manager", IDD_MACRO_MANAGER,
     ImageSetFrom(IDR_MACRO_MANAGER_DISABLED), 416, 427, WindowShape::Rounded,
     kMacroManagerControls, "Makro-Manager"},
    {WindowId::MacroEditor, "macro_editor", IDD_MACRO_EDITOR,
     ImageSetFrom(IDR_MACRO_EDITOR_DISABLED), 235, 295, WindowShape::Rectangular,
     kMacroEditorControls, ""},
    {WindowId::ProgramDialog, "program_dialog", IDD_PROGRAM_DIALOG,
     ImageSetFrom(IDR_PROGRAM_DIALOG_DISABLED), 372, 166, WindowShape::Rounded,
     kProgramDialogControls, "Programm starten"},
    {WindowId::DeleteMacroDialog, "delete_macro_dialog", IDD_DELETE_MACRO_DIALOG,
     ImageSetFrom(IDR_DELETE_MACRO_DIALOG_DISABLED), 372, 166, WindowShape::Rounded,
     kSmallDialogControls, "Makro l\xF6schen"},
    {WindowId::NoMacroNotice, "no_macro_notice", IDD_NO_MACRO_NOTICE,
     ImageSetFrom(IDR_NO_MACRO_NOTICE_DISABLED), 372, 166, WindowShape::Rounded,
     kSmallDialogControls, "Kein Makro ausgew\xE4hlt"},
    {WindowId::OsdPage, "osd_page", IDD_OSD_PAGE, ImageSetFrom(IDR_OSD_PAGE_DISABLED), 430, 440,
     WindowShape::Rectangular, kOsdPageControls, ""},
    {WindowId::ConfirmDialog, "confirm_dialog", IDD_CONFIRM_DIALOG,
     ImageSetFrom(IDR_CONFIRM_DIALOG_DISABLED), 372, 166, WindowShape::Rounded,
     kSmallDialogControls, "Standardeinstellungen"},
};

// clang-format on

constexpr const WindowSpec& FindWindowSpec(WindowId id) {
  for (const WindowSpec& window : kWindows) {
    if (window.Id == id) return window;
  }
  return kWindows[0];
}

// The row of a window's table whose layout string has the name; rows.size() when none has.
// Constant, so a window can pin the rows it handles at compile time.
constexpr std::size_t RowNamed(std::span<const ControlSpec> rows, std::string_view name) {
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].Layout.substr(0, rows[i].Layout.find(',')) == name) return i;
  }
  return rows.size();
}

// Slider thumbs: their bitmaps' sizes, so the art can put tick marks where the thumb
// stops.
struct ThumbSpec {
  std::int32_t Bitmap;
  std::int32_t Width;
  std::int32_t Height;
};
inline constexpr ThumbSpec kThumbs[] = {
    {IDB_THUMB_CPI, 11, 16},
    {IDB_THUMB_X, 13, 21},
    {IDB_THUMB_Y, 13, 21},
    {IDB_THUMB_DOUBLE_CLICK, 13, 21},
    {IDB_THUMB_POINTER_SPEED, 13, 21},
};

constexpr ThumbSpec FindThumb(std::int32_t bitmap) {
  for (const ThumbSpec& thumb : kThumbs) {
    if (thumb.Bitmap == bitmap) return thumb;
  }
  return {bitmap, 0, 0};
}

// Small bitmaps with fixed sizes.
inline constexpr std::int32_t kBrowseWidth = 28;
inline constexpr std::int32_t kBrowseHeight = 16;
inline constexpr std::int32_t kCheckImageSize = 13;
inline constexpr std::int32_t kListIconSize = 12;
inline constexpr std::int32_t kPictureWidth = 210;
inline constexpr std::int32_t kPictureHeight = 270;

}  // namespace karvo::skin
