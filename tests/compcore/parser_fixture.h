#pragma once

// Include before gtest: the parser base class has a member named FAIL,
// which is also a gtest macro.

#include <string>
#include <vector>

#include "tokens.h"
#include "CParser.h"

#include "compcore/cc_parse/expr/cc_parse_box.h"

namespace tsw::test {

// Records every hook call as one line, so a table can say what a type name
// told the compiler.
class RecordingHooks : public ParserHooks {
public:
  std::vector<std::string> calls;
  bool typeNames = true;

  bool isTypeName(const char *) override { return typeNames; }
  void setDeclarationSpecifiers(uint32_t sc, uint32_t q, uint32_t t) override {
    calls.push_back("spec " + std::to_string(sc) + " " + std::to_string(q) + " " + std::to_string(t));
  }
  void beginStructBody(uint32_t bits, const char *tag) override {
    calls.push_back("body " + std::to_string(bits) + " " + tag);
  }
  void setPointerQualifiers(uint32_t q) override { calls.push_back("ptr " + std::to_string(q)); }
  void declaratorName(const char *name) override { calls.push_back(std::string("name ") + name); }
  void arraySuffix() override { calls.push_back("array"); }
  void beginFunctionParameters() override { calls.push_back("params"); }
  void beginParameterDeclaration() override { calls.push_back("param"); }
};

class CapturedOutput : public ParserOutput {
public:
  std::string text;
  void write(const char *t) override { text += t; }
};

// The tree as text: NAME for a leaf, NAME(children) for an inner node,
// siblings separated by blanks. Identifiers and constants show their text.
inline std::string Dump(AST *node) {
  std::string out;
  for (; node; node = node->nextSibling()) {
    if (!out.empty())
      out += ' ';
    int type = node->type();
    bool showText = type == IDENTIFIER || (type >= OCTALINT && type <= HEXADECIMALINT) ||
                    type == FLOATONE || type == FLOATTWO;
    out += showText ? node->text() : CParser::tokenName(type);
    if (AST *child = node->firstChild())
      out += "(" + Dump(child) + ")";
  }
  return out;
}

} // namespace tsw::test
