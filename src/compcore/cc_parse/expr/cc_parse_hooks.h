#pragma once

#include <cstdint>

namespace tsw {

// What the generated parser asks of the compiler and tells it while it reads
// a type name. The defaults are this system's: every name is a type name and
// the notifications do nothing.
class ParserHooks {
public:
  virtual ~ParserHooks() = default;
  virtual bool isTypeName(const char *) { return true; }
  virtual void beginParameterDeclaration() {}
  virtual void endParameterDeclaration() {}
  virtual void beginStructDeclaration() {}
  virtual void endStructDeclaration() {}
  virtual void setDeclarationSpecifiers(uint32_t, uint32_t, uint32_t) {}
  virtual void beginStructBody(uint32_t, const char *) {}
  virtual void endStructBody() {}
  virtual void setPointerQualifiers(uint32_t) {}
  virtual void declaratorName(const char *) {}
  virtual void arraySuffix() {}
  virtual void beginFunctionParameters() {}
  virtual void endFunctionParameters() {}
};

// Where the parser's own texts go. They are never diagnostics: nearly every
// valid statement fails this grammar by design. The IDE drops them.
class ParserOutput {
public:
  virtual ~ParserOutput() = default;
  virtual void write(const char *text) = 0;
};

} // namespace tsw
