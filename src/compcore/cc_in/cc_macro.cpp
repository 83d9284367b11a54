#include "compcore/cc_in/cc_macro.h"
#include "foundation/msgnumbers.h"

#include "compcore/cc_in/cc_in.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tsw {

namespace {

// Looked up by views of the line: a lookup builds no string.
struct NameHash {
  using is_transparent = void;
  size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
};
using Table = std::unordered_map<std::string, MacroInfo, NameHash, std::equal_to<>>;

struct MacroState {
  Table table;
  std::optional<Table> biosSnapshot;
  std::array<MacroInfo *, kMaxActiveMacros + 1> slots{};
  int depth = 0;
};

MacroState &State() {
  static MacroState s;
  return s;
}

std::string Trimmed(const std::string &text) {
  size_t b = 0, e = text.size();
  while (b < e && IsBlankChar(text[b]))
    ++b;
  while (e > b && IsBlankChar(text[e - 1]))
    --e;
  return text.substr(b, e - b);
}

// One character of text being expanded, or a marker (start -slot, end +slot).
struct Cell {
  char c = 0;
  int8_t marker = 0;
  uint16_t line = 1;
  uint16_t column = 1;
  bool fromMacro = false;
};
using Cells = std::vector<Cell>;

void ApplyMarker(int8_t marker) {
  MacroInfo *m = State().slots[marker < 0 ? -marker : marker];
  if (!m)
    return; // #undef'd while its replacement was pending
  if (marker < 0)
    ++m->active;
  else if (m->active)
    --m->active;
}

int TakeSlot(MacroInfo *macro) {
  auto &slots = State().slots;
  for (unsigned i = 1; i <= kMaxActiveMacros; ++i)
    if (slots[i] == macro)
      return int(i);
  for (unsigned i = 1; i <= kMaxActiveMacros; ++i)
    if (!slots[i]) {
      slots[i] = macro;
      return int(i);
    }
  return 0;
}

// The slot limit is on nested replacements: at the outermost level a slot
// whose replacement has been passed, and whose markers stand nowhere in the
// unread text, is free again.
void ReclaimPassedSlots(const std::vector<Cell> &work, size_t unread) {
  auto &slots = State().slots;
  std::array<bool, kMaxActiveMacros + 1> marked{};
  for (size_t i = unread; i < work.size(); ++i)
    if (work[i].marker)
      marked[size_t(work[i].marker < 0 ? -work[i].marker : work[i].marker)] = true;
  for (unsigned i = 1; i <= kMaxActiveMacros; ++i)
    if (slots[i] && !slots[i]->active && !marked[i])
      slots[i] = nullptr;
}

Cells CellsOfLine(const LogicalLineBuffer &line, size_t from) {
  Cells cells;
  for (size_t i = from; i < line.text.size(); ++i)
    cells.push_back({line.text[i], 0, line.lines[i], line.columns[i]});
  return cells;
}

void CheckSize(size_t cells) {
  if (cells >= kMaxLineBytes)
    CompileErrorHere<kMsgLineTooLong>();
}

// The next logical line for a function-like macro's "(" or arguments; only
// at the outermost level and while more lines may be read.
std::optional<LogicalLineBuffer> ReadAheadLine() {
  if (State().depth != 1 || SingleLineMode || EndOfInput)
    return std::nullopt;
  LogicalLineBuffer saved = CurrentLogicalLine();
  size_t cursor = CursorIndex();
  ReadLogicalLine();
  LogicalLineBuffer next = CurrentLogicalLine();
  InstallLogicalLine(std::move(saved), cursor);
  if (EndOfInput && next.text.empty())
    return std::nullopt;
  return next;
}

Cells ExpandCells(Cells work);

// Collects the arguments after the "(" at work[open]; `end` is set to the
// index after ")". False when the list is not closed.
bool CollectArguments(Cells &work, size_t open, size_t &end, std::vector<Cells> &args, bool &tooMany) {
  args.assign(1, {});
  int nest = 0;
  size_t i = open + 1;
  tooMany = false;
  for (;;) {
    if (i >= work.size()) {
      std::optional<LogicalLineBuffer> next = ReadAheadLine();
      if (!next)
        return false;
      Cell space = work.empty() ? Cell{} : work.back();
      space.c = ' ';
      space.marker = 0;
      work.push_back(space);
      Cells more = CellsOfLine(*next, 0);
      work.insert(work.end(), more.begin(), more.end());
      CheckSize(work.size());
      continue;
    }
    Cell cell = work[i++];
    if (cell.marker) {
      ApplyMarker(cell.marker);
      continue;
    }
    char c = cell.c;
    if (c == '"' || c == '\'') {
      args.back().push_back(cell);
      while (i < work.size()) {
        Cell in = work[i++];
        if (in.marker)
          continue;
        args.back().push_back(in);
        if (in.c == '\\' && i < work.size()) {
          args.back().push_back(work[i++]);
          continue;
        }
        if (in.c == c)
          break;
      }
      continue;
    }
    if (c == '(')
      ++nest;
    if (c == ')' && nest-- == 0)
      break;
    if (c == ',' && nest == 0) {
      if (args.size() == kMaxMacroArgs)
        tooMany = true;
      else
        args.emplace_back();
      continue;
    }
    if (tooMany)
      continue;
    if (IsBlankChar(c)) {
      if (args.back().empty() || args.back().back().c == ' ')
        continue;
      cell.c = ' ';
    }
    args.back().push_back(cell);
  }
  end = i;
  for (Cells &arg : args)
    while (!arg.empty() && IsBlankChar(arg.back().c))
      arg.pop_back();
  return true;
}

void AppendText(Cells &out, const Cells &arg, const Cell &at) {
  for (Cell c : arg) {
    c.line = at.line;
    c.column = at.column;
    out.push_back(c);
  }
}

Cells Stringize(const Cells &arg, const Cell &at) {
  Cells out;
  auto put = [&](char c) { out.push_back({c, 0, at.line, at.column}); };
  put('"');
  char quote = 0;
  // Double quotes, and backslashes inside literals, get a backslash.
  auto putEscaped = [&](char c, bool inLiteral) {
    if (c == '"' || (c == '\\' && inLiteral))
      put('\\');
    put(c);
  };
  for (size_t i = 0; i < arg.size(); ++i) {
    char c = arg[i].c;
    putEscaped(c, quote);
    // The character a backslash escapes inside a literal is escaped too.
    if (quote && c == '\\' && i + 1 < arg.size()) {
      putEscaped(arg[++i].c, true);
      continue;
    }
    if (c == '"' || c == '\'')
      quote = quote == c ? 0 : (quote ? quote : c);
  }
  put('"');
  return out;
}

// A parameter in a body is kEsc, its index in decimal, kEsc; an escape
// byte of the source text stands doubled, so it is never taken for one.
bool ParamAt(const std::string &body, size_t p, size_t &k, size_t &after) {
  if (p + 1 >= body.size() || body[p] != kEsc || !IsDigitChar(body[p + 1]))
    return false;
  size_t q = p + 1;
  k = 0;
  while (q < body.size() && IsDigitChar(body[q]))
    k = k * 10 + size_t(body[q++] - '0');
  if (q >= body.size() || body[q] != kEsc)
    return false;
  after = q + 1;
  return true;
}

bool SourceEscapeAt(const std::string &body, size_t p) {
  return p + 1 < body.size() && body[p] == kEsc && body[p + 1] == kEsc;
}

std::string WithSourceEscapesDoubled(std::string_view text) {
  std::string body;
  for (char c : text) {
    body.push_back(c);
    if (c == kEsc)
      body.push_back(kEsc);
  }
  return body;
}

size_t SkipBodyBlanks(const std::string &body, size_t p) {
  while (p < body.size() && IsBlankChar(body[p]))
    ++p;
  return p;
}

Cells Substitute(const MacroInfo &macro, const std::vector<Cells> &args, const Cell &at) {
  const std::string &body = macro.body;
  Cells out;
  bool pasting = false;
  size_t p = 0, k = 0, after = 0;
  while (p < body.size()) {
    // A literal of the body is copied as it stands: "##" inside it pastes
    // nothing.
    if ((body[p] == '"' || body[p] == '\'') && (p == 0 || body[p - 1] != '\\')) {
      const char quote = body[p];
      out.push_back({body[p++], 0, at.line, at.column});
      while (p < body.size()) {
        if (SourceEscapeAt(body, p))
          ++p;
        const char c = body[p++];
        out.push_back({c, 0, at.line, at.column});
        if (c == '\\' && p < body.size())
          out.push_back({body[p++], 0, at.line, at.column});
        else if (c == quote)
          break;
      }
      pasting = false;
      continue;
    }
    if (SourceEscapeAt(body, p)) {
      out.push_back({kEsc, 0, at.line, at.column});
      p += 2;
      pasting = false;
      continue;
    }
    if (body.compare(p, 2, "##") == 0) {
      while (!out.empty() && IsBlankChar(out.back().c))
        out.pop_back();
      p = SkipBodyBlanks(body, p + 2);
      pasting = true;
      continue;
    }
    if (body[p] == '#' && ParamAt(body, SkipBodyBlanks(body, p + 1), k, after) && k < args.size()) {
      Cells s = Stringize(args[k], at);
      out.insert(out.end(), s.begin(), s.end());
      p = after;
      pasting = false;
      continue;
    }
    if (ParamAt(body, p, k, after)) {
      size_t next = SkipBodyBlanks(body, after);
      bool raw = pasting || body.compare(next, 2, "##") == 0;
      if (k < args.size()) {
        if (raw) {
          AppendText(out, args[k], at);
        } else {
          Cells expanded = ExpandCells(args[k]);
          AppendText(out, expanded, at);
        }
      }
      p = after;
      pasting = false;
      continue;
    }
    out.push_back({body[p], 0, at.line, at.column});
    ++p;
    pasting = false;
  }
  return out;
}

// Arguments are expanded before they are substituted, each one level
// deeper; past this depth the line is given up (the stack is not).
constexpr int kMaxExpansionDepth = int(kMaxActiveMacros);
struct ExpansionTooDeep {};

// Scans `work`, replacing macros and rescanning each replacement together
// with the text after it.
Cells ExpandCells(Cells work) {
  if (++State().depth > kMaxExpansionDepth)
    throw ExpansionTooDeep{};
  Cells out;
  size_t i = 0;
  char previous = 0;
  while (i < work.size()) {
    Cell cell = work[i];
    if (cell.marker) {
      ApplyMarker(cell.marker);
      ++i;
      continue;
    }
    char c = cell.c;
    if (c == '0') {
      out.push_back(work[i++]);
      bool hex = i < work.size() && !work[i].marker && (work[i].c == 'x' || work[i].c == 'X');
      while (i < work.size() && !work[i].marker &&
             (hex ? IsIdentChar(work[i].c) : (CharClasses[uint8_t(work[i].c)] & kClassDigit)))
        out.push_back(work[i++]);
      previous = out.back().c;
      continue;
    }
    if ((c == '"' || c == '\'') && previous != '\\') {
      out.push_back(work[i++]);
      bool closed = false;
      while (i < work.size()) {
        Cell in = work[i++];
        if (in.marker) {
          ApplyMarker(in.marker);
          continue;
        }
        out.push_back(in);
        if (in.c == '\\' && i < work.size() && !work[i].marker) {
          out.push_back(work[i++]);
          continue;
        }
        if (in.c == c) {
          closed = true;
          break;
        }
      }
      if (!closed && SourceLanguageMode != kLangAsm)
        CompileError<kMsgExpected>(std::string(1, c));
      previous = c;
      continue;
    }
    if (!IsIdentStart(c)) {
      out.push_back(work[i++]);
      previous = c;
      continue;
    }
    size_t start = i;
    std::string name;
    while (i < work.size() && !work[i].marker && IsIdentChar(work[i].c))
      name.push_back(work[i++].c);
    MacroInfo *macro = LookupMacro(name);
    if (!macro || macro->active) {
      out.insert(out.end(), work.begin() + long(start), work.begin() + long(i));
      previous = name.back();
      continue;
    }
    std::vector<Cells> args;
    size_t end = i;
    if (macro->functionLike) {
      // The lines read ahead for an argument list that never closes go back
      // to the input, to be compiled as the lines they are.
      std::optional<InputState> beforeCall;
      if (State().depth == 1 && !SingleLineMode)
        beforeCall = SaveInputState();
      const size_t lineCells = work.size();
      size_t j = i;
      for (;;) {
        while (j < work.size() && (work[j].marker || IsBlankChar(work[j].c)))
          ++j;
        if (j < work.size())
          break;
        std::optional<LogicalLineBuffer> next = ReadAheadLine();
        if (!next)
          break;
        size_t firstNonBlank = 0;
        while (firstNonBlank < next->text.size() && IsBlankChar(next->text[firstNonBlank]))
          ++firstNonBlank;
        if (firstNonBlank >= next->text.size() || next->text[firstNonBlank] != '(') {
          HoldBackLogicalLine(std::move(*next)); // read on as if nothing had been read ahead
          break;
        }
        Cells more = CellsOfLine(*next, 0);
        work.insert(work.end(), more.begin(), more.end());
      }
      if (j >= work.size() || work[j].c != '(') {
        out.insert(out.end(), work.begin() + long(start), work.begin() + long(i));
        previous = name.back();
        continue;
      }
      for (size_t m = i; m < j; ++m)
        if (work[m].marker)
          ApplyMarker(work[m].marker);
      bool tooMany = false;
      if (!CollectArguments(work, j, end, args, tooMany)) {
        CompileErrorAtLine<kMsgExpected>(work[start].line, work[start].column, ")");
        if (beforeCall && work.size() > lineCells && RestoreInputState(*beforeCall))
          work.resize(lineCells);
        work.erase(work.begin() + long(start), work.end());
        i = start;
        continue;
      }
      if (tooMany)
        CompileError<kMsgTooManyArgs>();
      bool countOk =
          args.size() == macro->paramCount || (macro->paramCount == 0 && args.size() == 1 && args[0].empty());
      if (!countOk) {
        CompileError<kMsgArgCount>();
        i = end; // the call is dropped
        continue;
      }
    }
    int slot = TakeSlot(macro);
    if (!slot && State().depth == 1) {
      ReclaimPassedSlots(work, start);
      slot = TakeSlot(macro);
    }
    if (!slot) {
      CompileError<kMsgTooManyActive>(int(kMaxActiveMacros));
      i = end; // the call is dropped
      continue;
    }
    Cells replacement;
    replacement.push_back({kEsc, int8_t(-slot), cell.line, cell.column});
    Cells body = Substitute(*macro, args, work[start]);
    replacement.insert(replacement.end(), body.begin(), body.end());
    replacement.push_back({kEsc, int8_t(slot), cell.line, cell.column});
    for (Cell &c : replacement)
      c.fromMacro = true;
    // What stands before `end` has been scanned: the replacement is written
    // back into it, ending where the call ended, so the text after the call
    // never moves (moving it made many calls on one line quadratic). Room
    // made in front is doubled each time it is needed.
    const size_t length = replacement.size();
    if (length > end) {
      const size_t room = std::max(length - end, work.size());
      work.insert(work.begin(), room, Cell{});
      end += room;
    }
    std::copy(replacement.begin(), replacement.end(), work.begin() + long(end - length));
    i = end - length;
    CheckSize(out.size() + work.size() - i);
  }
  --State().depth;
  return out;
}

} // namespace

