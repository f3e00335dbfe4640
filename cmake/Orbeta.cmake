# Helpers shared by the layer, test, bench and fuzz folders.

# orbeta_layer(<target> <dir>... LIBS <deps>...)
# One static library per layer, made of every .cpp in the given folders.
function(orbeta_layer target)
  cmake_parse_arguments(L "" "" "DIRS;LIBS" ${ARGN})
  set(srcs)
  foreach(d ${L_DIRS})
    file(GLOB s CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${d}/*.cpp)
    list(APPEND srcs ${s})
  endforeach()
  if(srcs)
    add_library(${target} STATIC ${srcs})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} PUBLIC ${L_LIBS})
  else()
    # A layer whose sources are not written yet still carries its dependencies.
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${target} INTERFACE ${L_LIBS})
  endif()
endfunction()

# orbeta_test_dir(<dir> LIBS <deps>...)
# One test program per folder under tests/, each test discovered by CTest.
function(orbeta_test_dir dir)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  string(REPLACE "/" "_" name "test_${dir}")
  add_executable(${name} ${srcs})
  # Test code itself is not what is measured: optimising its assertion macros
  # would cost more build time than all the tests take to run.
  target_compile_options(${name} PRIVATE -O0)
  # Every test file starts by parsing GoogleTest: parse it once per program.
  target_precompile_headers(${name} PRIVATE <gtest/gtest.h> <string> <vector> <memory>)
  target_link_libraries(${name} PRIVATE ${T_LIBS} orbeta_testsupport GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "ORBETA_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()

# orbeta_fuzz(<name> <source> LIBS <deps>...)
function(orbeta_fuzz name source)
  cmake_parse_arguments(F "" "" "LIBS" ${ARGN})
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()
