# The Debian package: scripts/package.sh runs `cpack -G DEB` in a Release build configured
# with the prefix /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvantis)
set(CPACK_PACKAGE_VENDOR "The Corvantis developers")
set(CPACK_PACKAGE_CONTACT "Corvantis developers <dev@corvantis.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control audio/video matrix routers over an RS-232 line")
set(CPACK_PACKAGE_DESCRIPTION
    "Corvantis controls one to sixteen audio/video matrix switchers (routers) on one
RS-232 line, shown as one crosspoint matrix of up to 128 x 128: routing on
video, audio or both, input and output names, macros, and routes made at a
router's front panel shown as they happen.

The package also holds corvantis-sim, a virtual line of routers behind a
pseudo-terminal for trying the program without hardware, and a systemd unit
that runs the program without a window (not enabled).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://corvantis.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The web panel's server libraries, named even where shlibdeps is not run; HTTPS comes with
# Qt Network's TLS plugin (libqt6network6 brings libssl3).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6httpserver6 (>= 6.4), libqt6websockets6 (>= 6.4)")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
