#pragma once

#include "compcore/cc_gen/codegen_layer.h"
#include "compcore/cc_gen/emission_state.h"
#include "compcore/cc_gen/instructions.h"
#include "compcore/cc_gen/operand_moves.h"
#include "compcore/cc_gen/target_modes.h"
#include "compcore/cc_in/cc_attrs.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/expr/expr_unary.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/codegen_fixture.h"
#include "compcore/common/cc_storage.h"

#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

// Expressions compiled to code inside a function being compiled: the
// product's own layer above instruction emission, symbols entered as the
// declaration parser enters them (globals at fixed addresses, locals at
// frame offsets), and the text read at the cursor as one logical line.
namespace tsw::testing {

class ExprCodeTest : public CodegenTest {
protected:
  static constexpr uint16_t kCodeStart = 0x1000;

  void SetUp() override {
    CodegenTest::SetUp();
    upcalls.reset();
    SetCodegenUpcalls(&CodegenLayerUpcalls());
    SingleLineMode = 1;
  }
  void TearDown() override {
    SingleLineMode = 0;
    UnarySwitches() = {};
    Attributes().current = 0;
    CodegenTest::TearDown();
  }

  static SymbolRecord *Global(const char *name, uint8_t type, uint16_t address, uint32_t declarator = 0,
                              std::span<const uint16_t> dimensions = {}) {
    SymbolRecord *symbol = AddSymbol(name, declarator, type, 0, kClassGlobal, dimensions);
    symbol->address = symbol->addressCopy = Addr24ToLong(MakeAddr24(0, address));
    return symbol;
  }
  static SymbolRecord *Local(const char *name, uint8_t type, int16_t offset, uint32_t declarator = 0,
                             std::span<const uint16_t> dimensions = {}) {
    return AddSymbol(name, declarator, type, uint16_t(offset), kClassAutoLocal, dimensions);
  }

  struct Member {
    const char *name;
    uint8_t type;
    uint16_t offset;
  };
  // Entered as the declaration parser enters a structure: its type record
  // and its members under their structure's key. The type code.
  static uint8_t DeclareStructure(const char *tag, std::initializer_list<Member> members, uint16_t size) {
    int16_t id = 0;
    TypeRecord *type = NewTypeRecord(tag, &id);
    type->size = size;
    for (const Member &m : members) {
      char key[kNameBufferSize] = {};
      std::strncpy(key, m.name, sizeof key - 1);
      MakeStaticName(key, uint16_t(id));
      PushTypeMember(type, AddSymbol(key, kLevelNone, m.type, m.offset, kClassMember));
    }
    return uint8_t(id);
  }

  // Makes `text` the current logical line, the cursor at its start.
  static void Line(const std::string &text) {
    LogicalLineBuffer line;
    line.text = text;
    for (size_t i = 0; i < text.size(); ++i) {
      line.lines.push_back(1);
      line.columns.push_back(uint16_t(i + 1));
    }
    InstallLogicalLine(std::move(line), 0);
    InputColumn = 0;
  }

  // Compiles `text` with `level` (the unary level unless told otherwise)
  // into fresh code at 1000 on `cpu`; the bytes it emitted.
  std::vector<uint8_t> CompileAt(TargetCpu cpu, const std::string &text, ValueRecord &value,
                                 const std::function<void(ValueRecord &)> &level = [](ValueRecord &v) { GenerateUnaryExpression(v); }) {
    ResetInstructionEmission();
    ResetOperandMoves();
    Caches().rootCode->SetEmitAddress(MakeAddr24(0, kCodeStart));
    Caches().currentCode = Caches().rootCode;
    writer.runs.clear();
    sink.records.clear();
    SelectTargetCpu(cpu);
    Line(text);
    value = {};
    level(value);
    return Emitted();
  }
};

} // namespace tsw::testing
