# Installation (cmake --install) and the Debian package (cpack, or the
# "package" target): the two programs and the demo launcher in /usr/bin with
# everything packaging/ provides. The window's pages are all inside
# zepo-monitor, so the package ships whichever pages are built; the NTRIP
# client's sockets come in a module beside it (see window/parts).
install(TARGETS ZEPOMonitor zepo-receiver-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS tools/run-monitor DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME zepo-monitor-demo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zepo-monitor)
set(CPACK_PACKAGE_VENDOR Brennix)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "monitor and terminal for u-blox GPS receivers")
set(CPACK_PACKAGE_DESCRIPTION
    "ZEPO Monitor shows what a u-blox GPS receiver sends on a serial port, as
ASCII, decimal, hexadecimal or NMEA lines, watches chosen NMEA sentences and
PUBX answers, and sends PUBX polls and rate commands, UBX frames, text and
raw bytes, echoing every write in hexadecimal.

Its Receiver page shows the fix, satellites (sky plot, signal chart and
table), DOPs, speed and accuracies, greying what is no longer current; the
Messages page decodes every NMEA, PUBX and UBX message; the Configure page
reads and sets rates and the receiver's configuration with its answers; the
Record page records and replays the port; the History page searches what
was received.

A simulated receiver (zepo-receiver-sim) and a launcher that starts the
monitor beside it (zepo-monitor-demo) let the window be tried without a
receiver.

Serial devices belong to the dialout group: to open them as a normal user,
join it (sudo adduser USER dialout) and log in again.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZEPO_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Dependencies as the binaries need them, from dpkg-shlibdeps; the NTRIP
# client's TLS checks casters' certificates against the system's authorities.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS ca-certificates)
include(CPack)