namespace {

// Macro names are significant to the identifier length wherever they come
// from: a definition, a conditional's name, or a name met in expansion.
std::string_view MacroKey(std::string_view name) {
  return name.substr(0, WholeCharacterPrefix(name, kIdentifierLength));
}

} // namespace

MacroInfo *LookupMacro(std::string_view name) {
  auto it = State().table.find(MacroKey(name));
  return it == State().table.end() ? nullptr : &it->second;
}

const char *IsMacroDefined(const std::string &name) {
  MacroInfo *m = LookupMacro(name);
  return m ? m->body.c_str() : nullptr;
}

bool AddMacro(const std::string &name, const std::string &text, uint16_t paramCount, bool functionLike) {
  std::string body = Trimmed(text);
  auto [it, inserted] = State().table.try_emplace(std::string(MacroKey(name)));
  if (inserted) {
    it->second.paramCount = paramCount;
    it->second.functionLike = functionLike;
    it->second.body = std::move(body);
    return true;
  }
  if (it->second.body != body) {
    CompileWarningTrivial<kMsgRedefined>();
    return false;
  }
  return true;
}

bool DefineMacro(const std::string &name, const std::string &text) {
  return AddMacro(name, WithSourceEscapesDoubled(text), 0, false);
}

void SetPredefinedMacro(const std::string &name, const std::string &text) {
  MacroInfo &m = State().table[std::string(MacroKey(name))];
  m.paramCount = 0;
  m.functionLike = false;
  m.body = Trimmed(WithSourceEscapesDoubled(text));
}

