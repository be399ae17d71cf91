# The Debian package (`cmake --build <dir> --target package`, or `make package` at the top): everything
# `cmake --install` places, laid out under /usr. Depends is computed by dpkg-shlibdeps from the installed
# programs' shared libraries; what no library link reveals (the symbol font, the wake phrase's speech
# model, Qt's extra image formats) is recommended, so apt installs it by default.

set(ORBIX_PACKAGE_MAINTAINER "The Orbix developers <packaging@orbix.app>" CACHE STRING
    "The Maintainer line of the Debian package")

install(FILES "${PROJECT_SOURCE_DIR}/data/copyright" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/orbix")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orbix)
set(CPACK_PACKAGE_VENDOR "The Orbix developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "assistant that operates Capture One from typed and spoken requests")
set(CPACK_PACKAGE_DESCRIPTION
    "Orbix turns a typed request, a spoken conversation or a wake phrase with a
command into one operation on Capture One's open document, runs it locally as
generated AppleScript and shows the result in a conversation with a side panel
of documents. On Linux it drives the bundled Capture One Simulator, a stand-in
for Capture One's scripting interface (orbix-c1sim).")
set(CPACK_PACKAGE_CONTACT "${ORBIX_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ORBIX_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-material-design-icons-iconfont, pocketsphinx-en-us, qt6-image-formats-plugins")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The desktop entry and the D-Bus activation file name the installed program by its full path: the
# install step must see /usr as its prefix and write into the staging folder through DESTDIR.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
# A package made from the Debug tree is as small as a release one.
set(CPACK_STRIP_FILES ON)
include(CPack)
