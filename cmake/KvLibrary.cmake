# kv_add_library(<name> [DEPS <targets>...])
# One static library per source folder: every .cpp/.h of the folder (recursively,
# apart from an optional main.cpp) belongs to it, so adding a file needs no edit here.
function(kv_add_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(NOT sources)
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# kv_add_test(<name> <folder> [DEPS <targets>...])
# One GoogleTest binary per library, built from tests/<folder>/*.cpp and the
# shared test main; cases are discovered when ctest runs.
function(kv_add_test name folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.h)
  if(NOT sources OR NOT TARGET ${ARG_DEPS})
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE kvtestsupport ${ARG_DEPS})
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                       PROPERTIES TIMEOUT 300 ENVIRONMENT "KV_TEST_BINARY=${name}")
endfunction()
