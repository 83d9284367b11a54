/*
 * Grammar of the expression parser. The hand-written expression compiler
 * hands it one piece of text at a time (an expression list closed by ")"),
 * and walks the tree it builds. Generated at build time with
 * "antlr -CC -k 2 -gt" and "dlg -CC -C2".
 */
#header <<
#include "compcore/cc_parse/expr/cc_ast.h"
#include "compcore/cc_parse/expr/cc_parse_hooks.h"
#include <cstdarg>
#include <cstdint>
#include <map>
#include <set>
#include <utility>
// Each guess passes the parser, which remembers the ones that failed.
#define zzUSER_GUESS_HOOK(seq, failed) guessStarted(__func__, seq, failed);
#define zzUSER_GUESS_DONE_HOOK(seq) guessDone(seq);
>>

#lexprefix <<
#include "compcore/cc_parse/expr/cc_parse_panic.h"
>>

#lexmember <<
public:
  // Panics end in the parser's, which throws instead of leaving the program.
  void panic(const char *msg) override;

private:
  // A numeric escape stands for one byte: the low 8 bits of its value.
  char escapeValue(int base);
  void setLineFromDirective();
>>

#lexclass START
#token Eof "@"
#token LCURLYBRACE "\{"
#token RCURLYBRACE "\}"
#token LSQUAREBRACKET "\["
#token RSQUAREBRACKET "\]"
#token LPARENTHESIS "\("
#token RPARENTHESIS "\)"
#token COLON ":"
#token SEMICOLON ";"
#token COMMA ","
#token QUESTIONMARK "\?"
#token ELLIPSIS "\.\.\."
#token ASSIGNEQUAL "="
#token TIMESEQUAL "\*="
#token DIVIDEEQUAL "/="
#token MODEQUAL "%="
#token PLUSEQUAL "\+="
#token MINUSEQUAL "\-="
#token SHIFTLEFTEQUAL "\<\<="
#token SHIFTRIGHTEQUAL "\>\>="
#token BITWISEANDEQUAL "&="
#token BITWISEXOREQUAL "\^="
#token BITWISEOREQUAL "\|="
#token OR "\|\|"
#token AND "&&"
#token BITWISEOR "\|"
#token BITWISEXOR "\^"
#token AMPERSAND "&"
#token EQUAL "=="
#token NOTEQUAL "!="
#token LESSTHAN "\<"
#token GREATERTHAN "\>"
#token LESSTHANOREQUALTO "\<="
#token GREATERTHANOREQUALTO "\>="
#token SHIFTLEFT "\<\<"
#token SHIFTRIGHT "\>\>"
#token PLUS "\+"
#token MINUS "\-"
#token STAR "\*"
#token DIVIDE "/"
#token MOD "%"
#token PLUSPLUS "\+\+"
#token MINUSMINUS "\-\-"
#token ONESCOMPLEMENT "\~"
#token NOT "!"
#token DOT "\."
#token POINTERTO "\-\>"
#token PCCTS_AUTO "auto"
#token BREAK "break"
#token CASE "case"
#token PCCTS_CHAR "char"
#token PCCTS_CONST "const"
#token CONTINUE "continue"
#token PCCTS_DEFAULT "default"
#token DO "do"
#token PCCTS_DOUBLE "double"
#token ELSE "else"
#token ENUM "enum"
#token EXTERN "extern"
#token PCCTS_FLOAT "float"
#token FOR "for"
#token GOTO "goto"
#token IF "if"
#token PCCTS_INT "int"
#token PCCTS_LONG "long"
#token PCCTS_REGISTER "register"
#token RETURN "return"
#token PCCTS_SHORT "short"
#token SIGNED "signed"
#token SIZEOF "sizeof"
#token PCCTS_STATIC "static"
#token STRUCT "struct"
#token SWITCH "switch"
#token PCCTS_TYPEDEF "typedef"
#token UNION "union"
#token UNSIGNED "unsigned"
#token PCCTS_VOID "void"
#token VOLATILE "volatile"
#token WHILE "while"
#token WAITFORDONE "waitfordone"
#token OCTALINT "0[0-7]*{[uUlL]}"
#token DECIMALINT "[1-9][0-9]*{[uUlL]}"
#token HEXADECIMALINT "0[xX][0-9a-fA-F]+{[uUlL]}"
#token "'" << mode(CHARSTART); more(); >>
#token "\"" << mode(STR); more(); >>
#token FLOATONE "([0-9]+\.[0-9]* | \.[0-9]+) {[eE]{[\+\-]}[0-9]+} {[fFlL]}"
#token FLOATTWO "[0-9]+[eE]{[\+\-]}[0-9]+{[fFlL]}"
#token IDENTIFIER "[a-zA-Z_][a-zA-Z0-9_]*"
#token "/\*" << mode(COMMENT); skip(); >>
#token "[\t\ ]+" << skip(); >>
#token "[\0xb\0xc]+" << skip(); >>
#token "[\n\r]" << newline(); skip(); >>
#token "#pragma ~[\n]*" << newline(); skip(); >>
#token "#[\ \t]* [0-9]+ ~[\n]*\n" << setLineFromDirective(); skip(); >>

