# The releases, read from CHANGELOG.md: each "## VERSION - YYYY-MM-DD"
# heading starts one, newest first. The newest must be the project version,
# so that the version is said once (project() in CMakeLists.txt) and a new
# version cannot be built without its entry. Sets:
#   MURVELON_RELEASE_DATE      the project version's day, YYYY-MM-DD
#   MURVELON_RELEASE_MONTH     its month and year, for the manual pages
#   MURVELON_APPSTREAM_RELEASES  <release> elements of every version
# and writes the Debian changelog of every version to
# ${PROJECT_BINARY_DIR}/doc/changelog (the package carries it gzipped as
# usr/share/doc/murvelon/changelog.gz).

# Debian's changelog wants the weekday, which CMake cannot read from a
# date: Sakamoto's method, 0 = Sunday.
function(murvelon_rfc2822_date iso out)
  string(REGEX MATCH "^([0-9]+)-([0-9]+)-([0-9]+)$" _ ${iso})
  set(year ${CMAKE_MATCH_1})
  set(day ${CMAKE_MATCH_3})
  set(shifts 0 3 2 5 0 3 5 1 4 6 2 4)
  set(weekdays Sun Mon Tue Wed Thu Fri Sat)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  math(EXPR m "${CMAKE_MATCH_2} - 1")
  set(y ${year})
  if(m LESS 2)
    math(EXPR y "${y} - 1")
  endif()
  list(GET shifts ${m} shift)
  math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${shift} + ${day}) % 7")
  list(GET weekdays ${weekday} weekday)
  list(GET months ${m} month)
  set(${out} "${weekday}, ${day} ${month} ${year} 00:00:00 +0000" PARENT_SCOPE)
endfunction()

# A function, so that its working names stay inside.
function(murvelon_read_changelog)
  set(changelog_md ${PROJECT_SOURCE_DIR}/CHANGELOG.md)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog_md})
  # Its lines as a list, keeping empty lines and semicolons.
  file(READ ${changelog_md} changelog_lines)
  string(REPLACE ";" "\\;" changelog_lines "${changelog_lines}")
  string(REPLACE "\n" ";" changelog_lines "${changelog_lines}")

  # One Debian entry: the markdown's items and their wrapped lines two
  # columns in, "-" items as "*".
  set(debian "")
  macro(murvelon_end_entry)
    if(DEFINED version)
      string(STRIP "${body}" body)
      murvelon_rfc2822_date(${date} rfc2822)
      string(APPEND debian "murvelon (${version}) unstable; urgency=medium\n\n  ${body}\n\n"
                           " -- ${MURVELON_MAINTAINER}  ${rfc2822}\n\n")
    endif()
  endmacro()

  unset(version)
  set(newest "none")
  set(MURVELON_APPSTREAM_RELEASES "")
  foreach(line IN LISTS changelog_lines)
    if(line MATCHES "^## ([0-9][0-9.]*) - ([0-9][0-9][0-9][0-9]-[0-1][0-9]-[0-3][0-9])$")
      murvelon_end_entry()
      set(version ${CMAKE_MATCH_1})
      set(date ${CMAKE_MATCH_2})
      set(body "")
      if(newest STREQUAL "none")
        set(newest ${version})
        set(MURVELON_RELEASE_DATE ${date})
      endif()
      string(APPEND MURVELON_APPSTREAM_RELEASES "\n    <release version=\"${version}\" date=\"${date}\"/>")
    elseif(line MATCHES "^##")
      message(FATAL_ERROR "CHANGELOG.md: \"${line}\" is not \"## VERSION - YYYY-MM-DD\"")
    elseif(DEFINED version)
      string(REGEX REPLACE "^- " "* " line "${line}")
      if(line STREQUAL "")
        string(APPEND body "\n")
      else()
        string(APPEND body "  ${line}\n")
      endif()
    endif()
  endforeach()
  murvelon_end_entry()
  string(STRIP "${MURVELON_APPSTREAM_RELEASES}" MURVELON_APPSTREAM_RELEASES)

  if(NOT newest STREQUAL PROJECT_VERSION)
    message(FATAL_ERROR "CHANGELOG.md's newest entry is ${newest}, the project version is ${PROJECT_VERSION}: "
                        "add an entry \"## ${PROJECT_VERSION} - YYYY-MM-DD\" at its top")
  endif()
  string(REGEX MATCH "^([0-9]+)-([0-9]+)" _ ${MURVELON_RELEASE_DATE})
  math(EXPR m "${CMAKE_MATCH_2} - 1")
  set(months January February March April May June July August September October November December)
  list(GET months ${m} month)
  set(MURVELON_RELEASE_MONTH "${month} ${CMAKE_MATCH_1}" PARENT_SCOPE)
  set(MURVELON_RELEASE_DATE ${MURVELON_RELEASE_DATE} PARENT_SCOPE)
  set(MURVELON_APPSTREAM_RELEASES "${MURVELON_APPSTREAM_RELEASES}" PARENT_SCOPE)

  # Written only when it changes, so that a configure does not rebuild the
  # package's changelog.gz.
  string(STRIP "${debian}" debian)
  file(WRITE ${PROJECT_BINARY_DIR}/doc/changelog.new "${debian}\n")
  file(COPY_FILE ${PROJECT_BINARY_DIR}/doc/changelog.new ${PROJECT_BINARY_DIR}/doc/changelog ONLY_IF_DIFFERENT)
endfunction()
murvelon_read_changelog()
