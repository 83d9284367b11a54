# The expression parser is generated at build time from cparser.g with the
# PCCTS tools, and links a small library built from the support sources that
# the pccts package installs next to its headers.
find_program(ANTLR_EXECUTABLE antlr REQUIRED)
find_program(DLG_EXECUTABLE dlg REQUIRED)
find_path(PCCTS_INCLUDE_DIR AParser.cpp PATH_SUFFIXES pccts REQUIRED)

set(PCCTS_SUPPORT_SOURCES
    ${PCCTS_INCLUDE_DIR}/AParser.cpp
    ${PCCTS_INCLUDE_DIR}/ATokenBuffer.cpp
    ${PCCTS_INCLUDE_DIR}/DLexerBase.cpp
    ${PCCTS_INCLUDE_DIR}/ASTBase.cpp
    ${PCCTS_INCLUDE_DIR}/PCCTSAST.cpp)
# Third-party code: its warnings are not ours to fix, and its headers use
# "register", which C++17 removed.
set(PCCTS_QUIET_OPTIONS -w -Wno-register)


set(CPARSER_GRAMMAR ${CMAKE_CURRENT_LIST_DIR}/cparser.g)
set(CPARSER_OUT ${CMAKE_CURRENT_BINARY_DIR}/grammar)
set(CPARSER_GENERATED
    ${CPARSER_OUT}/cparser.cpp ${CPARSER_OUT}/CParser.cpp ${CPARSER_OUT}/CParser.h
    ${CPARSER_OUT}/tokens.h ${CPARSER_OUT}/DLGLexer.cpp ${CPARSER_OUT}/DLGLexer.h)

add_custom_command(
  OUTPUT ${CPARSER_GENERATED}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CPARSER_OUT}
  COMMAND ${ANTLR_EXECUTABLE} -CC -k 2 -gt -o ${CPARSER_OUT} ${CPARSER_GRAMMAR}
  COMMAND ${DLG_EXECUTABLE} -CC -C2 -o ${CPARSER_OUT} ${CPARSER_OUT}/parser.dlg
  DEPENDS ${CPARSER_GRAMMAR}
  COMMENT "Generating the expression parser from cparser.g"
  VERBATIM)

add_custom_target(cparser_generated DEPENDS ${CPARSER_GENERATED})

# Support library of the generated parser.
add_library(pccts_support STATIC ${PCCTS_SUPPORT_SOURCES})
add_dependencies(pccts_support cparser_generated)
target_include_directories(pccts_support SYSTEM PUBLIC ${PCCTS_INCLUDE_DIR} ${CPARSER_OUT})
target_compile_options(pccts_support PRIVATE ${PCCTS_QUIET_OPTIONS})

function(tsw_add_generated_parser target)
  target_sources(${target} PRIVATE ${CPARSER_GENERATED})
  target_include_directories(${target} SYSTEM PUBLIC ${CPARSER_OUT})
  target_link_libraries(${target} PUBLIC pccts_support)
  set_source_files_properties(
    ${CPARSER_OUT}/cparser.cpp ${CPARSER_OUT}/CParser.cpp ${CPARSER_OUT}/DLGLexer.cpp
    PROPERTIES COMPILE_OPTIONS "${PCCTS_QUIET_OPTIONS}")
  if(TSW_SANITIZE)
    # With g++ 12 the generated lexer crashes when instrumented.
    set_source_files_properties(${CPARSER_OUT}/DLGLexer.cpp PROPERTIES
      COMPILE_OPTIONS "${PCCTS_QUIET_OPTIONS};-fno-sanitize=all")
  endif()
endfunction()