#lexclass COMMENT
#token "[\n\r]" << skip(); newline(); >>
#token "\*/" << mode(START); skip(); >>
#token "\*" << skip(); >>
#token "~[\*\n\r]+" << skip(); >>

#lexclass STR
#token STRING "\"" << mode(START); >>
#token "\\n" << replchar('\n'); more(); >>
#token "\\t" << replchar('\t'); more(); >>
#token "\\v" << replchar('\v'); more(); >>
#token "\\b" << replchar('\b'); more(); >>
#token "\\r" << replchar('\r'); more(); >>
#token "\\f" << replchar('\f'); more(); >>
#token "\\a" << replchar('\a'); more(); >>
#token "\\\\" << replchar('\\'); more(); >>
#token "\\?" << replchar('?'); more(); >>
#token "\\'" << replchar('\''); more(); >>
#token "\\\"" << replchar('"'); more(); >>
#token "\\0[0-7]*" << replchar(escapeValue(8)); more(); >>
#token "\\[1-9][0-9]*" << replchar(escapeValue(10)); more(); >>
#token "\\(0x|0X)[0-9a-fA-F]+" << replchar(escapeValue(16)); more(); >>
#token "[\n\r]" << newline(); more(); >>
#token "~[\"\n\r\\]+" << more(); >>

#lexclass CHARSTART
#token CHARACTER "'" << mode(START); >>
#token "\\n" << replchar('\n'); more(); mode(CHAREND); >>
#token "\\t" << replchar('\t'); more(); mode(CHAREND); >>
#token "\\v" << replchar('\v'); more(); mode(CHAREND); >>
#token "\\b" << replchar('\b'); more(); mode(CHAREND); >>
#token "\\r" << replchar('\r'); more(); mode(CHAREND); >>
#token "\\f" << replchar('\f'); more(); mode(CHAREND); >>
#token "\\a" << replchar('\a'); more(); mode(CHAREND); >>
#token "\\\\" << replchar('\\'); more(); mode(CHAREND); >>
#token "\\?" << replchar('?'); more(); mode(CHAREND); >>
#token "\\'" << replchar('\''); more(); mode(CHAREND); >>
#token "\\\"" << replchar('"'); more(); mode(CHAREND); >>
#token "\\0[0-7]*" << replchar(escapeValue(8)); more(); mode(CHAREND); >>
#token "\\[1-9][0-9]*" << replchar(escapeValue(10)); more(); mode(CHAREND); >>
#token "\\(0x|0X)[0-9a-fA-F]+" << replchar(escapeValue(16)); more(); mode(CHAREND); >>
#token "[\n\r]" << newline(); more(); >>
#token "~['\n\r\\]" << more(); mode(CHAREND); >>

#lexclass CHAREND
#token CHARACTER "'" << mode(START); >>

#lexclass START

