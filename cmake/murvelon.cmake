# murvelon_library(NAME folder DEPS lib... SIGNAL file.cpp...)
# One static library per source folder, built from every .cpp in it. The
# library's own dependencies are named explicitly so that an include from a
# folder it may not use fails to link.
# SIGNAL names the sources whose loops run once per sample or table point.
# In fuzz builds their comparisons are not traced: tracing every comparison
# of such a loop took most of a target's time. The file formats' structure
# (song files, presets, MOD, WAV, wave lists, settings) stays traced; what
# loses its tracing with these files is the wavetable cache's word-by-word
# checks and the generators' range holding, simple bounds that a fuzzer's
# edge counts reach without help. Their edges are still counted.
function(murvelon_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;SIGNAL" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${sources})
  if(MURVELON_FUZZ AND ARG_SIGNAL)
    list(TRANSFORM ARG_SIGNAL PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
    set_source_files_properties(${ARG_SIGNAL} TARGET_DIRECTORY ${name}
                                PROPERTIES COMPILE_OPTIONS -fno-sanitize-coverage=trace-cmp)
  endif()
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  set_property(GLOBAL APPEND PROPERTY MURVELON_LIBRARIES ${name})
endfunction()
