#include "compcore/cc_parse/decl/cc_params.h"
#include "foundation/msgnumbers.h"

#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/cc_loop.h"
#include "compcore/cc_parse/decl/cc_decl.h"
#include "compcore/cc_parse/decl/cc_decl_backend.h"
#include "compcore/cc_parse/decl/cc_declarator.h"
#include "compcore/common/cc_codegen.h"

#include <algorithm>
#include <vector>

namespace tsw {

namespace {

constexpr uint32_t kLetterDigits = 26;
constexpr char kUnnamedPrefix[] = "___";

struct ParameterNames {
  // Names of an old-style parameter list, which its declarations must use.
  std::vector<std::string> listed;
  uint32_t unnamed = 0;
};

ParameterNames &State() {
  static ParameterNames p;
  return p;
}

std::string Letters(uint32_t value) {
  std::string text;
  do {
    text.push_back(char('a' + value % kLetterDigits));
    value /= kLetterDigits;
  } while (value);
  return text;
}

// "shared", "protected" and "register" before a parameter's type.
void ParseParameterQualifiers() {
  DeclaratorState &s = Declarator();
  for (;;) {
    SkipBlanksAcrossLines();
    if (uint8_t qualifier = MatchMemberQualifier())
      s.memberQualifier = qualifier;
    else if (MatchKeyword("register"))
      continue;
    else if (MatchKeyword("const"))
      CompileError<kMsgConstNotAllowed>();
    else
      return;
  }
}

} // namespace

bool IsOldStyleParameterName(const std::string &name) {
  const std::vector<std::string> &names = State().listed;
  return std::find(names.begin(), names.end(), name) != names.end();
}

void ForgetParameterNames() { State().listed.clear(); }

std::string NextUnnamedParameterName() { return kUnnamedPrefix + Letters(++State().unnamed); }

// parameter-list = [ parameter { "," parameter } ] ")"
// parameter      = "..." | { qualifier } base-type declarator | name
int ParseParameterList() {
  DeclaratorState &s = Declarator();
  DeclarationBackEnd &backEnd = DeclBackEnd();
  ForgetParameterNames();
  int16_t storageClass = CodeGen().StaticFrame() ? kClassStaticLocal : kClassAutoLocal;
  int result = -1;
  bool typed = false, untyped = false, voidSeen = false, voidWarned = false;
  int parameters = 0;
  for (;;) {
    s.memberQualifier = kQualifierNone;
    s.constFlag = false;
    ParseParameterQualifiers();
    if (SkipAndMatch("...")) {
      backEnd.SetVariableArguments();
      result = 1;
    } else if (!IsIdentStart(*InputCursor)) {
      SkipAndMatch(")");
      return result;
    } else if (int16_t baseType = ParseBaseTypeOrTypedef()) {
      if (SkipAndMatch("const"))
        CompileError<kMsgConstNotAllowed>();
      if (untyped)
        CompileWarningTrivial<kMsgTypedAfterUntyped>();
      typed = true;
      DeclareDeclarators(baseType, storageClass, kLevelPrototypeParameters, false);
      // "void" stands alone: beside other parameters it is a mistake.
      const bool plainVoid = IsPlainVoidDeclarator(baseType);
      if (!voidWarned && ((plainVoid && parameters > 0) || voidSeen)) {
        CompileWarningTrivial<kMsgVoidParameter>();
        voidWarned = true;
      }
      voidSeen = voidSeen || plainVoid;
      ++parameters;
      result = std::max(result, 1) + (plainVoid ? 0 : 1);
    } else if (typed) {
      CompileWarningTrivial<kMsgUntypedAfterTyped>();
      DeclareDeclarators(kTypeInt, storageClass, kLevelPrototypeParameters, false);
    } else {
      std::string name;
      ReadIdentifier(name);
      State().listed.push_back(name);
      untyped = true;
      result = 0;
    }
    if (SkipAndMatch(","))
      continue;
    if (MatchKeyword(")") || *InputCursor == ';' || *InputCursor == '{')
      return result;
    CompileError<kMsgExpected>("','");
    return result;
  }
}

int ParseOldStyleParameters() {
  DeclaratorState &s = Declarator();
  int read = 0;
  for (;;) {
    SkipBlanksAcrossLines();
    if (EndOfInput || *InputCursor == '#')
      return read;
    s.memberQualifier = kQualifierNone;
    s.constFlag = false;
    ParseParameterQualifiers();
    int16_t baseType = ParseBaseTypeOrTypedef();
    if (!baseType)
      return read;
    if (SkipAndMatch("const"))
      CompileError<kMsgConstNotAllowed>();
    DeclareDeclarators(baseType, kClassAutoLocal, kLevelOldStyleParameters, false);
    ExpectSemicolon();
    read = 1;
  }
}

void ResetParameterNames() { State() = ParameterNames{}; }

} // namespace tsw
