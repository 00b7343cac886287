# zelvw_module(target FILE_NAME ...): a shared library whose file on disk carries the
# Windows module name (NPZELVW.DLL, ZIRN.DLL, ...). The soname is the same name, so a
# load-time link records it as DT_NEEDED and the loader refuses a missing module.
function(zelvw_module target file_name)
  add_library(${target} SHARED ${ARGN})
  set_target_properties(${target} PROPERTIES
    PREFIX "" SUFFIX "" OUTPUT_NAME "${file_name}" NO_SONAME OFF)
  target_link_options(${target} PRIVATE "-Wl,-soname,${file_name}" "-Wl,--no-undefined")
endfunction()

# zelvw_test(name sources... LIBS libs...): a GoogleTest executable registered with CTest.
function(zelvw_test name)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  add_executable(${name} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  include(GoogleTest)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "ZELVW_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data")
endfunction()
