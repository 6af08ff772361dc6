# One helper per kind of binary, so that every library, plug-in, tool and test of the tree is
# made the same way. Each helper makes the target and sets what its kind always needs; the
# caller adds links, include folders and definitions with the usual target_* commands.
include_guard(GLOBAL)
include(GNUInstallDirs)

# mb_add_library(<name> STATIC|SHARED|OBJECT|INTERFACE <sources>...
#                [INCLUDE <dirs>...] [NO_INCLUDE] [EXPORTS_MAP <file>] [INSTALL])
# The folder of the calling CMakeLists.txt is a public include folder unless NO_INCLUDE is
# given; INCLUDE adds more. A SHARED library hides every symbol but those its sources mark as
# exported; EXPORTS_MAP narrows the exports further with a linker version script and keeps the
# static libraries linked in from exporting anything. INSTALL installs a SHARED library to the
# library folder.
function(mb_add_library name kind)
  cmake_parse_arguments(PARSE_ARGV 2 ARG "NO_INCLUDE;INSTALL" "EXPORTS_MAP" "INCLUDE")
  if(NOT kind MATCHES "^(STATIC|SHARED|OBJECT|INTERFACE)$")
    message(FATAL_ERROR "mb_add_library(${name}): kind must be STATIC, SHARED, OBJECT or INTERFACE")
  endif()
  add_library(${name} ${kind} ${ARG_UNPARSED_ARGUMENTS})
  set(scope PUBLIC)
  if(kind STREQUAL "INTERFACE")
    set(scope INTERFACE)
  endif()
  if(NOT ARG_NO_INCLUDE)
    target_include_directories(${name} ${scope} ${CMAKE_CURRENT_SOURCE_DIR})
  endif()
  if(ARG_INCLUDE)
    target_include_directories(${name} ${scope} ${ARG_INCLUDE})
  endif()
  if(kind STREQUAL "SHARED")
    set_target_properties(${name} PROPERTIES CXX_VISIBILITY_PRESET hidden
                                             VISIBILITY_INLINES_HIDDEN ON)
    target_link_options(${name} PRIVATE -Wl,--exclude-libs,ALL)
  endif()
  if(ARG_EXPORTS_MAP)
    get_filename_component(map "${ARG_EXPORTS_MAP}" ABSOLUTE)
    target_link_options(${name} PRIVATE "-Wl,--version-script=${map}")
    set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS "${map}")
  endif()
  if(ARG_INSTALL)
    install(TARGETS ${name} LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
  endif()
endfunction()

# mb_add_plugin(<name> <sources>... [OUTPUT_DIR <dir relative to the build folder>] [NO_INSTALL])
# A plug-in the documentation browser loads with dlopen: a MODULE library with hidden
# visibility, so only the C exports its sources mark visible leave it, and no symbol of the
# static libraries linked into it. It is built into bin/plugins (or OUTPUT_DIR) beside the
# programs, where the browser's configuration names it, and installed to the same place
# unless NO_INSTALL (plug-ins made for tests).
function(mb_add_plugin name)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "NO_INSTALL" "OUTPUT_DIR" "")
  if(NOT ARG_OUTPUT_DIR)
    set(ARG_OUTPUT_DIR bin/plugins)
  endif()
  add_library(${name} MODULE ${ARG_UNPARSED_ARGUMENTS})
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  set_target_properties(${name} PROPERTIES
      CXX_VISIBILITY_PRESET hidden
      VISIBILITY_INLINES_HIDDEN ON
      LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${ARG_OUTPUT_DIR}
      INSTALL_RPATH "$ORIGIN/../../${CMAKE_INSTALL_LIBDIR}")
  target_link_options(${name} PRIVATE -Wl,--exclude-libs,ALL)
  if(NOT ARG_NO_INSTALL)
    install(TARGETS ${name} LIBRARY DESTINATION ${ARG_OUTPUT_DIR})
  endif()
endfunction()

# mb_add_tool(<name> <sources>... [NO_INSTALL] [OUTPUT_DIR <dir relative to the build folder>])
# A program: built into bin/ of the build folder (programs find each other there as they do
# when installed), finding the project's shared libraries in ../lib when installed, and
# installed to the program folder unless NO_INSTALL. OUTPUT_DIR builds it into another folder
# of the build instead of bin/ (the benchmarks into bench/, the fuzz targets into fuzz/).
function(mb_add_tool name)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "NO_INSTALL" "OUTPUT_DIR" "")
  if(NOT ARG_OUTPUT_DIR)
    set(ARG_OUTPUT_DIR bin)
  endif()
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  set_target_properties(${name} PROPERTIES
      RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${ARG_OUTPUT_DIR}
      INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
  if(NOT ARG_NO_INSTALL)
    install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endfunction()

# mb_add_test(<name> <sources>... [LINK <libraries>...] [QT] [OWN_MAIN]
#             [DEFINITIONS <definitions>...] [DEPENDS <targets>...] [PROPERTIES <key value>...])
# A GoogleTest program whose cases CTest lists one by one. QT runs them on the offscreen
# platform (and implies OWN_MAIN, as widgets need a QApplication made by the test's main).
# OWN_MAIN links GTest::gtest instead of gtest_main. The shared test helpers in
# platform/tests are on the include path. DEPENDS names targets (plug-ins, programs) the tests
# load or start, so they are built first. Nothing is made when tests are off.
function(mb_add_test name)
  if(NOT MB_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(PARSE_ARGV 1 ARG "QT;OWN_MAIN" "" "LINK;DEFINITIONS;DEPENDS;PROPERTIES")
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/platform/tests)
  if(ARG_QT OR ARG_OWN_MAIN)
    target_link_libraries(${name} PRIVATE ${ARG_LINK} GTest::gtest)
  else()
    target_link_libraries(${name} PRIVATE ${ARG_LINK} GTest::gtest_main)
  endif()
  if(ARG_DEFINITIONS)
    target_compile_definitions(${name} PRIVATE ${ARG_DEFINITIONS})
  endif()
  if(ARG_DEPENDS)
    add_dependencies(${name} ${ARG_DEPENDS})
  endif()
  set(properties ${ARG_PROPERTIES})
  if(ARG_QT)
    list(APPEND properties ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  endif()
  if(properties)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
