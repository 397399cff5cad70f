# Helpers shared by the folders' CMakeLists.

# lanscout_library(name SOURCES ... [DEPS ...])
# A static library of one source folder; sources include each other as
# "folder/header.h" from src/.
function(lanscout_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE lanscout_warnings)
endfunction()

# lanscout_test(name SOURCES ... [DEPS ...] [LABELS ...])
# A GoogleTest executable whose cases are registered with CTest one by one.
function(lanscout_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main lanscout_warnings)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    LANSCOUT_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    LANSCOUT_BINARY_DIR="${CMAKE_BINARY_DIR}")
  set(props "")
  if(ARG_LABELS)
    set(props PROPERTIES LABELS "${ARG_LABELS}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 ${props})
endfunction()
