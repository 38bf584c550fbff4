# Adds every immediate subfolder of the current source folder that has a
# CMakeLists.txt, so each subsystem owns its own build file and nobody edits a
# shared list to add one. Target names resolve at generate time, so the order
# does not matter.
function(vexel_add_subdirectories)
  file(GLOB children LIST_DIRECTORIES true CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*")
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY "${child}" AND EXISTS "${child}/CMakeLists.txt")
      add_subdirectory("${child}")
    endif()
  endforeach()
endfunction()
