#pragma once

#include <cstdint>
#include <span>

// What the program expects of a language module's menus, accelerators and
// dialog templates, as msgcatalog.h is for its texts: every template with
// the controls the program drives (by id and kind), every command the menus
// must offer, and the accelerator table. The catalogue test holds each
// module to it.
namespace tsw {

enum class ControlKind : uint8_t {
  kButton,
  kCheckBox,
  kRadioButton,
  kEdit,
  kMultiLineEdit,
  kComboBox,
  kListBox,
  kStatic,
  kGroupBox,
  kScrollBar,
  kListView,
};

struct ControlSignature {
  uint32_t id;
  ControlKind kind;
};

struct TemplateSignature {
  const char *name;
  std::span<const ControlSignature> controls;
};

inline constexpr const char *kFrameMenuName = "TSW_MENU";
inline constexpr const char *kWindowMenuName = "MENU_MDIWIN";
inline constexpr const char *kEditAcceleratorsName = "EDIT_ACC";
// A control of a template carries its id as its object name: "c101".
inline constexpr const char *kControlNamePrefix = "c";

namespace rescatalog {
using K = ControlKind;
inline constexpr uint32_t kOk = 1, kCancel = 2, kHelp = 123;

inline constexpr ControlSignature kAbout[] = {{kOk, K::kButton}};
inline constexpr ControlSignature kTip[] = {{11003, K::kStatic}, {11004, K::kMultiLineEdit}, {11013, K::kCheckBox},
                                            {11012, K::kButton}, {101, K::kButton},          {11030, K::kStatic},
                                            {11001, K::kStatic}, {kOk, K::kButton}};
inline constexpr ControlSignature kFuncIns[] = {{46, K::kButton},     {103, K::kRadioButton}, {104, K::kRadioButton},
                                                {113, K::kEdit},      {105, K::kEdit},        {109, K::kEdit},
                                                {108, K::kEdit},      {106, K::kEdit},        {110, K::kEdit},
                                                {107, K::kScrollBar}, {kOk, K::kButton},      {kCancel, K::kButton}};
inline constexpr ControlSignature kBrowse[] = {
    {101, K::kListBox}, {102, K::kComboBox}, {kOk, K::kButton}, {kCancel, K::kButton}, {kHelp, K::kButton}};
inline constexpr ControlSignature kDispOpt[] = {
    {101, K::kListBox}, {102, K::kListBox}, {kOk, K::kButton}, {kCancel, K::kButton}, {kHelp, K::kButton}};
inline constexpr ControlSignature kEdOpt[] = {{101, K::kEdit},   {102, K::kCheckBox},   {103, K::kCheckBox},
                                              {kOk, K::kButton}, {kCancel, K::kButton}, {kHelp, K::kButton}};
inline constexpr ControlSignature kCcOpt[] = {
    {101, K::kRadioButton}, {102, K::kRadioButton}, {103, K::kRadioButton}, {104, K::kCheckBox},
    {105, K::kCheckBox},    {107, K::kRadioButton}, {108, K::kRadioButton}, {117, K::kCheckBox},
    {119, K::kCheckBox},    {118, K::kCheckBox},    {128, K::kRadioButton}, {125, K::kRadioButton},
    {113, K::kCheckBox},    {114, K::kEdit},        {115, K::kButton},      {130, K::kCheckBox},
    {132, K::kEdit},        {131, K::kButton},      {109, K::kRadioButton}, {110, K::kRadioButton},
    {116, K::kEdit},        {111, K::kEdit},        {106, K::kButton},      {kOk, K::kButton},
    {kCancel, K::kButton},  {kHelp, K::kButton}};
inline constexpr ControlSignature kDefines[] = {
    {101, K::kMultiLineEdit}, {kOk, K::kButton}, {kCancel, K::kButton}, {998, K::kButton}};
inline constexpr ControlSignature kMemMap[] = {
    {109, K::kScrollBar}, {110, K::kScrollBar}, {111, K::kScrollBar},  {112, K::kScrollBar}, {113, K::kScrollBar},
    {104, K::kStatic},    {103, K::kStatic},    {101, K::kStatic},     {107, K::kStatic},    {108, K::kStatic},
    {117, K::kCheckBox},  {kOk, K::kButton},    {kCancel, K::kButton}, {kHelp, K::kButton}};
inline constexpr ControlSignature kRootMap[] = {{105, K::kScrollBar},  {106, K::kScrollBar}, {107, K::kScrollBar},
                                                {108, K::kScrollBar},  {101, K::kStatic},    {102, K::kStatic},
                                                {103, K::kStatic},     {104, K::kStatic},    {kOk, K::kButton},
                                                {kCancel, K::kButton}, {kHelp, K::kButton}};
inline constexpr ControlSignature kRsvOpt[] = {{103, K::kScrollBar}, {104, K::kScrollBar}, {101, K::kStatic},
                                               {102, K::kStatic},    {kOk, K::kButton},    {kCancel, K::kButton},
                                               {kHelp, K::kButton}};
inline constexpr ControlSignature kCommOpt[] = {
    {101, K::kComboBox},    {102, K::kComboBox},    {103, K::kComboBox},    {104, K::kRadioButton},
    {105, K::kRadioButton}, {106, K::kRadioButton}, {109, K::kRadioButton}, {108, K::kRadioButton},
    {110, K::kEdit},        {121, K::kEdit},        {115, K::kEdit},        {126, K::kButton},
    {111, K::kStatic},      {113, K::kStatic},      {114, K::kStatic},      {112, K::kStatic},
    {117, K::kStatic},      {124, K::kStatic},      {107, K::kGroupBox},    {119, K::kGroupBox},
    {125, K::kGroupBox},    {kOk, K::kButton},      {kCancel, K::kButton},  {kHelp, K::kButton}};
inline constexpr ControlSignature kDiscovery[] = {{101, K::kListView}, {102, K::kButton}, {kCancel, K::kButton}};
inline constexpr ControlSignature kDbgOpt[] = {{101, K::kEdit},     {102, K::kCheckBox}, {103, K::kCheckBox},
                                               {104, K::kCheckBox}, {kOk, K::kButton},   {kCancel, K::kButton},
                                               {kHelp, K::kButton}};
inline constexpr ControlSignature kInfo[] = {
    {101, K::kStatic}, {102, K::kStatic}, {103, K::kStatic}, {104, K::kStatic}, {105, K::kStatic}, {106, K::kStatic},
    {107, K::kStatic}, {108, K::kStatic}, {109, K::kStatic}, {110, K::kStatic}, {111, K::kStatic}, {112, K::kStatic},
    {113, K::kStatic}, {114, K::kStatic}, {115, K::kStatic}, {125, K::kStatic}, {126, K::kStatic}, {128, K::kStatic},
    {129, K::kStatic}, {130, K::kStatic}, {134, K::kStatic}, {135, K::kStatic}, {kOk, K::kButton}};
inline constexpr ControlSignature kTcpPass[] = {
    {103, K::kEdit}, {101, K::kCheckBox}, {kOk, K::kButton}, {kCancel, K::kButton}};
inline constexpr ControlSignature kDump[] = {
    {108, K::kRadioButton}, {109, K::kRadioButton}, {111, K::kRadioButton}, {103, K::kCheckBox}, {112, K::kButton},
    {102, K::kComboBox},    {104, K::kComboBox},    {105, K::kEdit},        {113, K::kStatic},   {114, K::kStatic},
    {115, K::kStatic},      {kOk, K::kButton},      {kCancel, K::kButton},  {kHelp, K::kButton}};
inline constexpr ControlSignature kDasm[] = {{101, K::kComboBox}, {kOk, K::kButton}, {kCancel, K::kButton}};
// The register dialog makes its static text and edit control itself.
inline constexpr ControlSignature kChangeReg[] = {{kOk, K::kButton}, {kCancel, K::kButton}};
inline constexpr ControlSignature kWatchExpr[] = {{101, K::kComboBox}, {102, K::kListBox}, {103, K::kButton},
                                                  {104, K::kButton},   {kOk, K::kButton},  {kCancel, K::kButton},
                                                  {kHelp, K::kButton}};
inline constexpr ControlSignature kFind[] = {{101, K::kComboBox}, {102, K::kCheckBox}, {104, K::kCheckBox},
                                             {105, K::kCheckBox}, {kOk, K::kButton},   {kCancel, K::kButton},
                                             {kHelp, K::kButton}};
inline constexpr ControlSignature kReplace[] = {{101, K::kComboBox},   {102, K::kComboBox}, {103, K::kCheckBox},
                                                {105, K::kCheckBox},   {106, K::kCheckBox}, {108, K::kCheckBox},
                                                {109, K::kCheckBox},   {107, K::kButton},   {kOk, K::kButton},
                                                {kCancel, K::kButton}, {kHelp, K::kButton}};
inline constexpr ControlSignature kGoto[] = {{101, K::kEdit}, {kOk, K::kButton}, {kCancel, K::kButton}};
} // namespace rescatalog

inline constexpr TemplateSignature kTemplateSignatures[] = {
    {"DIALOG_ABOUT", rescatalog::kAbout},         {"DIALOG_TIP", rescatalog::kTip},
    {"DIALOG_FNCINS", rescatalog::kFuncIns},      {"DIALOG_BROWSE", rescatalog::kBrowse},
    {"DIALOG_DISPOPT", rescatalog::kDispOpt},     {"DIALOG_EDOPT", rescatalog::kEdOpt},
    {"DIALOG_CCOPT", rescatalog::kCcOpt},         {"DIALOG_DEFINES", rescatalog::kDefines},
    {"DIALOG_MEMMAP", rescatalog::kMemMap},       {"DIALOG_ROOTMAP", rescatalog::kRootMap},
    {"DIALOG_RSVOPT", rescatalog::kRsvOpt},       {"DIALOG_COMMOPT", rescatalog::kCommOpt},
    {"DIALOG_DISCOVERY", rescatalog::kDiscovery}, {"DIALOG_DBGOPT", rescatalog::kDbgOpt},
    {"DIALOG_INFO", rescatalog::kInfo},           {"DIALOG_TCPPASS", rescatalog::kTcpPass},
    {"DIALOG_DUMP", rescatalog::kDump},           {"DIALOG_DASM", rescatalog::kDasm},
    {"DIALOG_CHANGEREG", rescatalog::kChangeReg}, {"DIALOG_WEXPR", rescatalog::kWatchExpr},
    {"DIALOG_FIND", rescatalog::kFind},           {"DIALOG_REPLACE", rescatalog::kReplace},
    {"DIALOG_GOTO", rescatalog::kGoto},
};

// Every command the frame menu (with the window menu inserted into it)
// offers; the recent-file commands 10 to 18 are added at run time.
inline constexpr uint32_t kMenuCommands[] = {
    // Application.
    2009, 2010, 124, 145, 146, 147, 56, 58, 57,
    // Files, build and run.
    24331, 24332, 24333, 24334, 26, 24337, 24338, 24340, 24310, 30, 45, 44, 1250, 51, 53, 54, 55, 70, 61, 74, 62, 66,
    65, 60, 63, 73, 69, 71, 67, 68,
    // Editing.
    34, 35, 31, 32, 33, 40, 41, 42, 43,
    // Options.
    91, 90, 92, 94, 93, 95, 96, 97, 98, 109,
    // Windows and the debugger panes.
    103, 104, 105, 106, 107, 108, 80, 81, 83, 85, 84, 86, 24361, 99, 100, 102,
    // Help.
    123, 120, 121, 47, 122, 195, 196, 197, 198, 46};

// Menu items that show a check mark.
inline constexpr uint32_t kCheckableCommands[] = {56, 58, 124, 145, 146, 147};

// The tool bar's buttons; each shows the text of its command's number as
// its hint.
inline constexpr uint32_t kToolBarCommands[] = {24331, 24332, 24333, 24337, 24340, 31,  32,  33, 40,
                                                41,    42,    30,    1250,  106,   107, 108, 120};

} // namespace tsw
