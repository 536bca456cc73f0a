# murvelon_sees(target PUBLIC|PRIVATE folder...)
# The include path of a target: a folder of the build holding a link to
# each source folder named, and no other, so that "folder/file.h" is found
# only for the folders named. PUBLIC passes it on to whatever links the
# target: a library sees its own folder and those of the libraries it
# links, which are the layers below it.
function(murvelon_sees target scope)
  set(view ${PROJECT_BINARY_DIR}/include/${target})
  file(MAKE_DIRECTORY ${view})
  foreach(folder ${ARGN})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${view}/${folder} SYMBOLIC)
  endforeach()
  target_include_directories(${target} ${scope} ${view})
endfunction()

# murvelon_library(NAME DEPS lib... SIGNAL file.cpp...)
# One static library per source folder, built from every .cpp in it. DEPS
# are the libraries of the folders it may include from: an include from any
# other folder fails to build, since its headers are not on the include
# path.
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
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  murvelon_sees(${name} PUBLIC ${folder})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  set_property(GLOBAL APPEND PROPERTY MURVELON_LIBRARIES ${name})
endfunction()
