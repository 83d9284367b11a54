#pragma once

#include "compcore/cc_gen/code_output.h"
#include "compcore/cc_gen/emit_cache.h"
#include "compcore/cc_gen/origins.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/cc_loop.h"
#include "compcore/cc_parse/decl/cc_decl_backend.h"
#include "compcore/cc_parse/expr/expr_entry.h"
#include "compcore/cc_parse/expr/expr_walk.h"
#include "compcore/cc_reloc/fixups.h"
#include "compcore/cc_rom/shadow_image.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/program_compile_fixture.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// Function bodies made of expression statements only, compiled by the
// product's assembly with this stand-in for the function compiler: each
// statement goes through the expression compiler's statement entry, and the
// body ends in a return so that its code can run.
namespace tsw::testing {

class ExpressionBodies : public DeclarationBackEnd {
public:
  struct Body {
    ADDR24 start, end;
    // The routine each call still waiting for its label names, by the
    // offset of its address in the body.
    std::map<size_t, std::string> routineAt;
  };
  std::vector<Body> bodies;

  bool CompileFunctionBody(int, int16_t, int16_t, uint16_t) override {
    SkipBlanksAcrossLines();
    if (*InputCursor == '(')
      while (*InputCursor && ConsumeChar() != ')') {
      }
    SkipBlanksAcrossLines();
    if (!MatchKeyword("{"))
      return false;
    AttachCodeOrigin();
    Body body;
    body.start = Caches().currentCode->Current();
    for (;;) {
      if (SkipToOperand() == '}' || EndOfInput) {
        if (!EndOfInput)
          ConsumeChar();
        break;
      }
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

protected:
  // The driver attaches no origin to the Z180's root code cache yet: the
  // bodies get one of their own, read by the real origin parser.
  static void AttachCodeOrigin() {
    const OriginDirective *origin = Caches().rootCode->AttachedOrigin();
    if (origin && origin->name == kOriginName)
      return;
    LogicalLineBuffer saved = CurrentLogicalLine();
    const size_t cursor = CursorIndex();
    const std::string text = std::string(kOriginName) + " 0 0x4000 0x3000 apply";
    InstallLogicalLine({text, std::vector<uint16_t>(text.size() + 1, 1), std::vector<uint16_t>(text.size() + 1, 1)},
                       0);
    ParseOriginDirective(kRootCodeOrigin, Caches().rootCode);
    InstallLogicalLine(std::move(saved), cursor);
    Caches().currentCode = Caches().rootCode;
  }
  static void NoteRoutineSites(Body &body) {
    for (const std::string &label : PendingLabelList()) {
      const BRFixupRec *record = FindGlobalLabel(label);
      for (const auto &item : record ? record->pending : std::vector<std::shared_ptr<BRFixupItem>>{}) {
        const ADDR24 at = Addr24FromLong(item->patchAddress);
        if (at.logical >= body.start.logical && at.logical < body.end.logical)
          body.routineAt[size_t(at.logical - body.start.logical)] = label;
      }
    }
  }
  static constexpr int32_t kRootCodeOrigin = 1;
  static constexpr const char *kOriginName = "exprcode";
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
  static uint16_t AddressOf(const char *name) {
    const SymbolRecord *symbol = LookupSymbol(name, false, SymbolTableId::kGlobal);
    return symbol ? Addr24FromLong(symbol->address).logical : 0;
  }

  ExpressionBodies bodies;
};

} // namespace tsw::testing
