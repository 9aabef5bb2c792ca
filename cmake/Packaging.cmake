# What makes Brindlewave at home on a Linux desktop beyond the program itself
# (its manual page, the copyright and the changelog), and the Debian package
# that carries all of it, built by CPack (scripts/package.sh).
#
# The package installs under /usr: the program folder /usr/lib/brindlewave
# (program, data/coder, sound.wav), the command /usr/bin/brindlewave, the
# desktop entry, the icons, the AppStream metainfo, the manual page and
# /usr/share/doc/brindlewave.

set(BRINDLEWAVE_HOMEPAGE "https://github.com/brindlewave/brindlewave")
set(BRINDLEWAVE_MAINTAINER "Brindlewave developers <brindlewave@users.noreply.github.com>"
    CACHE STRING "Maintainer named in the Debian package")

# The manual page carries the project's version. Debian keeps manual pages and
# changelogs gzipped at the highest compression, without a name or a time
# stamp in the header, so the same sources give the same package.
set(BRINDLEWAVE_PACKAGING_DIR ${CMAKE_BINARY_DIR}/packaging)
configure_file(${CMAKE_CURRENT_LIST_DIR}/../data/brindlewave.1.in
               ${BRINDLEWAVE_PACKAGING_DIR}/brindlewave.1 @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${CMAKE_CURRENT_LIST_DIR}/../packaging/changelog)
foreach(pair "brindlewave.1|${BRINDLEWAVE_PACKAGING_DIR}/brindlewave.1"
             "changelog|${CMAKE_CURRENT_LIST_DIR}/../packaging/changelog")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 name)
  list(GET pair 1 source)
  execute_process(COMMAND gzip -9 -n -c
                  INPUT_FILE ${source}
                  OUTPUT_FILE ${BRINDLEWAVE_PACKAGING_DIR}/${name}.gz
                  RESULT_VARIABLE gzip_status)
  if(NOT gzip_status EQUAL 0)
    message(FATAL_ERROR "gzip could not compress ${source}: ${gzip_status}")
  endif()
endforeach()

install(FILES ${BRINDLEWAVE_PACKAGING_DIR}/brindlewave.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/../packaging/copyright
              ${BRINDLEWAVE_PACKAGING_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/brindlewave)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brindlewave)
set(CPACK_PACKAGE_VENDOR "Brindlewave developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${BRINDLEWAVE_MAINTAINER}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${BRINDLEWAVE_HOMEPAGE}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ringtone maker for music and video files")
# Paragraphs are separated by an empty line; CPack indents the lines and marks
# the empty ones as Debian's control file wants.
set(CPACK_PACKAGE_DESCRIPTION [=[
Brindlewave cuts a ringtone out of any music or video file that ffmpeg can
read. The file is decoded, its waveform is drawn on a time line, and the
stretch marked on it to the millisecond is saved ready for a phone as an MP3,
WMA, WAV, AMR, M4R (iPhone), OGG or M4A ringtone.

An optional fade in and fade out and a loudness normalisation to -14 LUFS
(EBU R128) apply to every type. Every saved ringtone is checked with ffprobe
before it takes the chosen name, so a failed save never leaves a broken file
behind.

The user interface speaks Chinese and English.]=])

set(CPACK_DEBIAN_PACKAGE_NAME brindlewave)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${BRINDLEWAVE_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
# The libraries the program links (Qt 6 widgets) come from dpkg-shlibdeps.
# SDL2, libsndfile and libebur128 are opened when first needed, not linked, so
# dpkg-shlibdeps does not see them and they are named here; so is ffmpeg,
# which is run as a program.
# Debian's plain libavcodec has no AMR-NB encoder: libavcodec-extra brings it.
# Qt's own texts (file dialogs, message boxes) in Chinese come from
# qt6-translations-l10n.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A font with Chinese glyphs, without which the Chinese window shows boxes;
# xdg-open for the saved notice's "play" and "open folder".
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "ffmpeg, libsdl2-2.0-0, libsndfile1, libebur128-1, fonts-noto-cjk | fonts-wqy-microhei | fonts-wqy-zenhei")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libavcodec-extra, qt6-translations-l10n, xdg-utils")

include(CPack)
