# The web build links every module into one WebAssembly module: what is a shared
# library natively is a static one there.
if(EMSCRIPTEN)
  set(ZELVW_SHARED STATIC)
else()
  set(ZELVW_SHARED SHARED)
endif()

# zelvw_module(target FILE_NAME ...): a shared library whose file on disk carries the
# Windows module name (NPZELVW.DLL, ZIRN.DLL, ...). The soname is the same name, so a
# load-time link records it as DT_NEEDED and the loader refuses a missing module.
function(zelvw_module target file_name)
  add_library(${target} ${ZELVW_SHARED} ${ARGN})
  set_target_properties(${target} PROPERTIES
    PREFIX "" SUFFIX "" OUTPUT_NAME "${file_name}" NO_SONAME OFF)
  target_link_options(${target} PRIVATE "-Wl,-soname,${file_name}" ${ZELVW_NO_UNDEFINED})
endfunction()

# zelvw_test(name sources... LIBS libs...): a GoogleTest executable registered with CTest.
# Its main (tests/support/test_main.cpp) fails a test that leaves a global memory block or
# a GDI object alive.
function(zelvw_test name)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  add_executable(${name} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} zelvw_test_main)
  include(GoogleTest)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "ZELVW_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data")
endfunction()

# zelvw_system_library(name deps... [EXCLUDE sources...]): the system's code of one
# folder (bitmap/, jpeg/, ...) as a static library; the plug-in module links them all.
# Sources are every .cpp of the folder but the excluded ones (another library of the
# folder holds those); includes are relative to the repository root ("bitmap/Dib.h").
function(zelvw_system_library name)
  cmake_parse_arguments(L "" "" "EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(L_EXCLUDE)
    list(REMOVE_ITEM sources ${L_EXCLUDE})
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${L_UNPARSED_ARGUMENTS})
endfunction()

# zelvw_fuzzer(name source LIBS libs...): a fuzz target over one entry point
# LLVMFuzzerTestOneInput. With clang in the sanitizer build it is a libFuzzer program
# that CTest runs for a short time from its seed corpus (fuzz/corpus/<name>/); in
# every other build it is a replay program that CTest runs over the same corpus and
# over every file that once crashed (fuzz/regressions/<name>/).
function(zelvw_fuzzer name source)
  cmake_parse_arguments(F "" "" "LIBS" ${ARGN})
  set(corpus ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name})
  set(regressions ${CMAKE_SOURCE_DIR}/fuzz/regressions/${name})
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND ZELVW_SANITIZE)
    add_executable(${name} ${source})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    set(work ${CMAKE_BINARY_DIR}/fuzz-work/${name})
    add_test(NAME fuzz.${name}
      COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
        sh -c "rm -rf '${work}' && mkdir -p '${work}' && cp -r '${corpus}/.' '${work}/' 2>/dev/null; \
$<TARGET_FILE:${name}> -max_total_time=${ZELVW_FUZZ_SECONDS} -rss_limit_mb=2048 -timeout=10 \
-artifact_prefix='${work}/' '${work}' $( [ -d '${regressions}' ] && echo '${regressions}' )")
    set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 300)
  else()
    # One replay main for every fuzz target, built once.
    if(NOT TARGET zelvw_fuzz_replay)
      add_library(zelvw_fuzz_replay STATIC ${CMAKE_SOURCE_DIR}/fuzz/replay_main.cpp)
    endif()
    add_executable(${name} ${source})
    target_link_libraries(${name} PRIVATE ${F_LIBS} zelvw_fuzz_replay)
    add_test(NAME fuzz.${name}.replay COMMAND ${name} ${corpus} ${regressions})
  endif()
endfunction()
