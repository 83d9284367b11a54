#pragma once

#include <cstdint>
#include <initializer_list>

class AST;

// The expression compiler's steps through the generated parser's tree. The
// text decides what is compiled: the tree is often missing (the grammar
// wants a closing ")") or shaped unlike the text, so every step takes and
// may give a null node, and marks are written on real nodes only.
namespace tsw {

int NodeToken(AST *node);
AST *FirstChild(AST *node);
AST *NextSibling(AST *node);
AST *ParentNode(AST *node);

// What a level writes into the mark of an operator node it passes.
enum class NodeMark : uint8_t {
  kCleared,
  // The parent's mark, 1 under no parent.
  kFromParent,
};

// While the node's token is one of `tokens`: mark it and go to its first
// child. The node reached.
AST *StepThrough(AST *node, std::initializer_list<int> tokens, NodeMark mark);
// The same for one node at most.
AST *StepOnce(AST *node, std::initializer_list<int> tokens, NodeMark mark);

// The root's token is one of the six comparisons.
bool IsComparisonRoot(AST *root);
// The token is "=" or one of the ten compound assignments.
bool IsAssignmentToken(int token);
// An assignment's node is passed, its mark cleared: its target's tree.
AST *StepIntoAssignment(AST *node);
// An "=" whose right operand is an integer literal.
bool IsIntegerLiteralAssignment(AST *node);

} // namespace tsw
