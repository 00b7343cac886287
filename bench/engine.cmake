# The colour engine's one-record calls against LittleCMS (bench_engine_match).
add_executable(bench_engine_match ${CMAKE_CURRENT_LIST_DIR}/bench_engine_match.cpp)
target_link_libraries(bench_engine_match PRIVATE
  zirn PkgConfig::LCMS2 bench_support benchmark::benchmark)
target_compile_definitions(bench_engine_match PRIVATE
  BENCH_DATA_DIR="${CMAKE_CURRENT_LIST_DIR}/data")
