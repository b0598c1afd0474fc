# Position of a layer in BREVANE_LAYERS (-1 when it is not one).
function(brevane_layer_index layer out)
  list(FIND BREVANE_LAYERS ${layer} i)
  set(${out} ${i} PARENT_SCOPE)
endfunction()

# Target name of a layer: brevane_<layer>, except the strategy library,
# which keeps its own name.
function(brevane_layer_target layer out)
  if(layer STREQUAL "qorvexlib")
    set(${out} qorvexlib PARENT_SCOPE)
  else()
    set(${out} brevane_${layer} PARENT_SCOPE)
  endif()
endfunction()

# brevane_library([DEPS layer ...]): the static library of every .cpp file in
# the calling directory (a layer of BREVANE_LAYERS), linking the layers it
# names, each of which must lie below it. Nothing is declared when the
# directory has no source yet.
function(brevane_library)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  get_filename_component(layer ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  brevane_layer_index(${layer} self)
  if(self LESS 0)
    message(FATAL_ERROR "src/${layer} is not a layer of BREVANE_LAYERS")
  endif()
  brevane_layer_target(${layer} name)
  set(deps)
  foreach(dep ${ARG_DEPS})
    brevane_layer_index(${dep} i)
    if(i LESS 0 OR NOT i LESS self)
      message(FATAL_ERROR "${layer} may not depend on ${dep}: it is not a layer below")
    endif()
    brevane_layer_target(${dep} t)
    if(TARGET ${t})
      list(APPEND deps ${t})
    endif()
  endforeach()
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER srcs EXCLUDE REGEX "/main[^/]*\\.cpp$")
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${BREVANE_SRC})
    target_link_libraries(${name} PUBLIC ${deps})
  else()
    # Headers only so far: an interface target carries the dependencies.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${BREVANE_SRC})
    target_link_libraries(${name} INTERFACE ${deps})
  endif()
endfunction()

# brevane_tests([LIBS target ...]): one test program per *_test.cpp of the
# calling directory, linked with the library of the layer it mirrors (or
# LIBS) and the shared test support; the tests run in the source root,
# where the data files live.
function(brevane_tests)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  get_filename_component(dir ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(libs ${ARG_LIBS})
  if(NOT libs)
    brevane_layer_target(${dir} libs)
  endif()
  foreach(t ${tests})
    get_filename_component(base ${t} NAME_WE)
    set(target test_${dir}_${base})
    add_executable(${target} ${t})
    target_include_directories(${target} PRIVATE ${BREVANE_SRC} ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(${target} PRIVATE ${libs} brevane_test_support GTest::gtest GTest::gtest_main)
    target_compile_definitions(${target} PRIVATE
      BREVANE_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
      BREVANE_BINARY_DIR="${CMAKE_BINARY_DIR}")
    gtest_discover_tests(${target}
      WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
      DISCOVERY_TIMEOUT 60
      PROPERTIES TIMEOUT 120)
  endforeach()
endfunction()
