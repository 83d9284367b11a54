#pragma once

#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/origins.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/cc_loop.h"
#include "compcore/cc_parse/decl/cc_decl_backend.h"
#include "compcore/cc_parse/expr/expr_entry.h"
#include "compcore/cc_parse/expr/expr_walk.h"
#include "compcore/cc_parse/stmt/function_body.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_rom/shadow_image.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/declared_function.h"
#include "compcore/decode_check.h"
#include "compcore/program_compile_fixture.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Function bodies compiled by the product's assembly on the Z180, placed
// where a test can run them: bodies of expression statements only, with a
// stand-in for the function compiler that sends each statement through the
// expression compiler's statement entry and ends in a return, or whole
// functions through the product's own function compiler.
namespace tsw::testing {

struct CompiledBody {
  ADDR24 start, end;
  // The routine each call still waiting for its label names, by the
  // offset of its address in the body.
  std::map<size_t, std::string> routineAt;
};

// The bodies' code goes where the test runs it, by an origin of their own
// read by the real origin parser, in place of the one the driver makes for
// the Z180's root code ("$rootcode") over the memory map; an origin the
// program placed its code by stays.
inline void AttachTestCodeOrigin(uint16_t address) {
  constexpr const char *kTestOrigin = "exprcode";
  const OriginDirective *origin = Caches().rootCode->AttachedOrigin();
  if (origin && (origin->name == kTestOrigin || origin->name.rfind('$', 0) != 0))
    return;
  LogicalLineBuffer saved = CurrentLogicalLine();
  const size_t cursor = CursorIndex();
  const std::string text = fmt::format("{} 0 {:#06x} 0x2000 apply", kTestOrigin, address);
  InstallLogicalLine({text, std::vector<uint16_t>(text.size() + 1, 1), std::vector<uint16_t>(text.size() + 1, 1)}, 0);
  constexpr int32_t kRootCodeOrigin = 1;
  ParseOriginDirective(kRootCodeOrigin, Caches().rootCode);
  InstallLogicalLine(std::move(saved), cursor);
  Caches().currentCode = Caches().rootCode;
}

inline void NoteRoutineSites(CompiledBody &body) {
  for (const std::string &label : PendingLabelList()) {
    const BRFixupRec *record = FindGlobalLabel(label);
    for (const auto &item : record ? record->pending : std::vector<std::shared_ptr<BRFixupItem>>{}) {
      const ADDR24 at = Addr24FromLong(item->patchAddress);
      if (at.logical >= body.start.logical && at.logical < body.end.logical)
        body.routineAt[size_t(at.logical - body.start.logical)] = label;
    }
  }
}

class ExpressionBodies : public DeclarationBackEnd {
public:
  using Body = CompiledBody;
  std::vector<Body> bodies;
  // Where the code goes when the program places none.
  uint16_t originAddress = 0x2000;
  // Attributes the function is compiled with beyond its declaration's.
  uint32_t extraAttributes = 0;
  // What the statement compiler around each statement would have set.
  std::function<void()> beforeEachStatement;

  bool CompileFunctionBody(int, int16_t, int16_t, uint16_t) override {
    const std::string name = DeclaredFunctionName();
    SkipBlanksAcrossLines();
    if (*InputCursor == '(')
      while (*InputCursor && ConsumeChar() != ')') {
      }
    SkipBlanksAcrossLines();
    if (!MatchKeyword("{"))
      return false;
    AttachCodeOrigin();
    // The stand-in compiles without debug code (its statement hooks are the
    // function compiler's) unless a test asks for attributes of its own.
    Attributes().current = (Attributes().declaration & ~uint32_t(kAttrDebug | kAttrStep)) | extraAttributes;
    Body body;
    body.start = Caches().currentCode->Current();
    // Calls of the function reach it, as the function compiler's would.
    DefineLabel(name, Addr24ToLong(body.start), kFixGlobal);
    for (;;) {
      if (SkipToOperand() == '}' || EndOfInput) {
        if (!EndOfInput)
          ConsumeChar();
        break;
      }
      if (beforeEachStatement)
        beforeEachStatement();
      CompileExpressionForEffect(false);
      ExpectChar(';');
    }
    constexpr uint8_t kReturn = 0xC9;
    EmitCodeByte(kReturn);
    body.end = Caches().currentCode->Current();
    NoteRoutineSites(body);
    bodies.push_back(body);
    return true;
  }

  void AttachCodeOrigin() const { AttachTestCodeOrigin(originAddress); }
};

// The product's own function compiler, with the code placed as above.
class PlacedFunctionBodies : public FunctionCompilerBackEnd {
public:
  bool CompileFunctionBody(int declaratorResult, int16_t baseType, int16_t storageClass,
                           uint16_t memoryCode) override {
    AttachTestCodeOrigin(originAddress);
    CompiledBody body;
    body.start = Caches().currentCode->Current();
    const bool compiled =
        FunctionCompilerBackEnd::CompileFunctionBody(declaratorResult, baseType, storageClass, memoryCode);
    body.end = Caches().currentCode->Current();
    if (compiled) {
      NoteRoutineSites(body);
      bodies.push_back(body);
    }
    return compiled;
  }

  std::vector<CompiledBody> bodies;
  uint16_t originAddress = 0x2000;
};

class ExpressionBodyTest : public ProgramCompileTest {
protected:
  ExpressionBodyTest() { backEnd = &bodies; }

  // The code of the program's function bodies, in their order.
  std::vector<uint8_t> BodyBytes(size_t index = 0) {
    if (index >= bodies.bodies.size()) {
      ADD_FAILURE() << "no function body " << index << " compiled";
      return {};
    }
    const ExpressionBodies::Body &body = bodies.bodies[index];
    std::vector<uint8_t> bytes(Addr24Difference(body.end, body.start));
    EXPECT_TRUE(ReadEmittedBytes(body.start, uint32_t(bytes.size()), bytes.data()));
    return bytes;
  }
  // A global's address; a function's or a linked routine's where its
  // label was placed (the stand-in for the function compiler sets no
  // symbol's address).
  static uint16_t AddressOf(const char *name) {
    if (const uint16_t label = LabelAddress(name))
      return label;
    const SymbolRecord *symbol = LookupSymbol(name, false, SymbolTableId::kGlobal);
    return symbol ? Addr24FromLong(symbol->address).logical : 0;
  }

  ExpressionBodies bodies;
};

} // namespace tsw::testing
