# What a Linux installation holds besides the executables: the menu entry, the
# icons, the AppStream data, the manual page and the bash completion; and the
# Debian package made of it all (cpack in the build folder).
include(GNUInstallDirs)

set(VALDOR_APP_ID io.github.valdor3tuning.valdor3tuning)
set(VALDOR_DATA_DIR "${PROJECT_SOURCE_DIR}/data")
set(VALDOR_GENERATED_DIR "${PROJECT_BINARY_DIR}/data")
file(MAKE_DIRECTORY "${VALDOR_GENERATED_DIR}")

if(VALDOR_BUILD_GUI)
  install(FILES "${VALDOR_DATA_DIR}/${VALDOR_APP_ID}.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
  install(FILES "${VALDOR_DATA_DIR}/${VALDOR_APP_ID}.metainfo.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
  foreach(size 16 32 48 64 128 256)
    install(FILES "${PROJECT_SOURCE_DIR}/src/res/icon-${size}.png"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps"
            RENAME "${VALDOR_APP_ID}.png")
  endforeach()
  install(FILES "${PROJECT_SOURCE_DIR}/src/res/icon.svg"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps"
          RENAME "${VALDOR_APP_ID}.svg")
endif()

# The completion's table and the manual page come from the program's own
# tables and usage text, written by valdor3-docs at build time.
set(VALDOR_COMPLETION "${VALDOR_GENERATED_DIR}/valdor3-tuning")
add_custom_command(
  OUTPUT "${VALDOR_COMPLETION}"
  COMMAND "${CMAKE_COMMAND}" -DDOCS=$<TARGET_FILE:valdor3-docs> -DTEMPLATE=${VALDOR_DATA_DIR}/valdor3-tuning.bash.in
          -DOUTPUT=${VALDOR_COMPLETION} -P "${CMAKE_CURRENT_LIST_DIR}/make_completion.cmake"
  DEPENDS valdor3-docs "${VALDOR_DATA_DIR}/valdor3-tuning.bash.in" "${CMAKE_CURRENT_LIST_DIR}/make_completion.cmake"
  COMMENT "Writing the bash completion"
  VERBATIM)

# The newest release the AppStream data describes: its date is the manual
# page's (so a rebuild gives the same bytes), and its version should be this one.
file(STRINGS "${VALDOR_DATA_DIR}/${VALDOR_APP_ID}.metainfo.xml" VALDOR_RELEASE REGEX "<release " LIMIT_COUNT 1)
string(REGEX MATCH "version=\"([^\"]*)\"" _ "${VALDOR_RELEASE}")
set(VALDOR_RELEASE_VERSION "${CMAKE_MATCH_1}")
string(REGEX MATCH "date=\"([^\"]*)\"" _ "${VALDOR_RELEASE}")
set(VALDOR_RELEASE_DATE "${CMAKE_MATCH_1}")
if(NOT VALDOR_RELEASE_VERSION STREQUAL PROJECT_VERSION)
  message(WARNING "The AppStream data has no release notes for version ${PROJECT_VERSION}: add a <release> to "
                  "data/${VALDOR_APP_ID}.metainfo.xml")
endif()
set(VALDOR_MANUAL "${VALDOR_GENERATED_DIR}/valdor3-tuning.1")
add_custom_command(
  OUTPUT "${VALDOR_MANUAL}.gz"
  COMMAND "${CMAKE_COMMAND}" -DDOCS=$<TARGET_FILE:valdor3-docs> -DVERSION=${PROJECT_VERSION}
          -DDATE=${VALDOR_RELEASE_DATE} -DOUTPUT=${VALDOR_MANUAL} -P "${CMAKE_CURRENT_LIST_DIR}/make_manual.cmake"
  DEPENDS valdor3-docs "${CMAKE_CURRENT_LIST_DIR}/make_manual.cmake" "${VALDOR_DATA_DIR}/${VALDOR_APP_ID}.metainfo.xml"
  COMMENT "Writing the manual page"
  VERBATIM)
add_custom_target(valdor_docs ALL DEPENDS "${VALDOR_COMPLETION}" "${VALDOR_MANUAL}.gz")

install(FILES "${VALDOR_COMPLETION}" DESTINATION "${CMAKE_INSTALL_DATADIR}/bash-completion/completions")
install(FILES "${VALDOR_MANUAL}.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
# The command line alone answers to the same completion and manual page.
file(CREATE_LINK valdor3-tuning "${VALDOR_GENERATED_DIR}/valdor3-tuning-cli" SYMBOLIC)
file(CREATE_LINK valdor3-tuning.1.gz "${VALDOR_GENERATED_DIR}/valdor3-tuning-cli.1.gz" SYMBOLIC)
install(FILES "${VALDOR_GENERATED_DIR}/valdor3-tuning-cli" DESTINATION "${CMAKE_INSTALL_DATADIR}/bash-completion/completions")
install(FILES "${VALDOR_GENERATED_DIR}/valdor3-tuning-cli.1.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")

# ---- the Debian package ----
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME valdor3-tuning)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Valdor 3 Tuning Utility developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "settings editor for the game Valdor 3")
set(CPACK_PACKAGE_DESCRIPTION
    "Changes the graphics, performance and memory settings that Valdor 3 keeps in its INI files, in a window or on the command line, and writes back only the keys it owns. Finds games installed under Wine or Proton.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Valdor 3 Tuning Utility developers <valdor3-tuning@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://valdor3tuning.github.io/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The credits' music: the editor loads the library when the window opens and
# works without it, so shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libsdl2-mixer-2.0-0")
# The windows are laid out in an Arial-compatible font.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