void UndefineMacro(const std::string &name) {
  auto it = State().table.find(MacroKey(name));
  if (it == State().table.end())
    return;
  for (MacroInfo *&slot : State().slots)
    if (slot == &it->second)
      slot = nullptr;
  State().table.erase(it);
}

void ClearMacroTable() {
  ResetMacroExpansionState();
  State().table.clear();
}

void BeginCompileMacros(bool biosCompile) {
  ResetMacroExpansionState();
  if (biosCompile || !State().biosSnapshot)
    State().table.clear();
  else
    State().table = *State().biosSnapshot;
}

void EndBiosCompileMacros() {
  ResetMacroExpansionState();
  State().biosSnapshot = State().table;
}

void ResetMacroExpansionState() {
  for (MacroInfo *&slot : State().slots) {
    if (slot)
      slot->active = 0;
    slot = nullptr;
  }
  State().depth = 0;
}

void ResetMacroModule() {
  // The expansion slots point into the table: let go of them first.
  ResetMacroExpansionState();
  State().table.clear();
  State().biosSnapshot.reset();
}

namespace {
// The processor macros the dialect predefines, by their values; the first
// two are the processors a compile targets, in TargetCpu's order.
constexpr const char *kCpuNames[] = {"Z180", "CRV", "I8086", "I80186", "I80286", "I80386"};
}

