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

# The second match agent, brevane-b, is built from the same sources with
# the walk-request rate limiter of the localiser switched off at compile
# time. Every layer from the first that the switch changes up to the
# program is therefore built twice: <target> and <target>_b, the latter
# with BREVANE_NO_RATE_LIMITER defined and linking the _b layers below it.
# Only the sources that the switch reaches are compiled twice; the objects
# of the others (<target>_shared) go into both libraries.
set(BREVANE_VARIANT_FROM world)
include(${CMAKE_CURRENT_LIST_DIR}/BrevaneSwitch.cmake)

# brevane_split_by_switch(sources var_reached var_shared): the sources that
# the brevane-b switch reaches and the others.
function(brevane_split_by_switch sources var_reached var_shared)
  set(reached)
  set(shared)
  foreach(s ${sources})
    brevane_reaches_switch(${s} "${BREVANE_SRC};${CMAKE_SOURCE_DIR}/tests" r)
    if(r)
      list(APPEND reached ${s})
    else()
      list(APPEND shared ${s})
    endif()
  endforeach()
  set(${var_reached} ${reached} PARENT_SCOPE)
  set(${var_shared} ${shared} PARENT_SCOPE)
endfunction()

# brevane_library([DEPS layer ...] [NOT_IN_B file ...]): the static library
# of every .cpp file in the calling directory (a layer of BREVANE_LAYERS),
# linking the layers it names, each of which must lie below it. Nothing is
# declared when the directory has no source yet. The NOT_IN_B files (of the
# calling directory) belong to no program built on the _b library, so it
# goes without them: they are compiled once, into <target> only.
function(brevane_library)
  cmake_parse_arguments(ARG "" "" "DEPS;NOT_IN_B" ${ARGN})
  get_filename_component(layer ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  brevane_layer_index(${layer} self)
  if(self LESS 0)
    message(FATAL_ERROR "src/${layer} is not a layer of BREVANE_LAYERS")
  endif()
  brevane_layer_index(${BREVANE_VARIANT_FROM} variant_from)
  brevane_layer_target(${layer} name)
  set(deps)
  set(deps_b)
  foreach(dep ${ARG_DEPS})
    brevane_layer_index(${dep} i)
    if(i LESS 0 OR NOT i LESS self)
      message(FATAL_ERROR "${layer} may not depend on ${dep}: it is not a layer below")
    endif()
    brevane_layer_target(${dep} t)
    if(TARGET ${t})
      list(APPEND deps ${t})
      if(TARGET ${t}_b)
        list(APPEND deps_b ${t}_b)
      else()
        list(APPEND deps_b ${t})
      endif()
    endif()
  endforeach()
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER srcs EXCLUDE REGEX "/main[^/]*\\.cpp$")
  set(first_only)
  foreach(f ${ARG_NOT_IN_B})
    set(f ${CMAKE_CURRENT_SOURCE_DIR}/${f})
    if(NOT f IN_LIST srcs)
      message(FATAL_ERROR "NOT_IN_B: ${f} is not a source of src/${layer}")
    endif()
    list(APPEND first_only ${f})
  endforeach()
  set(variants "")
  if(NOT self LESS variant_from)
    set(variants "_b")
    if(first_only)
      list(REMOVE_ITEM srcs ${first_only})
    endif()
    brevane_split_by_switch("${srcs}" srcs shared)
    if(shared)
      add_library(${name}_shared OBJECT ${shared})
      target_include_directories(${name}_shared PUBLIC ${BREVANE_SRC})
      target_link_libraries(${name}_shared PUBLIC ${deps})
      # A header that the switch changes refuses to be compiled into it.
      target_compile_definitions(${name}_shared PRIVATE BREVANE_SHARED_OBJECT=1)
      list(APPEND srcs $<TARGET_OBJECTS:${name}_shared>)
      set_property(GLOBAL APPEND PROPERTY brevane_shared_sources ${shared})
    endif()
  endif()
  foreach(suffix "" ${variants})
    set(own ${srcs})
    if(suffix STREQUAL "_b")
      set(d ${deps_b})
    else()
      set(d ${deps})
      if(variants)
        list(APPEND own ${first_only})
      endif()
    endif()
    if(own)
      add_library(${name}${suffix} STATIC ${own})
      target_include_directories(${name}${suffix} PUBLIC ${BREVANE_SRC})
      target_link_libraries(${name}${suffix} PUBLIC ${d})
      set(scope PUBLIC)
    else()
      # Headers only so far: an interface target carries the dependencies.
      add_library(${name}${suffix} INTERFACE)
      target_include_directories(${name}${suffix} INTERFACE ${BREVANE_SRC})
      target_link_libraries(${name}${suffix} INTERFACE ${d})
      set(scope INTERFACE)
    endif()
    if(suffix STREQUAL "_b")
      target_compile_definitions(${name}${suffix} ${scope} BREVANE_NO_RATE_LIMITER=1)
    endif()
  endforeach()
