#include "gui/textpane.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPlainTextEdit>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "foundation/restext.h"
#include "foundation/msgnumbers.h"

namespace tsw {
namespace {

constexpr size_t kUntitledSize = 40;

class PlaceholderView : public EditorPane {
public:
  explicit PlaceholderView(const std::optional<std::string> &path) : path_(path) {
    widget_ = new QPlainTextEdit();
    widget_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    widget_->setReadOnly(true);
    if (path_) {
      std::ifstream in(*path_, std::ios::binary);
      std::ostringstream text;
      text << in.rdbuf();
      widget_->setPlainText(QString::fromUtf8(text.str()));
    }
  }
  ~PlaceholderView() override {
    if (!widget_->parent())
      delete widget_;
  }
  QWidget *Widget() override { return widget_; }
  Size CellSize() const override {
    QFontMetrics metrics(widget_->font());
    return {metrics.averageCharWidth(), metrics.height()};
  }
  void Clear() override { widget_->clear(); }
  std::string FileName() const override {
    if (path_)
      return *path_;
    char name[kUntitledSize];
    LoadResourceString(kMsgUntitled, name, int(kUntitledSize));
    return name;
  }
  bool Untitled() const override { return !path_; }
  bool ShowsFile(std::string_view path) const override {
    std::error_code error;
    return path_ && std::filesystem::equivalent(*path_, std::string(path), error);
  }
  bool Modified() const override { return false; }
  bool InsertMode() const override { return true; }
  bool ReadOnly() const override { return true; }
  void SetDebugMode(bool) override {}
  bool Save() override { return true; }
  bool SaveAs() override { return true; }
  void Find() override {}
  void Undo() override {}
  void Redo() override {}
  uint32_t Caret() const override { return caret_; }
  void SetCaret(uint16_t line, uint16_t column) override { caret_ = uint32_t(line) << 16 | column; }
  uint16_t TopLine() const override { return top_; }
  void ScrollToTop(uint16_t line) override { top_ = line; }

private:
  std::optional<std::string> path_;
  QPlainTextEdit *widget_;
  uint32_t caret_ = 0;
  uint16_t top_ = 0;
};

} // namespace

std::unique_ptr<EditorPane> PlaceholderEditorFactory::Create(const std::optional<std::string> &path, bool) {
  return std::make_unique<PlaceholderView>(path);
}

} // namespace tsw