void SetTargetCpuMacro(tsw::TargetCpu cpu) { SetPredefinedMacro("TARGETCPU", kCpuNames[int(cpu)]); }

void DefineTargetMacros(const PredefinedMacroSettings &settings) {
  ResetMacroExpansionState();
  if (settings.biosCompile) {
    State().table.clear();
    for (int i = 0; i < 6; ++i)
      SetPredefinedMacro(kCpuNames[i], std::to_string(i));
    SetTargetCpuMacro(settings.cpu);
  }
  SetPredefinedMacro("NO_BIOS", settings.ideBiosFlag ? "0" : "1");
  SetPredefinedMacro("DEBUG_RST", settings.ideRunMode == 1 ? "0" : "1");
  SetPredefinedMacro("_OFFLINE_COMPILE_", settings.withoutBoard ? "1" : "0");
}

namespace {

// True when the text from `p` on names no macro and holds no literal: its
// expansion is the text itself. Names are read as the expander reads them.
bool NothingToExpand(const char *p) {
  while (*p) {
    const char c = *p;
    if (c == '"' || c == '\'') {
      return false;
    } else if (c == '0') {
      ++p;
      const bool hex = *p == 'x' || *p == 'X';
      while (*p && (hex ? IsIdentChar(*p) : IsDigitChar(*p)))
        ++p;
    } else if (IsIdentStart(c)) {
      const char *start = p;
      while (IsIdentChar(*p))
        ++p;
      if (LookupMacro(std::string_view(start, size_t(p - start))))
        return false;
    } else {
      ++p;
    }
  }
  return true;
}

} // namespace

