# murvelon_library(NAME folder DEPS lib...)
# One static library per source folder, built from every .cpp in it. The
# library's own dependencies are named explicitly so that an include from a
# folder it may not use fails to link.
function(murvelon_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  set_property(GLOBAL APPEND PROPERTY MURVELON_LIBRARIES ${name})
endfunction()
