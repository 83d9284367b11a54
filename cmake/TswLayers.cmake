# One static library per layer of the source tree. Sources are picked up by
# glob so that adding a module to a layer needs no edit here.
# INCLUDE_ROOT is the directory its headers are included from (by default the
# one above the layer's folder).
# RECURSE takes the sources of the folders below as well (a compiler module
# and its sub-folders are one library).
function(tsw_layer name)
  cmake_parse_arguments(ARG "RECURSE" "INCLUDE_ROOT" "DEPS" ${ARGN})
  if(NOT ARG_INCLUDE_ROOT)
    set(ARG_INCLUDE_ROOT ${CMAKE_CURRENT_SOURCE_DIR}/..)
  endif()
  set(glob GLOB)
  if(ARG_RECURSE)
    set(glob GLOB_RECURSE)
  endif()
  file(${glob} sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT sources)
    # A layer whose modules have not been written yet still links.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${ARG_INCLUDE_ROOT})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${ARG_INCLUDE_ROOT})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# One library per compiler module folder under src/compcore; DEPS are the
# modules it may include and call (scripts/check_include_arrows.sh holds the
# same arrows for the includes).
function(tsw_compiler_module module)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  set(deps tsw_foundation)
  foreach(dep IN LISTS ARG_DEPS)
    list(APPEND deps tsw_${dep})
  endforeach()
  tsw_layer(tsw_${module} RECURSE INCLUDE_ROOT ${PROJECT_SOURCE_DIR}/src DEPS ${deps})
endfunction()

# One test executable per layer, so that a failing layer is obvious.
function(tsw_layer_tests name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(test_${name} ${sources})
  target_include_directories(test_${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(test_${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(test_${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TSW_BUILD_BIN=${CMAKE_BINARY_DIR}/bin"
    DISCOVERY_TIMEOUT 60)
endfunction()
