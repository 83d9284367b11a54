#include "compcore/cc_parse/expr/expr_tree.h"

#include "compcore/cc_parse/expr/cc_ast.h"

#include <algorithm>

namespace tsw {

namespace {

bool OneOf(int token, std::initializer_list<int> tokens) {
  return std::find(tokens.begin(), tokens.end(), token) != tokens.end();
}

constexpr uint8_t kMarkWithoutParent = 1;

void Mark(AST *node, NodeMark mark) {
  AST *parent = ParentNode(node);
  if (mark == NodeMark::kCleared)
    node->rootFlag = 0;
  else
    node->rootFlag = parent ? parent->rootFlag : kMarkWithoutParent;
}

} // namespace

int NodeToken(AST *node) { return node ? node->type() : 0; }

AST *FirstChild(AST *node) { return node ? node->firstChild() : nullptr; }

AST *NextSibling(AST *node) { return node ? node->nextSibling() : nullptr; }

AST *ParentNode(AST *node) { return node ? static_cast<AST *>(node->up()) : nullptr; }

AST *StepThrough(AST *node, std::initializer_list<int> tokens, NodeMark mark) {
  while (node && OneOf(node->type(), tokens)) {
    Mark(node, mark);
    node = node->firstChild();
  }
  return node;
}

AST *StepOnce(AST *node, std::initializer_list<int> tokens, NodeMark mark) {
  if (!node || !OneOf(node->type(), tokens))
    return node;
  Mark(node, mark);
  return node->firstChild();
}

bool IsComparisonRoot(AST *root) {
  return OneOf(NodeToken(root), {EQUAL, NOTEQUAL, LESSTHAN, GREATERTHAN, LESSTHANOREQUALTO, GREATERTHANOREQUALTO});
}

bool IsAssignmentToken(int token) {
  return OneOf(token, {ASSIGNEQUAL, TIMESEQUAL, DIVIDEEQUAL, MODEQUAL, PLUSEQUAL, MINUSEQUAL, SHIFTLEFTEQUAL,
                       SHIFTRIGHTEQUAL, BITWISEANDEQUAL, BITWISEXOREQUAL, BITWISEOREQUAL});
}

AST *StepIntoAssignment(AST *node) {
  if (!IsAssignmentToken(NodeToken(node)))
    return node;
  node->rootFlag = 0;
  return node->firstChild();
}

bool IsIntegerLiteralAssignment(AST *node) {
  if (NodeToken(node) != ASSIGNEQUAL)
    return false;
  return OneOf(NodeToken(NextSibling(FirstChild(node))), {DECIMALINT, HEXADECIMALINT, OCTALINT});
}

} // namespace tsw
