# Installing like a Linux program, and the Debian package.
#   cmake --install build --prefix P    (or: make install PREFIX=P)
#   make package                        (build/murvelon_VERSION_ARCH.deb)
# Programs in bin/; the desktop entry, the file types, the icon, the
# AppStream file and the manual pages where the desktop looks for them; the
# copyright file and the changelog in share/doc/murvelon/; the
# demo song and the starter presets in share/murvelon/, which the programs
# find from their own folder (../share/murvelon). Nothing is written outside
# the prefix: the user's folders are made by the programs at their first
# start.
include(GNUInstallDirs)

# A build tree configured before these were filled holds the placeholders
# they had then; let it take the values below.
foreach(setting MURVELON_LICENSE MURVELON_HOMEPAGE MURVELON_SCREENSHOTS_URL MURVELON_MAINTAINER)
  if("${${setting}}" MATCHES "LicenseRef-proprietary|murvelon\\.invalid")
    unset(${setting} CACHE)
  endif()
endforeach()
set(MURVELON_LICENSE "GPL-3.0-or-later" CACHE STRING "SPDX expression of the project's licence, for the AppStream file")
# The project has no web page of its own yet: a page or an address given
# here is written into the AppStream file and the package, and nothing is
# written where none is given.
set(MURVELON_HOMEPAGE "" CACHE STRING "The project's web page, for the AppStream file and the package")
set(MURVELON_SCREENSHOTS_URL "" CACHE STRING
    "Where the repository's docs/screenshots/ folder is served, for the AppStream file")
# The address every commit of the project carries.
set(MURVELON_MAINTAINER "Murvelon developers <maintainers@users.noreply.c-seed-f88b0902.example>" CACHE STRING
    "The Debian package's maintainer, also named in its changelog and copyright file")

include(${CMAKE_CURRENT_LIST_DIR}/release.cmake)
find_program(GZIP gzip REQUIRED)

foreach(program murvelon-cli murvelon)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

set(data ${PROJECT_SOURCE_DIR}/data)
install(FILES ${data}/murvelon.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${data}/murvelon-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME murvelon.xml)
# The AppStream file, without the elements whose address the project lacks.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${data}/murvelon.metainfo.xml.in)
file(READ ${data}/murvelon.metainfo.xml.in metainfo)
if(NOT MURVELON_HOMEPAGE)
  string(REGEX REPLACE "\n *<url type=\"homepage\">@MURVELON_HOMEPAGE@</url>" "" metainfo "${metainfo}")
endif()
if(NOT MURVELON_SCREENSHOTS_URL)
  string(REGEX REPLACE "\n *<screenshots>.*</screenshots>" "" metainfo "${metainfo}")
endif()
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/data/org.murvelon.murvelon.metainfo.xml CONTENT "${metainfo}" @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/data/org.murvelon.murvelon.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The manual pages say the version and the month of its release, and go in
# gzipped as Debian installs them; the copyright file and the changelog
# beside them in share/doc/murvelon.
configure_file(${data}/copyright.in ${PROJECT_BINARY_DIR}/doc/copyright @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/doc/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
set(gzipped)
foreach(page murvelon.1 murvelon-cli.1)
  configure_file(${data}/man/${page} ${PROJECT_BINARY_DIR}/data/man/${page} @ONLY)
  list(APPEND gzipped ${PROJECT_BINARY_DIR}/data/man/${page}.gz)
  install(FILES ${PROJECT_BINARY_DIR}/data/man/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
list(APPEND gzipped ${PROJECT_BINARY_DIR}/doc/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/doc/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
foreach(gz ${gzipped})
  string(REGEX REPLACE "\\.gz$" "" plain ${gz})
  # -n leaves the name and time out, so that the same text gives the same bytes.
  add_custom_command(OUTPUT ${gz} COMMAND ${GZIP} -9nkf ${plain} DEPENDS ${plain} VERBATIM)
endforeach()
add_custom_target(murvelon-gzipped ALL DEPENDS ${gzipped})

# The icon: the drawing itself, and PNGs rendered from it for the sizes the
# desktops ask for.
set(MURVELON_ICON_SIZES 16 22 24 32 48 64 128 256)
install(FILES ${data}/icons/murvelon.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
find_program(RSVG_CONVERT rsvg-convert)
if(RSVG_CONVERT)
  set(pngs)
  foreach(size ${MURVELON_ICON_SIZES})
    set(png ${PROJECT_BINARY_DIR}/data/icons/${size}x${size}/murvelon.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/data/icons/${size}x${size}
      COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${data}/icons/murvelon.svg
      DEPENDS ${data}/icons/murvelon.svg
      COMMENT "Rendering the ${size}x${size} icon" VERBATIM)
    list(APPEND pngs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(murvelon-icons ALL DEPENDS ${pngs})
else()
  message(WARNING "rsvg-convert not found (Debian: librsvg2-bin): only the scalable icon will be installed")
endif()

# What the programs ship: copied into the user's folders at the first start.
file(GLOB synths CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/Synths/*.zqb)
file(GLOB fmsynths CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/FMSynths/*.zqf)
install(FILES ${PROJECT_SOURCE_DIR}/Songs/demo.zqm DESTINATION ${CMAKE_INSTALL_DATADIR}/murvelon/Songs)
# The shipped settings (20 ms buffer halves): a new user's settings file.
install(FILES ${data}/murvelon.ini DESTINATION ${CMAKE_INSTALL_DATADIR}/murvelon)
install(FILES ${synths} DESTINATION ${CMAKE_INSTALL_DATADIR}/murvelon/Synths)
install(FILES ${fmsynths} DESTINATION ${CMAKE_INSTALL_DATADIR}/murvelon/FMSynths)

# A program run from the build tree reads murvelon.ini beside itself: it
# gets the shipped settings once, and keeps what a developer changed there.
foreach(program murvelon-cli murvelon)
  if(TARGET ${program})
    get_target_property(folder ${program} BINARY_DIR)
    if(NOT EXISTS ${folder}/murvelon.ini)
      file(COPY ${data}/murvelon.ini DESTINATION ${folder})
    endif()
  endif()
endforeach()

# The Debian package. Its dependencies are what dpkg-shlibdeps finds the
# programs linked against. It has no maintainer scripts: the menu, file-type
# and icon caches are refreshed by the triggers of the packages that own
# them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME murvelon)
set(CPACK_PACKAGE_VENDOR "Murvelon developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# Only the RPM generator has a field for the licence; set for `cpack -G RPM`.
set(CPACK_RPM_PACKAGE_LICENSE "${MURVELON_LICENSE}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "music tracker with built-in synthesizers and effects")
set(CPACK_PACKAGE_DESCRIPTION
    "Murvelon is a tracker: music is written as patterns of notes in columns, one
column per channel, and the patterns are chained into a song. Each channel
plays a virtual-analogue synthesizer, a sampler or a two-operator FM
synthesizer through a chain of four effects. Songs are saved in Murvelon's
own format, and ProTracker modules can be imported. murvelon-cli renders
songs to WAV files without a window. The demo song and starter presets for
both synthesizers are included.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${MURVELON_MAINTAINER}")
if(MURVELON_HOMEPAGE)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${MURVELON_HOMEPAGE}")
endif()
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
include(CPack)