class CParser {
<<
public:
  // Codes collected by the declaration rules.
  enum StorageClass { kNoStorage, kAuto, kRegister, kStatic, kExtern, kTypedef };
  enum Qualifier { kConst = 1, kVolatile = 2 };
  enum TypeBit {
    kVoid = 1, kChar = 2, kShort = 4, kInt = 8, kLong = 16, kFloat = 32,
    kDouble = 64, kSigned = 128, kUnsigned = 256, kTypedefName = 512,
    kStruct = 1024, kEnum = 2048, kUnion = 4096
  };
#include "compcore/cc_parse/expr/grammar/cparser_members.inc"
>>

expression
  : assignment_expression ( COMMA^ assignment_expression )* RPARENTHESIS
  ;
  exception
    default : << consumeUntilToken(RPARENTHESIS); syntaxErrCount++; suppressSignal; >>

assignment_expression
  : ( unary_expression assignment_operator )?
    unary_expression
    (   ASSIGNEQUAL^ | TIMESEQUAL^ | DIVIDEEQUAL^ | MODEQUAL^ | PLUSEQUAL^ | MINUSEQUAL^
      | SHIFTLEFTEQUAL^ | SHIFTRIGHTEQUAL^ | BITWISEANDEQUAL^ | BITWISEXOREQUAL^ | BITWISEOREQUAL^
    )
    assignment_expression
  | conditional_expression
  ;

/* Only the guess above uses it: the real alternative makes the operator the root. */
assignment_operator
  : ASSIGNEQUAL | TIMESEQUAL | DIVIDEEQUAL | MODEQUAL | PLUSEQUAL | MINUSEQUAL
  | SHIFTLEFTEQUAL | SHIFTRIGHTEQUAL | BITWISEANDEQUAL | BITWISEXOREQUAL | BITWISEOREQUAL
  ;

conditional_expression
  : logical_or_expression { QUESTIONMARK^ expression COLON! conditional_expression }
  ;

constant_expression
  : conditional_expression
  ;

logical_or_expression : logical_and_expression ( OR^ logical_and_expression )* ;
logical_and_expression : inclusive_or_expression ( AND^ inclusive_or_expression )* ;
inclusive_or_expression : exclusive_or_expression ( BITWISEOR^ exclusive_or_expression )* ;
exclusive_or_expression : and_expression ( BITWISEXOR^ and_expression )* ;
and_expression : equality_expression ( AMPERSAND^ equality_expression )* ;
equality_expression : relational_expression ( ( NOTEQUAL^ | EQUAL^ ) relational_expression )* ;
relational_expression
  : shift_expression
    ( ( LESSTHAN^ | GREATERTHAN^ | LESSTHANOREQUALTO^ | GREATERTHANOREQUALTO^ ) shift_expression )*
  ;
shift_expression : additive_expression ( ( SHIFTLEFT^ | SHIFTRIGHT^ ) additive_expression )* ;
additive_expression : multiplicative_expression ( ( PLUS^ | MINUS^ ) multiplicative_expression )* ;
multiplicative_expression : cast_expression ( ( STAR^ | DIVIDE^ | MOD^ ) cast_expression )* ;

cast_expression
  : <<isTypeName(LT(2)->getText())>>? LPARENTHESIS type_name RPARENTHESIS cast_expression
  | unary_expression
  ;

/* A guess parses the target of an assignment, and the target is parsed
   again once the guess succeeded: while guessing, a unary expression already
   parsed at a token place is passed over, not parsed once more, or nested
   targets would double the work at every level. */
unary_expression
  : << const uint32_t unaryStart = tokenPlace();
       if (guessing && passKnownUnary(unaryStart)) return; >>
    (   postfix_expression
      | PLUSPLUS^ unary_expression
      | MINUSMINUS^ unary_expression
      | unary_operator cast_expression
      | SIZEOF^ ( <<isTypeName(LT(2)->getText())>>? LPARENTHESIS! type_name RPARENTHESIS!
                | unary_expression
                )
      | waitfordone_expression
    )
    /* A predicate, which runs while guessing too; it always holds. */
    <<rememberUnary(unaryStart)>>?
  ;

unary_operator
  : AMPERSAND^ | STAR^ | PLUS^ | MINUS^ | ONESCOMPLEMENT^ | NOT^
  ;

postfix_expression
  : primary_expression
    (   LSQUAREBRACKET^ expression RSQUAREBRACKET!
      | LPARENTHESIS^ { argument_expression_list } RPARENTHESIS!
      | DOT^ IDENTIFIER
      | POINTERTO^ IDENTIFIER
      | PLUSPLUS^
      | MINUSMINUS^
    )*
  ;

primary_expression
  : IDENTIFIER
  | constant
  | ( STRING )+
  | LPARENTHESIS^ expression RPARENTHESIS
  ;

argument_expression_list
  : assignment_expression ( COMMA^ assignment_expression )*
  ;

constant
  : OCTALINT | DECIMALINT | HEXADECIMALINT | CHARACTER | FLOATONE | FLOATTWO
  ;

waitfordone_expression
  : WAITFORDONE^
    (   waitfordone_call
      | LCURLYBRACE! waitfordone_call ( SEMICOLON! waitfordone_call )* RCURLYBRACE!
    )
  ;

waitfordone_call
  : IDENTIFIER LPARENTHESIS^ { argument_expression_list } RPARENTHESIS!
  ;

/* Declarations: reached only through type_name, for casts and sizeof. */

type_name
  : specifier_qualifier_list abstract_declarator
  ;

specifier_qualifier_list
  : << int quals = 0, types = 0, bits = 0; >>
    (   type_specifier > [bits] << types = combineTypeSpecifiers(types, bits, LT(1)); >>
      | type_qualifier > [bits] << quals = addQualifier(quals, bits, LT(1)); >>
    )+
    << setDeclarationSpecifiers(kNoStorage, quals, types); >>
  ;

declaration_specifiers
  : << int storage = kNoStorage, quals = 0, types = 0, bits = 0; >>
    (   storage_class_specifier[storage] > [storage]
      | type_specifier > [bits] << types = combineTypeSpecifiers(types, bits, LT(1)); >>
      | type_qualifier > [bits] << quals = addQualifier(quals, bits, LT(1)); >>
    )+
    << setDeclarationSpecifiers(storage, quals, types); >>
  ;

storage_class_specifier[int prior] > [int code]
  : << if (!guessing && prior != kNoStorage) syntaxError("multiple storage classes", LT(1)); >>
    (   PCCTS_AUTO << $code = kAuto; >>
      | PCCTS_REGISTER << $code = kRegister; >>
      | PCCTS_STATIC << $code = kStatic; >>
      | EXTERN << $code = kExtern; >>
      | PCCTS_TYPEDEF << $code = kTypedef; >>
    )
  ;

type_specifier > [int bits]
  : PCCTS_VOID << $bits = kVoid; >>
  | PCCTS_CHAR << $bits = kChar; >>
  | PCCTS_SHORT << $bits = kShort; >>
  | PCCTS_INT << $bits = kInt; >>
  | PCCTS_LONG << $bits = kLong; >>
  | PCCTS_FLOAT << $bits = kFloat; >>
  | PCCTS_DOUBLE << $bits = kDouble; >>
  | SIGNED << $bits = kSigned; >>
  | UNSIGNED << $bits = kUnsigned; >>
  | struct_or_union_specifier > [$bits]
  | enum_specifier << $bits = kEnum; >>
  | typedef_name << $bits = kTypedefName; >>
  ;

typedef_name
  : <<isTypeName(LT(1)->getText())>>? IDENTIFIER
  ;

type_qualifier > [int bits]
  : PCCTS_CONST << $bits = kConst; >>
  | VOLATILE << $bits = kVolatile; >>
  ;

struct_or_union_specifier > [int bits]
  : (   STRUCT << $bits = kStruct; >>
      | UNION << $bits = kUnion; >>
    )
    (   IDENTIFIER
      | tag:IDENTIFIER LCURLYBRACE << beginStructBody($bits, $tag->getText()); >>
        ( struct_declaration )+ << endStructBody(); >> RCURLYBRACE
      | LCURLYBRACE << beginStructBody($bits, "anonymous"); >>
        ( struct_declaration )+ << endStructBody(); >> RCURLYBRACE
    )
  ;

struct_declaration
  : << if (!guessing) beginStructDeclaration(); >>
    specifier_qualifier_list struct_declarator_list SEMICOLON
    << endStructDeclaration(); >>
  ;

struct_declarator_list
  : struct_declarator ( COMMA struct_declarator )*
  ;

struct_declarator
  : declarator { COLON constant_expression }
  | COLON constant_expression
  ;

enum_specifier
  : ENUM
    (   IDENTIFIER { LCURLYBRACE enumerator_list RCURLYBRACE }
      | LCURLYBRACE enumerator_list RCURLYBRACE
    )
  ;

enumerator_list
  : enumerator ( COMMA enumerator )*
  ;

enumerator
  : IDENTIFIER { ASSIGNEQUAL constant_expression }
  ;

pointer > [int quals]
  : << int bits = 0; >>
    STAR ( type_qualifier > [bits] << $quals = addQualifier($quals, bits, LT(1)); >> )*
  ;

declarator
  : << int quals = 0; >>
    pointer > [quals] declarator << setPointerQualifiers(quals); >>
  | direct_declarator
  ;

direct_declarator
  : name:IDENTIFIER << declaratorName($name->getText()); >> ( declarator_suffix )*
  | LPARENTHESIS declarator RPARENTHESIS ( declarator_suffix )*
  ;

declarator_suffix
  : LSQUAREBRACKET { constant_expression } RSQUAREBRACKET << arraySuffix(); >>
  | LPARENTHESIS << beginFunctionParameters(); >>
    (   <<!isTypeName(LT(1)->getText())>>? identifier_list
      | parameter_type_list
      | << ; >>
    )
    RPARENTHESIS << endFunctionParameters(); >>
  ;

identifier_list
  : IDENTIFIER ( COMMA IDENTIFIER )*
  ;

parameter_type_list
  : parameter_list { COMMA ELLIPSIS }
  ;

parameter_list
  : parameter_declaration ( COMMA parameter_declaration )*
  ;

parameter_declaration
  : << if (!guessing) beginParameterDeclaration(); >>
    declaration_specifiers
    (   ( declarator )? declarator
      | abstract_declarator
    )
    << endParameterDeclaration(); >>
  ;

abstract_declarator
  : << int quals = 0; >>
    pointer > [quals] abstract_declarator << setPointerQualifiers(quals); >>
  | LPARENTHESIS abstract_declarator RPARENTHESIS ( abstract_declarator_suffix )+
  | ( LSQUAREBRACKET { constant_expression } RSQUAREBRACKET << arraySuffix(); >> )+
  | << ; >>
  ;

abstract_declarator_suffix
  : LSQUAREBRACKET { constant_expression } RSQUAREBRACKET << arraySuffix(); >>
  | LPARENTHESIS << beginFunctionParameters(); >>
    { parameter_type_list } RPARENTHESIS << endFunctionParameters(); >>
  ;

}
