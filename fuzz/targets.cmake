# libFuzzer targets, built with clang by the fuzz preset (AddressSanitizer, UndefinedBehaviorSanitizer and
# coverage over the whole program) into <build>/fuzz. scripts/fuzz TARGET SECONDS builds and runs one.
set(fuzz_dir ${CMAKE_SOURCE_DIR}/fuzz)
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "the fuzz targets need clang (libFuzzer); configure with the fuzz preset")
endif()

add_library(orvu_fuzz_harnesses STATIC ${fuzz_dir}/core_harnesses.cpp ${fuzz_dir}/engine_harnesses.cpp)
target_link_libraries(orvu_fuzz_harnesses PUBLIC orvu_core)
target_compile_definitions(orvu_fuzz_harnesses PRIVATE ORVU_PLUGIN_DIR="${CMAKE_BINARY_DIR}/plugins")

set(orvu_fuzz_targets ini:iniRoundTrip playlist:playlistRoundTrip preset:presetRead tag_format:tagFormat
  engine:engineFile)
foreach(entry IN LISTS orvu_fuzz_targets)
  string(REPLACE ":" ";" parts ${entry})
  list(GET parts 0 name)
  list(GET parts 1 function)
  add_executable(fuzz_${name} ${fuzz_dir}/fuzz_main.cpp)
  target_compile_definitions(fuzz_${name} PRIVATE ORVU_FUZZ_HARNESS=${function})
  target_link_libraries(fuzz_${name} PRIVATE orvu_fuzz_harnesses)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(fuzz_${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
endforeach()
add_dependencies(fuzz_engine orvu_plugins)

# Writes the engine's seeds from the build's audio fixtures.
add_executable(make_engine_seeds ${fuzz_dir}/make_engine_seeds.cpp ${fuzz_dir}/engine_seeds.cpp
  ${PROJECT_SOURCE_DIR}/tests/support/module_writer.cpp)
target_include_directories(make_engine_seeds PRIVATE ${PROJECT_SOURCE_DIR}/tests)
set_target_properties(make_engine_seeds PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
if(TARGET orvu_fixtures)
  add_dependencies(make_engine_seeds orvu_fixtures)
endif()
