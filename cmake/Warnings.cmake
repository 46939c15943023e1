# zdr_warnings(<target>): the project's warning set, errors when ZDR_WERROR is on.
function(zdr_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
    -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual -Wimplicit-fallthrough)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GCC 12 counts a member a designated initializer leaves out as missing,
    # although it is value-initialized as in any aggregate; clang does not.
    target_compile_options(${target} PRIVATE -Wno-missing-field-initializers)
  endif()
  if(ZDR_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# zdr_include_root(<variable> <folder>): a folder of its own that holds only
# src/<folder> (as a link), so "<folder>/X.h" resolves there and nothing else
# of src/ does. A library sees the headers of its own folder and of what it
# links, not the whole tree.
function(zdr_include_root variable folder)
  set(root ${CMAKE_BINARY_DIR}/include-roots/${folder})
  if(NOT EXISTS ${root}/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  set(${variable} ${root} PARENT_SCOPE)
endfunction()

# zdr_library(<name> [QT] SOURCES ... DEPS ...): one library per subsystem part,
# in the folder src/<subsystem>. DEPS are what it links and whose headers it sees.
function(zdr_library name)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  zdr_include_root(root ${folder})
  target_include_directories(${name} PUBLIC ${root})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  if(ARG_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PUBLIC Qt6::Widgets)
  endif()
  zdr_warnings(${name})
endfunction()

# zdr_test(<name> [QT] SOURCES ... DEPS ...): one test executable per area.
function(zdr_test name)
  cmake_parse_arguments(ARG "QT" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock zdr_testsupport)
  if(ARG_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE Qt6::Widgets Qt6::Test zdr_testsupport_ui)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  zdr_warnings(${name})
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # GoogleTest's EXPECT_* expand to an if-else; under a braceless if GCC
    # takes that for a dangling else.
    target_compile_options(${name} PRIVATE -Wno-dangling-else)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set(env "ZDR_TEST_TMP=${CMAKE_BINARY_DIR}/test-tmp")
  if(ARG_QT)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300 LABELS "${ARG_LABELS}")
endfunction()
