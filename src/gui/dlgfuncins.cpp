#include "gui/dlgfuncins.h"

#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QShortcut>

#include <memory>
#include <set>
#include <vector>

#include "compcore/cc_mod/cc_mod.h"
#include "foundation/msgnumbers.h"
#include "foundation/restext.h"
#include "foundation/xerr.h"
#include "gui/commands.h"
#include "gui/common/model/funcdesc.h"
#include "gui/common/model/tswcirc.h"
#include "gui/common/model/tswview.h"
#include "gui/common/tswcirc.h"
#include "gui/compilercharrules.h"
#include "gui/funcinsert.h"
#include "gui/helpdocs.h"
#include "gui/printing.h"
#include "gui/resbuilder.h"
#include "gui/settings.h"
#include "gui/shellstate.h"
#include "gui/tswedit.h"
#include "platform/notify.h"

namespace tsw {
namespace {

constexpr const char *kBrowseTemplate = "DIALOG_BROWSE";
constexpr const char *kAssistantTemplate = "DIALOG_FNCINS";
constexpr uint32_t kBrowseId = 46;
constexpr uint32_t kCategoriesId = 101, kFunctionsId = 102;
constexpr uint32_t kDescriptionOnlyId = 103, kInsertCallId = 104;
constexpr uint32_t kWholeTextId = 113, kParameterTextId = 105, kTypeId = 109, kNameId = 108, kNumberId = 106,
                   kArgumentId = 110, kScrollerId = 107;
// The whole block and one parameter's text, as rows of their panes.
constexpr uint16_t kWholeTextRows = 200, kParameterTextRows = 100;
constexpr uint16_t kHelpRowWidth = kMaxDescriptionLine + 1;
// A variadic function's scroller reaches this far beyond its parameters.
constexpr int kVariadicSteps = 50;
// In insert mode the description stops this far above the parameter panes.
constexpr int kDescriptionGap = 17;

// Help on the library functions, when the settings name the help file.
void ConnectHelp(QDialog &dialog, const Settings *settings) {
  auto *help = Control<QPushButton>(dialog, kHelpButtonId);
  if (!help)
    return;
  help->setEnabled(settings != nullptr);
  if (settings)
    QObject::connect(help, &QPushButton::clicked, &dialog,
                     [settings] { ShowHelpTopic(ShellHelpViewer(), MakeHelpFiles(*settings), kFunctionHelpContext); });
}

std::unique_ptr<QDialog> Load(const LanguageModule &module, const char *name, QWidget *parent) {
  std::unique_ptr<QWidget> made = LoadDialogTemplate(module, name, parent, nullptr);
  if (!dynamic_cast<QDialog *>(made.get()))
    return nullptr;
  return std::unique_ptr<QDialog>(static_cast<QDialog *>(made.release()));
}

QString Latin1(const std::string &text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }
std::string Bytes(const QString &text) {
  const QByteArray bytes = text.toLatin1();
  return std::string(bytes.constData(), size_t(bytes.size()));
}

// Every described function; the one category is all of them.
void FillFunctions(QListWidget &categories, QComboBox &functions) {
  functions.clear();
  if (categories.count() > 0 && categories.item(0)->isSelected())
    ListLibraryFunctions([&](const std::string &entry) { functions.addItem(Latin1(entry)); });
}

// A double click on the chosen function is OK.
class DoubleClickAccepts : public QObject {
public:
  explicit DoubleClickAccepts(QDialog &dialog) : QObject(&dialog), dialog_(dialog) {}
  bool eventFilter(QObject *watched, QEvent *event) override {
    if (event->type() == QEvent::MouseButtonDblClick) {
      dialog_.accept();
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

private:
  QDialog &dialog_;
};

// A read-only pane of rows in place of a template's placeholder.
class HelpDisplay {
public:
  HelpDisplay(QDialog &dialog, uint32_t id, uint16_t rows, const gui::CharRules &rules)
      : ring_(rules, rows, kHelpRowWidth, 1) {
    QWidget *placeholder = FindControl(dialog, id);
    widget_ = new gui::cRingPane(ring_, gui::DefaultPaneHost(), placeholder ? placeholder->parentWidget() : &dialog);
    if (placeholder) {
      widget_->setGeometry(placeholder->geometry());
      delete placeholder;
    }
    widget_->setObjectName(QString("c%1").arg(id));
  }
  // The window reads its rows to the end: it goes before them, whichever
  // of the dialog's children is deleted first.
  ~HelpDisplay() { delete widget_.data(); }
  HelpDisplay(const HelpDisplay &) = delete;
  HelpDisplay &operator=(const HelpDisplay &) = delete;
  void SetText(const std::vector<std::string> &lines) {
    ring_.Clear();
    ring_.SetUsedRows(int32_t(std::min(lines.size(), size_t(ring_.Rows()))));
    for (size_t i = 0; i < lines.size() && i < ring_.Rows(); ++i)
      ring_.SetLine(int32_t(i), lines[i]);
    ring_.SetCursor(0);
    widget_->UpdateScrollRange();
    widget_->viewport()->update();
  }
  void SetText(const std::string &text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
      lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    SetText(lines);
  }
  gui::cRingPane &Widget() const { return *widget_; }
  gui::cTextCircular &Ring() { return ring_; }

private:
  gui::cTextCircular ring_;
  QPointer<gui::cRingPane> widget_;
};

bool DescribedFunction(const std::string &word) {
  ZModEntry *entry = nullptr;
  return FindLibraryFunction(word, &entry, true) == 1;
}

QPointer<QDialog> &LastAssistant() {
  static QPointer<QDialog> last;
  return last;
}

class FunctionAssistant;
// Every open assistant, so that new display options reach each.
std::set<FunctionAssistant *> &OpenAssistants() {
  static std::set<FunctionAssistant *> open;
  return open;
}

// The assistant's state; it lives as long as its dialog.
class FunctionAssistant : public QObject {
public:
  FunctionAssistant(QDialog &dialog, const LanguageModule &module, const AssistantRequest &request, QWidget *paneWidget,
                    const Settings *settings)
      : QObject(&dialog), dialog_(dialog), module_(module), request_(request), paneWidget_(paneWidget),
        settings_(settings), whole_(dialog, kWholeTextId, kWholeTextRows, rules_),
        parameterText_(dialog, kParameterTextId, kParameterTextRows, rules_) {
    OpenAssistants().insert(this);
  }
  ~FunctionAssistant() override { OpenAssistants().erase(this); }
  FunctionAssistant(const FunctionAssistant &) = delete;
  FunctionAssistant &operator=(const FunctionAssistant &) = delete;

  void SetUp() {
    dialog_.setWindowTitle(QString::fromLatin1(GetResourceString(kMsgInsertCaption)) + Latin1(request_.name));
    ConnectControls();
    ApplyDisplayOptions();
    ConnectPrint();
    try {
      std::vector<std::string> lines = ReadDescriptionBlock(request_.entry);
      whole_.SetText(lines);
      std::string text;
      for (const std::string &line : lines)
        text += line + "\n";
      description_ = std::make_unique<FuncDescription>(text);
    } catch (const xErr &error) {
      error.Report();
      return;
    }
    TakeDraft();
    if (auto *scroller = Control<QScrollBar>(dialog_, kScrollerId)) {
      const int count = int(description_->ParameterCount());
      scroller->setRange(1, std::max(1, count + (description_->Variadic() ? kVariadicSteps : 0)));
      scroller->setValue(1);
    }
    if (auto *only = Control<QRadioButton>(dialog_, kDescriptionOnlyId))
      only->setChecked(true);
    SetMode(false);
    ShowParameter();
  }

  // The panes show the library lookup window's font and colours.
  void ApplyDisplayOptions() {
    if (!settings_)
      return;
    const PaneSettings &kind = settings_->Pane(PaneKind::kLibraryLookup);
    const QFont font = PaneFontOf(kind.font);
    for (HelpDisplay *pane : {&whole_, &parameterText_}) {
      pane->Widget().SetColors(
          ChosenColor(kind.Color(ColorRole::kForeground)), ChosenColor(kind.Color(ColorRole::kBackground)),
          ChosenColor(kind.Color(ColorRole::kSelectionFg)), ChosenColor(kind.Color(ColorRole::kSelectionBg)));
      pane->Widget().SetPaneFont(font);
    }
    for (uint32_t id : {kArgumentId, kTypeId})
      if (QWidget *field = FindControl(dialog_, id))
        field->setFont(font);
  }

private:
  // The print key prints the whole description.
  void ConnectPrint() {
    AddPrintCommands(printCommands_, whole_.Widget());
    auto *print = new QShortcut(QKeySequence::Print, &dialog_);
    connect(print, &QShortcut::activated, this, [this] {
      const CommandHandlers::Entry *entry = printCommands_.Find(cmd::kPrint);
      if (entry && (!entry->enabler || entry->enabler()))
        entry->worker();
    });
  }

  gui::cTextViewer *Editor() const {
    if (request_.viewOnly || !paneWidget_)
      return nullptr;
    return dynamic_cast<gui::cTextViewer *>(request_.pane);
  }

  void TakeDraft() {
    gui::cTextViewer *editor = Editor();
    draft_ = DraftCall(editor, editor ? editor->GetCursor() : 0, *description_, DescribedFunction);
    if (draft_.tooManyArguments)
      plat::Notifier().MessageBox(GetResourceString(kMsgReportAltTitle), GetResourceString(kMsgTooManyArguments),
                                  plat::Buttons::Ok, plat::Icon::Warning);
    stepper_ = std::make_unique<ParameterStepper>(draft_.arguments, description_->Variadic());
  }

  void ConnectControls() {
    ConnectOkCancel(dialog_, [this] { Ok(); });
    if (auto *browse = Control<QPushButton>(dialog_, kBrowseId))
      connect(browse, &QPushButton::clicked, this, [this] { Browse(); });
    if (auto *insert = Control<QRadioButton>(dialog_, kInsertCallId))
      connect(insert, &QRadioButton::toggled, this, [this](bool on) { SetMode(on); });
    if (auto *scroller = Control<QScrollBar>(dialog_, kScrollerId))
      connect(scroller, &QScrollBar::valueChanged, this, [this](int value) { Scrolled(value); });
    if (auto *argument = Control<QLineEdit>(dialog_, kArgumentId))
      argument->setMaxLength(int(kMaxArgumentText));
    for (uint32_t id : {kTypeId, kNameId, kNumberId})
      if (auto *field = Control<QLineEdit>(dialog_, id))
        field->setReadOnly(true);
  }

  std::string ArgumentText() const {
    auto *argument = Control<QLineEdit>(dialog_, kArgumentId);
    return argument ? Bytes(argument->text()) : std::string();
  }

  void ShowParameter() {
    if (!stepper_)
      return;
    const size_t index = stepper_->Current();
    const bool none = description_->ParameterCount() == 0;
    const FuncParameter parameter = description_->GetParameter(index);
    auto set = [this](uint32_t id, const std::string &text) {
      if (auto *field = Control<QLineEdit>(dialog_, id))
        field->setText(Latin1(text));
    };
    set(kNumberId, none ? "  " : std::to_string(index + 1));
    set(kTypeId, parameter.type);
    set(kNameId, parameter.name);
    parameterText_.SetText(parameter.description);
    set(kArgumentId, index < stepper_->Arguments().size() ? stepper_->Arguments()[index] : "");
  }

  void Scrolled(int value) {
    if (!stepper_ || value == int(stepper_->Current()) + 1)
      return;
    stepper_->Step(int(stepper_->Current()) + 1 - value, ArgumentText());
    // A step the stepper refused puts the scroller back.
    if (auto *scroller = Control<QScrollBar>(dialog_, kScrollerId)) {
      QSignalBlocker still(scroller);
      scroller->setValue(int(stepper_->Current()) + 1);
    }
    ShowParameter();
  }

  void SetMode(bool insert) {
    inserting_ = insert && !request_.viewOnly;
    for (uint32_t id : {kArgumentId, kNumberId, kTypeId, kNameId, kParameterTextId, kScrollerId})
      if (QWidget *control = FindControl(dialog_, id))
        control->setVisible(insert);
    QWidget &whole = whole_.Widget();
    QRect area = whole.geometry();
    const QWidget *name = FindControl(dialog_, kNameId);
    const int bottom = insert && name ? name->geometry().top() - kDescriptionGap : dialog_.height() - area.top() / 2;
    area.setRight(dialog_.width() - area.left() - 1);
    area.setBottom(std::max(area.top(), bottom));
    whole.setGeometry(area);
    if (insert)
      if (QWidget *argument = FindControl(dialog_, kArgumentId))
        argument->setFocus();
  }

  void Ok() {
    if (stepper_) {
      stepper_->Store(ArgumentText());
      gui::cTextViewer *editor = Editor();
      if (inserting_ && editor)
        WriteCall(*editor, draft_, CallText(request_.name, stepper_->Arguments()));
    }
    dialog_.accept();
  }

  void Browse() {
    std::optional<std::string> chosen = RunBrowseDialog(module_, &dialog_, settings_);
    if (!chosen)
      return;
    Shell().functionHelpWord = chosen->substr(0, kFunctionHelpWordSize - 1);
    AssistantRequest next;
    if (FindLibraryFunction(Shell().functionHelpWord, &next.entry, false) != 1)
      return;
    next.name = Shell().functionHelpWord.substr(0, Shell().functionHelpWord.find(' '));
    OpenFunctionAssistant(module_, &dialog_, next, settings_);
  }

  QDialog &dialog_;
  const LanguageModule &module_;
  AssistantRequest request_;
  QPointer<QWidget> paneWidget_;
  const Settings *settings_;
  CompilerCharRules rules_;
  HelpDisplay whole_, parameterText_;
  CommandHandlers printCommands_;
  std::unique_ptr<FuncDescription> description_;
  CallDraft draft_;
  std::unique_ptr<ParameterStepper> stepper_;
  bool inserting_ = false;
};

} // namespace

std::optional<std::string> RunBrowseDialog(const LanguageModule &module, QWidget *parent, const Settings *settings) {
  std::unique_ptr<QDialog> dialog = Load(module, kBrowseTemplate, parent);
  if (!dialog)
    return std::nullopt;
  auto *categories = Control<QListWidget>(*dialog, kCategoriesId);
  auto *functions = Control<QComboBox>(*dialog, kFunctionsId);
  if (!categories || !functions)
    return std::nullopt;
  ConnectHelp(*dialog, settings);
  categories->setSelectionMode(QAbstractItemView::MultiSelection);
  categories->addItem(QString::fromLatin1(GetResourceString(kMsgAllLibraryFunctions)));
  categories->item(0)->setSelected(true);
  functions->setEditable(false);
  FillFunctions(*categories, *functions);
  if (functions->count() > 0)
    functions->setCurrentIndex(0);
  QObject::connect(categories, &QListWidget::itemSelectionChanged, dialog.get(),
                   [categories, functions] { FillFunctions(*categories, *functions); });
  auto *accepts = new DoubleClickAccepts(*dialog);
  functions->installEventFilter(accepts);
  if (functions->view())
    functions->view()->viewport()->installEventFilter(accepts);
  ConnectOkCancel(*dialog);
  if (dialog->exec() != QDialog::Accepted || functions->currentIndex() < 0)
    return std::nullopt;
  return Bytes(functions->currentText()).substr(0, kFunctionHelpWordSize - 1);
}

QDialog *OpenFunctionAssistant(const LanguageModule &module, QWidget *parent, const AssistantRequest &request,
                               const Settings *settings) {
  std::unique_ptr<QDialog> made = Load(module, kAssistantTemplate, parent);
  if (!made)
    return nullptr;
  QDialog *dialog = made.release();
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setModal(false);
  ConnectHelp(*dialog, settings);
  auto *assistant = new FunctionAssistant(*dialog, module, request, parent, settings);
  LastAssistant() = dialog;
  dialog->show();
  assistant->SetUp();
  return dialog;
}

QDialog *CurrentFunctionAssistant() { return LastAssistant().data(); }

void ApplyDisplayOptionsToAssistants() {
  for (FunctionAssistant *assistant : OpenAssistants())
    assistant->ApplyDisplayOptions();
}

} // namespace tsw
