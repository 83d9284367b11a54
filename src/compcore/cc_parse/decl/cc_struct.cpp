#include "compcore/cc_parse/decl/cc_struct.h"
#include "foundation/msgnumbers.h"

#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_parse/cc_loop.h"
#include "compcore/cc_parse/decl/cc_decl.h"
#include "compcore/cc_parse/decl/cc_declarator.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace tsw {

namespace {

int16_t TypeIdOf(const TypeRecord *type) {
  for (int16_t id = kFirstTypeId; id <= kLastTypeId; ++id)
    if (TypeRecordAt(id) == type)
      return id;
  return -1;
}

void MemberKey(std::string_view name, int16_t typeId, char (&key)[kNameBufferSize]) {
  std::string_view cut = name.substr(0, kIdentifierLength);
  std::memcpy(key, cut.data(), cut.size());
  key[cut.size()] = '\0';
  MakeStaticName(key, uint16_t(typeId));
}

// Lays the members of one type out as they are declared.
class MemberLayout {
public:
  MemberLayout(TypeRecord *type, int16_t id, bool isUnion) : type_(type), id_(id), isUnion_(isUnion) {}

  // The member just parsed by the declarator parser.
  void Add(int16_t baseType, uint8_t qualifier) {
    const DeclaratorState &s = Declarator();
    if (s.name.empty()) {
      CompileError<kMsgIdentifierExpected>();
      return;
    }
    if (s.tooComplex)
      return;
    if (count_++ >= kMaxMembers) {
      if (count_ == kMaxMembers + 1)
        CompileError<kMsgTooManyMembers>(int(kMaxMembers));
      return;
    }
    if (baseType == id_ && !HasLevel(s.word, kLevelPointer)) {
      CompileError<kMsgContainsItself>();
      return;
    }
    if (s.byteSize == 0 && !s.tooLarge)
      CompileError<kMsgSizeZero>();
    uint16_t offset = isUnion_ ? 0 : uint16_t(offset_);
    // The name is made unique once: making it warns about a reserved word.
    char key[kNameBufferSize];
    MemberKey(s.name, id_, key);
    SymbolRecord *member = LookupSymbol(key, true, SymbolTableId::kGlobal);
    if (member) {
      if (member->definition != offset || member->declarator != s.word || member->type != uint8_t(baseType))
        CompileError<kMsgRedeclared>(s.name);
    } else {
      member = AddSymbol(key, s.word, baseType, offset, kKindMember, s.dimensions);
      MarkConstObject(*member);
      member->flagsA = uint8_t(member->flagsA | (qualifier << kFlagsAQualifierShift));
    }
    PushTypeMember(type_, member);
    offset_ += s.byteSize;
    size_ = isUnion_ ? std::max(size_, uint32_t(s.byteSize)) : offset_;
  }

  // The type's size, refused when a 16-bit size cannot hold it.
  void Finish() {
    if (size_ > kMaxObjectBytes) {
      ReportObjectTooLarge();
      size_ = 0;
    }
    type_->size = uint16_t(size_);
  }

private:
  TypeRecord *type_;
  int16_t id_;
  bool isUnion_;
  uint32_t offset_ = 0;
  uint32_t size_ = 0;
  unsigned count_ = 0;
};

// member-qualifiers = { "shared" | "protected" | "const" | "volatile" }
// Gives the sharing qualifier; "const" marks the member's declarators.
uint8_t ParseMemberQualifiers(DeclaratorState &s) {
  uint8_t sharing = kQualifierNone;
  for (;;) {
    if (uint8_t qualifier = MatchMemberQualifier())
      sharing = qualifier;
    else if (MatchKeyword("const"))
      s.constFlag = true;
    else if (!MatchKeyword("volatile"))
      return sharing;
  }
}

// members = { member-qualifiers base-type [ "const" ] declarator { "," declarator } ";" } "}"
// False after a member without a type.
bool ParseMembers(MemberLayout &layout) {
  DeclaratorState &s = Declarator();
  for (;;) {
    if (SkipAndMatch("}") || EndOfInput)
      return true;
    s.constFlag = false;
    uint8_t qualifier = ParseMemberQualifiers(s);
    int16_t baseType = ParseBaseTypeOrTypedef();
    if (!baseType) {
      std::string name;
      ReadIdentifier(name);
      CompileError<kMsgMemberWithoutType>(name);
      return false;
    }
    if (SkipAndMatch("const")) {
      if (s.constFlag)
        CompileError<kMsgConstTwice>();
      s.constFlag = true;
    }
    do {
      ParseDeclarator(baseType);
      layout.Add(baseType, qualifier);
    } while (SkipAndMatch(","));
    ExpectSemicolon();
  }
}

} // namespace

int16_t ParseStructOrUnion(bool isUnion) {
  SkipBlanksAcrossLines();
  std::string tag;
  ReadIdentifier(tag);
  TypeRecord *type = tag.empty() ? nullptr : FindTypeByName(tag);
  int16_t id = type ? TypeIdOf(type) : -1;
  if (!SkipAndMatch("{")) {
    if (!type)
      CompileError<kMsgUnknownTag>(tag);
    return type ? id : int16_t(kTypeInt);
  }
  if (type) {
    CompileWarningSerious<kMsgRedeclared>(tag);
    type->members.clear();
  } else if (!(type = NewTypeRecord(tag, &id))) {
    return -1;
  }
  // Members go through the declarator parser of the declaration that
  // names this type; that declaration's state is put back afterwards.
  DeclaratorState outer = Declarator();
  Declarator() = DeclaratorState{};
  MemberLayout layout(type, id, isUnion);
  bool complete = ParseMembers(layout);
  layout.Finish();
  Declarator() = std::move(outer);
  return complete ? id : -1;
}

SymbolRecord *FindMember(std::string_view name, int16_t typeId) {
  char key[kNameBufferSize];
  MemberKey(name, typeId, key);
  return LookupSymbol(key, true, SymbolTableId::kGlobal);
}

} // namespace tsw