endfunction()

# The include directories, libraries and definitions of a test program (or
# of its shared object).
function(brevane_test_compile_settings target libs)
  target_include_directories(${target} PRIVATE ${BREVANE_SRC} ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${target} PRIVATE ${libs} brevane_test_support GTest::gtest GTest::gtest_main)
  target_compile_definitions(${target} PRIVATE
    BREVANE_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    BREVANE_BINARY_DIR="${CMAKE_BINARY_DIR}")
endfunction()

# brevane_tests([LIBS target ...] [B_VARIANT] [RESOURCE_LOCK name]): one
# test program per *_test.cpp of the calling directory, linked with the
# library of the layer it mirrors (or LIBS) and the shared test support; the
# tests run in the source root, where the data files live. With B_VARIANT
# every program is linked a second time (test_..._b) against the brevane-b
# libraries, its source compiled again with BREVANE_NO_RATE_LIMITER defined
# where the definition reaches it. RESOURCE_LOCK keeps the
# directory's tests from running at the same time as any other test holding
# the same lock (a fixed port they listen on).
function(brevane_tests)
  cmake_parse_arguments(ARG "B_VARIANT" "RESOURCE_LOCK" "LIBS" ${ARGN})
  set(lock)
  if(ARG_RESOURCE_LOCK)
    set(lock RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
  endif()
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  get_filename_component(dir ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(libs ${ARG_LIBS})
  if(NOT libs)
    brevane_layer_target(${dir} libs)
  endif()
  set(variants "")
  if(ARG_B_VARIANT)
    set(variants "_b")
  endif()
  foreach(t ${tests})
    get_filename_component(base ${t} NAME_WE)
    # A test that the switch does not reach is compiled once and linked
    # into both programs.
    set(shared "")
    if(ARG_B_VARIANT)
      brevane_split_by_switch(${t} reached shared)
    endif()
    set(src ${t})
    if(shared)
      set(src $<TARGET_OBJECTS:test_${dir}_${base}_shared>)
      add_library(test_${dir}_${base}_shared OBJECT ${t})
      brevane_test_compile_settings(test_${dir}_${base}_shared "${libs}")
      target_compile_definitions(test_${dir}_${base}_shared PRIVATE BREVANE_SHARED_OBJECT=1)
      set_property(GLOBAL APPEND PROPERTY brevane_shared_sources ${t})
    endif()
    foreach(suffix "" ${variants})
      set(target test_${dir}_${base}${suffix})
      set(l)
      foreach(lib ${libs})
        if(suffix STREQUAL "_b" AND TARGET ${lib}_b)
          list(APPEND l ${lib}_b)
        else()
          list(APPEND l ${lib})
        endif()
      endforeach()
      add_executable(${target} ${src})
      brevane_test_compile_settings(${target} "${l}")
      if(suffix STREQUAL "_b")
        target_compile_definitions(${target} PRIVATE BREVANE_NO_RATE_LIMITER=1)
      endif()
      gtest_discover_tests(${target}
        WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
        TEST_SUFFIX "${suffix}"
        DISCOVERY_TIMEOUT 60
        PROPERTIES TIMEOUT 120 ${lock})
    endforeach()
  endforeach()
endfunction()
