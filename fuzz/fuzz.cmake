# Included after the top-level project() by the fuzz preset (CMAKE_PROJECT_INCLUDE): adds the fuzz
# targets once every library they use is defined, at the end of the top-level CMakeLists.txt.
include_guard(GLOBAL)
if(CMAKE_CURRENT_SOURCE_DIR STREQUAL CMAKE_SOURCE_DIR)
  cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL include ${CMAKE_SOURCE_DIR}/fuzz/targets.cmake)
endif()
