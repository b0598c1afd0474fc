# brevane_library(NAME [DEPS ...]): a static library of every .cpp file in
# the calling directory. Nothing is declared when the directory has no
# source yet, so a subsystem can land file by file.
function(brevane_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER srcs EXCLUDE REGEX "/main\\.cpp$")
  if(NOT srcs)
    return()
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${BREVANE_SRC})
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# brevane_tests(): one test program per *_test.cpp of the calling directory,
# linked with every subsystem and the shared test support; the tests run in
# the source root, where the data files live.
function(brevane_tests)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  get_filename_component(dir ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  foreach(t ${tests})
    get_filename_component(base ${t} NAME_WE)
    set(target test_${dir}_${base})
    add_executable(${target} ${t})
    target_include_directories(${target} PRIVATE ${BREVANE_SRC} ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(${target} PRIVATE brevane_all GTest::gtest GTest::gtest_main)
    if(TARGET brevane_test_support)
      target_link_libraries(${target} PRIVATE brevane_test_support)
    endif()
    target_compile_definitions(${target} PRIVATE
      BREVANE_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
      BREVANE_BINARY_DIR="${CMAKE_BINARY_DIR}")
    gtest_discover_tests(${target}
      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
      DISCOVERY_TIMEOUT 60
      PROPERTIES TIMEOUT 120)
  endforeach()
endfunction()
