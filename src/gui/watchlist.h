#pragma once

#include "foundation/addr24.h"
#include "gui/common/model/tswwatch.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tsw {

// What a watch needs of the compiler and of the board. The compiler places
// each statement in the board's watch code area, one fragment after the
// other; the board runs a fragment and gives its record back.
class WatchServices {
public:
  virtual ~WatchServices() = default;

  struct Scope {
    ADDR24 functionStart;
    ADDR24 functionEnd;
  };
  // The compiled function that holds `pc`; `main` when none does.
  virtual std::optional<Scope> FunctionAt(ADDR24 pc) = 0;
  virtual std::optional<Scope> MainFunction() = 0;
  // Where the next fragment goes, and moving it back to free fragments.
  virtual uint16_t WatchCodeAddress() = 0;
  virtual void SetWatchCodeAddress(uint16_t address) = 0;
  // The kernel's result variable the statement hands ReturnWatchValue.
  virtual ADDR24 WatchResultVariable() = 0;
  // Compiles the statement in the scope; 0 when it does not compile, else 1
  // more than whether it uses the function's locals.
  virtual uint16_t CompileWatchStatement(const std::string &statement, const Scope &scope) = 0;

  virtual bool UsesTcp() = 0;
  // 0 with the record read, 3 when the kernel stayed busy.
  virtual uint8_t Evaluate(uint16_t fragment, gui::WatchResultBytes &record) = 0;
  virtual std::string ReadText(uint16_t address) = 0;
  // The tag of a structure type the compile knows.
  virtual std::string StructTag(uint8_t typeCode) = 0;
  virtual void ShowMessage(unsigned message) = 0;
  // Counts the compiles: each new one empties the watch code area.
  virtual uint32_t CompileCount() = 0;
};

// A list of watch expressions: the watches of a program (kind 1), compiled
// into the board's watch code area and evaluated there, or the history of
// texts typed into the watch dialog (kind 0), only text.
class cWatchList {
public:
  static constexpr uint8_t kHistoryKind = 0;
  static constexpr uint8_t kWatchKind = 1;

  struct cWatch {
    gui::WatchResultBytes result{};
    std::string expression;
    std::string typeText; // after the first value
    ADDR24 functionStart;
    uint16_t fragment = 0;
    uint16_t typeCode = 0;
    // 1 when the watch reads locals of its function.
    uint16_t scope = 0;
    bool compiled = false;
    // The text a char pointer points to, as a TCP/IP board sends it.
    std::optional<std::array<uint8_t, 16>> tcpText;
    uint8_t compileFlag = 0;
    bool tcp = false;
  };

  explicit cWatchList(uint8_t kind) : kind_(kind) {}
  cWatchList(const cWatchList &) = delete;
  cWatchList &operator=(const cWatchList &) = delete;

  uint8_t Kind() const { return kind_; }
  void SetKind(uint8_t kind) { kind_ = kind; }
  size_t Count() const { return watches_.size(); }
  // The text of entry `index`, empty past the end.
  std::string GetExpression(size_t index) const;
  std::vector<std::string> Expressions() const;
  const cWatch &At(size_t index) const { return *watches_[index]; }

  // The compiler and the board the watches use; without them no watch
  // compiles.
  void SetServices(WatchServices *services) { services_ = services; }

  // Before entry `position`; a negative position appends. A compiled list
  // compiles the new watch at once.
  void Insert(int position, std::string_view text);
  // Deleting a compiled watch frees its fragment, and every one after it.
  void Remove(size_t index);
  void Clear();

  bool IsCompiled() const { return compiled_; }
  // A failed compile is reported and leaves that watch uncompiled.
  void CompileAll(ADDR24 pc);
  void MarkUncompiled();
  // The values a TCP/IP board sent for the whole list, in its order:
  // `count` entries of a record and 16 bytes of text.
  void StoreTargetValues(size_t count, const uint8_t *entries, size_t size);

  // Entry `index` evaluated at `pc`, as the watch pane shows it.
  std::string FormatLine(size_t index, ADDR24 pc);

  // The statement that hands the expression's value to the board.
  static std::string WatchStatement(ADDR24 resultVariable, std::string_view expression);
  // Compiles one watch; raises xWatch when it has no scope or fails.
  void Compile(cWatch &watch, ADDR24 pc);
  // Its value line, evaluated now.
  std::string FormatWatch(cWatch &watch, ADDR24 pc);
  // Frees a compiled watch's fragment.
  void Release(cWatch &watch);

private:
  uint8_t kind_;
  bool compiled_ = false;
  WatchServices *services_ = nullptr;
  std::vector<std::unique_ptr<cWatch>> watches_;
  // The function holding the last program counter formatted at.
  std::optional<ADDR24> cachedPc_;
  std::optional<WatchServices::Scope> cachedScope_;
};

} // namespace tsw