void ExpandMacros() {
  while (IsBlankChar(*InputCursor))
    ++InputCursor;
  // Most lines use no macro: they stay as they are, without being copied.
  if (CurrentLogicalLine().expandedEnd <= CursorIndex() && NothingToExpand(InputCursor))
    return;
  LogicalLineBuffer line = CurrentLogicalLine();
  size_t cursor = CursorIndex();
  State().depth = 0;
  Cells expanded;
  try {
    expanded = ExpandCells(CellsOfLine(line, cursor));
  } catch (const ExpansionTooDeep &) {
    // The rest of the line is dropped; the next line compiles.
    CompileError<kMsgTooManyActive>(kMaxExpansionDepth);
  }
  // Every marker has been passed: no replacement is still being scanned.
  ResetMacroExpansionState();
  // Macro text already after the cursor has lost its marks: it may be
  // anywhere in what follows.
  bool earlierMacroText = line.expandedEnd > cursor;
  line.text.resize(cursor);
  line.lines.resize(cursor);
  line.columns.resize(cursor);
  for (const Cell &c : expanded) {
    if (c.fromMacro || earlierMacroText)
      line.expandedEnd = line.text.size() + 1;
    line.text.push_back(c.c);
    line.lines.push_back(c.line);
    line.columns.push_back(c.column);
  }
  InstallLogicalLine(std::move(line), cursor);
}

