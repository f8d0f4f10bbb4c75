# The native viewer's install and its Debian package:
#   cmake --install build/linux --prefix ~/.local
#   (cd build/linux && cpack -G DEB)
# The viewer reads its scene from the folder it is started in, so the demo scene goes under
# share/ as a folder to copy, and the menu entry starts viewer-demo, which runs the viewer in
# the user's own copy of it. The menu entry's StartupWMClass is the window class the viewer
# sets.

include(GNUInstallDirs)

install(TARGETS viewer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS ${PROJECT_SOURCE_DIR}/packaging/linux/viewer-demo.sh
        DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME viewer-demo)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/assets/demo/ DESTINATION ${CMAKE_INSTALL_DATADIR}/viewer/demo
        PATTERN ".gitkeep" EXCLUDE REGEX "抜き取り画像保存フォルダ/.+" EXCLUDE)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/linux/viewer.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/linux/viewer.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME viewer)
set(CPACK_PACKAGE_CONTACT "ビューア developers <viewer@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interactive 3D viewer with a capture filter")
set(CPACK_PACKAGE_DESCRIPTION
    "ビューア draws a .x model before a wall under one light, with a translucent coloured filter \
over the picture; held keys move the camera, the model, the filter and the light, and Enter \
saves the area under the filter as a BMP file. Start viewer-demo, or viewer in a folder that \
holds model.x, kabe.x and フィルター画像.bmp.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# The libraries the binary links come from dpkg-shlibdeps. SDL and libepoxy open OpenGL (GLX on
# X11, EGL on Wayland) only at run time, and the texts need a Japanese font: those are named.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libegl1, fonts-ipafont-gothic | fonts-japanese-gothic")
include(CPack)
