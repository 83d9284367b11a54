#include "compcore/cc_parse/expr/expr_type_name.h"

#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/decl/cc_decl.h"
#include "compcore/cc_parse/decl/cc_declarator.h"
#include "compcore/cc_parse/expr/expr_walk.h"

#include <utility>

namespace tsw {

namespace {

class DeclaratorStateGuard {
public:
  DeclaratorStateGuard() : saved_(Declarator()) { Declarator() = {}; }
  ~DeclaratorStateGuard() { Declarator() = std::move(saved_); }
  DeclaratorStateGuard(const DeclaratorStateGuard &) = delete;
  DeclaratorStateGuard &operator=(const DeclaratorStateGuard &) = delete;

private:
  DeclaratorState saved_;
};

} // namespace

bool ReadTypeName(TypeName &name) {
  DeclaratorStateGuard guard;
  SkipBlanksAcrossLines();
  name.baseType = ParseBaseTypeOrTypedef();
  if (name.baseType == 0)
    return false;
  ParseTypeNameDeclarator(name.baseType);
  const DeclaratorState &s = Declarator();
  name.declarator = s.word;
  name.byteSize = s.byteSize;
  name.dimensionCount = s.dimensions.size();
  if (!s.dimensions.empty()) {
    Walk().typeNameDimensions.push_back(s.dimensions);
    name.dimensions = Walk().typeNameDimensions.back().data();
  }
  return true;
}

} // namespace tsw