void ExpandDirectiveOperand() {
  const uint16_t outer = SingleLineMode;
  SingleLineMode = 1;
  ExpandMacros();
  SingleLineMode = outer;
}

namespace {
MacroDefinedHook &DefinedHook() {
  static MacroDefinedHook hook = nullptr;
  return hook;
}
} // namespace

void DefineDirective() {
  SkipSpaces();
  std::string name;
  if (!ReadIdentifier(name)) {
    CompileError<kMsgIdentifierExpected>();
    return;
  }
  std::vector<std::string> params;
  bool functionLike = false;
  if (*InputCursor == '(') {
    functionLike = true;
    ++InputCursor;
    bool dropped = false;
    SkipSpaces();
    if (*InputCursor == ')') {
      ++InputCursor;
    } else {
      for (;;) {
        SkipSpaces();
        std::string param;
        if (!ReadIdentifier(param)) {
          CompileError<kMsgMissingParam>();
          while (*InputCursor && *InputCursor != ',' && *InputCursor != ')')
            ++InputCursor;
        } else if (params.size() == kMaxMacroArgs) {
          CompileError<kMsgTooManyParams>(int(kMaxMacroArgs));
          dropped = true;
        } else {
          for (const std::string &p : params)
            if (p == param && !dropped) {
              CompileError<kMsgRedeclared>(param);
              dropped = true;
            }
          params.push_back(param);
        }
        SkipSpaces();
        if (*InputCursor == ',') {
          ++InputCursor;
          continue;
        }
        if (*InputCursor == ')') {
          ++InputCursor;
          break;
        }
        CompileError<kMsgParamListOpen>();
        return;
      }
    }
    if (dropped)
      return;
  }
  char after = *InputCursor;
  if (after && !IsBlankChar(after) && !(CharClasses[uint8_t(after)] & kClassLineEnd)) {
    CompileError<kMsgBadAfterName>(std::string(1, after));
    return;
  }
  std::string body;
  auto copy = [&body](char c) {
    body.push_back(c);
    if (c == kEsc)
      body.push_back(kEsc);
  };
  const char *p = InputCursor;
  while (*p) {
    char c = *p;
    if (!params.empty() && (c == '"' || c == '\'') && (p == InputCursor || p[-1] != '\\')) {
      copy(*p++);
      while (*p && *p != c) {
        if (*p == '\\' && p[1])
          copy(*p++);
        copy(*p++);
      }
      if (*p)
        copy(*p++);
      continue;
    }
    if (!params.empty() && c == '0' && (p[1] == 'x' || p[1] == 'X')) {
      body.append(p, 2);
      p += 2;
      while (IsIdentChar(*p))
        copy(*p++);
      continue;
    }
    if (!params.empty() && IsIdentStart(c)) {
      const char *start = p;
      while (IsIdentChar(*p))
        ++p;
      std::string word(start, p);
      size_t k = 0;
      while (k < params.size() && params[k] != word)
        ++k;
      if (k < params.size()) {
        body.push_back(kEsc);
        body += std::to_string(k);
        body.push_back(kEsc);
      } else {
        body += word;
      }
      continue;
    }
    copy(*p++);
  }
  InputCursor = const_cast<char *>(p);
  AddMacro(name, body, uint16_t(params.size()), functionLike);
  if (DefinedHook())
    DefinedHook()(name);
}

void SetMacroDefinedHook(MacroDefinedHook hook) { DefinedHook() = hook; }

} // namespace tsw
