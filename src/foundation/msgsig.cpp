#include "foundation/msgsig.h"

#include "foundation/msgcatalog.h"
#include "platform/format.h"


namespace tsw {
namespace {

constexpr uint32_t kLargestMessageNumber = 65535;

bool KindOf(const plat::Conversion &conversion, ArgKind &kind) {
  const std::string &mod = conversion.lengthMod;
  if (conversion.starWidth || conversion.starPrecision)
    return false;
  if (mod == "l") {
    if (std::string_view("dilxXu").find(conversion.type) == std::string_view::npos)
      return false;
    kind = ArgKind::kLong;
    return true;
  }
  if (!mod.empty())
    return false;
  switch (conversion.type) {
  case 's': kind = ArgKind::kText; return true;
  case 'd': case 'i': kind = ArgKind::kInt; return true;
  case 'u': kind = ArgKind::kUnsigned; return true;
  case 'x': case 'X': kind = ArgKind::kHex; return true;
  case 'c': kind = ArgKind::kChar; return true;
  default: return false;
  }
}

const char *KindName(ArgKind kind) {
  switch (kind) {
  case ArgKind::kText: return "text";
  case ArgKind::kInt: return "int";
  case ArgKind::kUnsigned: return "unsigned";
  case ArgKind::kHex: return "hex";
  case ArgKind::kLong: return "long";
  case ArgKind::kChar: return "char";
  }
  return "?";
}

} // namespace

TextArgs ArgsOfText(std::string_view text) {
  TextArgs result;
  for (const plat::Conversion &conversion : plat::ParseConversions(text)) {
    if (conversion.type == '%')
      continue;
    ArgKind kind;
    if (KindOf(conversion, kind))
      result.kinds.push_back(kind);
    else
      result.ok = false;
  }
  return result;
}

std::vector<std::string> CheckMessageText(const MessageSignature &signature, std::string_view text) {
  std::vector<std::string> problems;
  auto say = [&](const std::string &what) { problems.push_back(std::to_string(signature.id) + ": " + what); };
  TextArgs found = ArgsOfText(text);
  if (!found.ok)
    say("a conversion that fits no argument kind");
  if (found.kinds.size() != signature.argCount) {
    say("takes " + std::to_string(found.kinds.size()) + " arguments, its callers give " +
        std::to_string(signature.argCount));
    return problems;
  }
  for (size_t i = 0; i < found.kinds.size(); ++i)
    if (found.kinds[i] != signature.args[i])
      say("argument " + std::to_string(i + 1) + " is " + KindName(found.kinds[i]) + ", its callers give " +
          KindName(signature.args[i]));
  return problems;
}

std::vector<std::string> CheckLanguageModule(const std::function<const char *(unsigned id)> &find) {
  std::vector<std::string> problems;
  for (const MessageSignature &signature : kMessageSignatures) {
    const char *text = find(signature.id);
    if (!text) {
      problems.push_back(std::to_string(signature.id) + ": no text");
      continue;
    }
    std::vector<std::string> more = CheckMessageText(signature, text);
    problems.insert(problems.end(), more.begin(), more.end());
  }
  for (uint32_t id = 0; id <= kLargestMessageNumber; ++id)
    if (find(id) && !FindMessageSignature(id))
      problems.push_back(std::to_string(id) + ": not in the catalogue");
  return problems;
}

const MessageSignature *FindMessageSignature(unsigned id) {
  size_t index = CatalogueIndex(id);
  return index == kNoCatalogueEntry ? nullptr : &kMessageSignatures[index];
}

} // namespace tsw
