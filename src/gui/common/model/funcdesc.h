#pragma once

#include "foundation/msgnumbers.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Library function descriptions: the block a library carries above each
// public function (its name, then SYNTAX:, DESCRIPTION:, PARAMETERn:,
// RETURN VALUE: and KEY WORDS: sections), split into sections, with the
// declaration on the SYNTAX line parsed for its return type, name and
// parameters.
namespace tsw {

struct FuncParameter {
  static constexpr size_t kTypeSize = 32;
  static constexpr size_t kNameSize = 32;
  static constexpr size_t kDescriptionSize = 2048;
  std::string type;        // at most kTypeSize characters
  std::string name;        // at most kNameSize characters; empty for a bare type
  std::string description; // at most kDescriptionSize characters
};

class FuncDescription {
public:
  // Message of every syntax error of a description.
  static constexpr uint16_t kSyntaxError = kMsgFunctionDescriptionSyntax;

  // Parses `text`; never fails. A syntax error is recorded in Error(), and
  // what was read before it and the sections after it stay.
  explicit FuncDescription(std::string_view text);

  const std::string &ReturnType() const { return returnType_; }
  const std::string &Name() const { return name_; }
  uint16_t ParameterCount() const { return static_cast<uint16_t>(parameters_.size()); }
  const std::vector<FuncParameter> &Parameters() const { return parameters_; }
  // A copy of parameter `index` (0-based); empty beyond the list.
  FuncParameter GetParameter(size_t index) const;
  const std::optional<std::string> &Syntax() const { return syntax_; }
  const std::optional<std::string> &Description() const { return description_; }
  const std::optional<std::string> &ReturnValue() const { return returnValue_; }
  const std::optional<std::string> &KeyWords() const { return keyWords_; }
  bool Variadic() const { return variadic_; }
  uint16_t Error() const { return error_; }

private:
  friend class FuncDescParser;

  std::string returnType_, name_;
  std::vector<FuncParameter> parameters_;
  std::optional<std::string> syntax_, description_, returnValue_, keyWords_;
  bool variadic_ = false;
  uint16_t error_ = 0;
};

} // namespace tsw
