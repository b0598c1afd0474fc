# cmake -DSRC=<src dir> -DTESTS=<tests dir> -DLIST=<file> -P check_switch.cmake
# Fails when the brevane-b switch now reaches a source that the build
# compiles once for both match agents (LIST, written by CMake): the build
# directory predates an include or a use of the switch, and brevane-b
# would get brevane's object of it.
cmake_minimum_required(VERSION 3.24)
include(${CMAKE_CURRENT_LIST_DIR}/BrevaneSwitch.cmake)
file(STRINGS ${LIST} files)
set(bad 0)
foreach(f ${files})
  if(EXISTS ${f})
    brevane_reaches_switch(${f} "${SRC};${TESTS}" r)
    if(r)
      message(SEND_ERROR "${f}: built once for both match agents, but BREVANE_NO_RATE_LIMITER reaches it now; run cmake again")
      set(bad 1)
    endif()
  endif()
endforeach()
if(bad)
  message(FATAL_ERROR "a shared object would miss the switch")
endif()
list(LENGTH files n)
message(STATUS "${n} sources built once for both match agents; the switch reaches none")
