# cmake -DFIXTURE=<dir> -P switch_scan_test.cmake
# The scan that decides which sources one object serves for both match
# agents, on a small tree: the switch named in the file itself, through
# two headers, through an include cycle, next to the including file, with
# spaces in the directive; a clean file with a system and a missing
# include, and one that only mentions an include in a comment.
cmake_minimum_required(VERSION 3.24)
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/BrevaneSwitch.cmake)
set(cases
  layer/names_it.cpp 1
  layer/through_two.cpp 1
  layer/through_cycle.cpp 1
  other/next_to_it.cpp 1
  layer/spaced.cpp 1
  layer/clean.cpp 0
  layer/mentioned.cpp 0
  layer/plain.h 0)
set(bad 0)
while(cases)
  list(POP_FRONT cases file want)
  brevane_reaches_switch(${FIXTURE}/${file} "${FIXTURE}" got)
  if(NOT got EQUAL want)
    message(SEND_ERROR "${file}: reaches the switch ${got}, expected ${want}")
    set(bad 1)
  endif()
endwhile()
if(bad)
  message(FATAL_ERROR "the switch scan is wrong")
endif()
