# Which sources the brevane-b switch (BREVANE_NO_RATE_LIMITER) reaches.
#
# A source reaches it when the source itself, or a project header that it
# includes directly or through other project headers, names the switch.
# Every other source preprocesses to the same text with and without the
# switch, so one object of it serves both match agents. Conditional
# includes are followed as if they were taken, which can only widen the
# set. Included by BrevaneLibrary.cmake and by check_switch.cmake (the
# test that the build's choice still holds for the sources as they are).

# The project header named by an include line of `from`, or "" when it is
# not one: looked up next to `from`, then in each of the directories given.
function(brevane_switch_resolve name from dirs out)
  get_filename_component(here ${from} DIRECTORY)
  foreach(d ${here} ${dirs})
    if(EXISTS ${d}/${name} AND NOT IS_DIRECTORY ${d}/${name})
      get_filename_component(p ${d}/${name} ABSOLUTE)
      set(${out} ${p} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} "" PARENT_SCOPE)
endfunction()

# brevane_reaches_switch(file "dir;..." out): out = 1 when the switch
# reaches `file`, else 0; `dirs` are the project's include directories.
# What each file names and includes is read once per configure run.
function(brevane_reaches_switch file dirs out)
  get_filename_component(file ${file} ABSOLUTE)
  set(queue ${file})
  set(visited ${file})
  while(queue)
    list(POP_FRONT queue f)
    string(MAKE_C_IDENTIFIER "${f}" key)
    get_property(read GLOBAL PROPERTY brevane_switch_names_${key} SET)
    if(NOT read)
      file(STRINGS ${f} lines REGEX "BREVANE_NO_RATE_LIMITER|^[ \t]*#[ \t]*include[ \t]*\"")
      set(names 0)
      set(incs)
      foreach(line IN LISTS lines)
        if(line MATCHES "BREVANE_NO_RATE_LIMITER")
          set(names 1)
        endif()
        if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\"")
          brevane_switch_resolve(${CMAKE_MATCH_1} ${f} "${dirs}" p)
          if(p)
            list(APPEND incs ${p})
          endif()
        endif()
      endforeach()
      set_property(GLOBAL PROPERTY brevane_switch_names_${key} ${names})
      set_property(GLOBAL PROPERTY brevane_switch_includes_${key} "${incs}")
    endif()
    get_property(names GLOBAL PROPERTY brevane_switch_names_${key})
    if(names)
      set(${out} 1 PARENT_SCOPE)
      return()
    endif()
    get_property(incs GLOBAL PROPERTY brevane_switch_includes_${key})
    foreach(p ${incs})
      if(NOT p IN_LIST visited)
        list(APPEND visited ${p})
        list(APPEND queue ${p})
      endif()
    endforeach()
  endwhile()
  set(${out} 0 PARENT_SCOPE)
endfunction()
