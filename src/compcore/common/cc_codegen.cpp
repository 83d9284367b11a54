#include "compcore/common/cc_codegen.h"

namespace tsw {
namespace {

CodeGenerator *gCodeGenerator = nullptr;

} // namespace

void SetCodeGenerator(CodeGenerator *codeGenerator) { gCodeGenerator = codeGenerator; }

CodeGenerator &CodeGen() {
  static CodeGenerator neutral;
  return gCodeGenerator ? *gCodeGenerator : neutral;
}

} // namespace tsw
