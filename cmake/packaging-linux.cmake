# The native viewer's install and its Debian package:
#   cmake --install build/linux --prefix ~/.local
#   (cd build/linux && cpack -G DEB)
# The viewer reads its scene from the folder it is started in, so the demo scene goes under
# share/ as a folder to copy, and the menu entry starts viewer-demo, which runs the viewer in
# the user's own copy of it. The menu entry, the icon, the software centres' metainfo and the
# window's class (sdl_window.cpp) all carry one reverse-DNS id on the project's domain.
#
# Two packages built from the same commit are the same bytes: the manual pages and the
# changelog are compressed without names or times (gzip -n), and CPack dates every file of
# the package at the last commit (SOURCE_DATE_EPOCH, cmake/reproducible-package.cmake).

include(GNUInstallDirs)

set(VIEWER_APP_ID org.viewer_project.viewer)
set(VIEWER_MAINTAINER "ビューア developers <maintainers@viewer-project.org>")
set(linux_packaging ${PROJECT_SOURCE_DIR}/packaging/linux)
set(docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/viewer)

install(TARGETS viewer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Stripped as Debian's dh_strip strips a program: the compiler's notes go with the symbols.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
                                --remove-section=.note
                                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/viewer\"
                        COMMAND_ERROR_IS_FATAL ANY)
    endif()")
install(PROGRAMS ${linux_packaging}/viewer-demo.sh DESTINATION ${CMAKE_INSTALL_BINDIR}
        RENAME viewer-demo)
# The capture folder is left out: the viewer makes it when missing.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/assets/demo/ DESTINATION ${CMAKE_INSTALL_DATADIR}/viewer/demo
        PATTERN "抜き取り画像保存フォルダ" EXCLUDE)
install(FILES ${linux_packaging}/${VIEWER_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${linux_packaging}/${VIEWER_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${linux_packaging}/viewer.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME ${VIEWER_APP_ID}.svg)
install(FILES ${linux_packaging}/copyright DESTINATION ${docdir})

# A native package: the project is its own packager, so its one changelog is changelog.gz.
set(compressed_docs)
foreach(doc viewer.1 viewer-demo.1 changelog)
    set(compressed ${CMAKE_CURRENT_BINARY_DIR}/packaging/${doc}.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/packaging
        COMMAND gzip -9 -n -c ${linux_packaging}/${doc} > ${compressed}
        DEPENDS ${linux_packaging}/${doc} VERBATIM)
    list(APPEND compressed_docs ${compressed})
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${compressed_docs})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/viewer.1.gz
              ${CMAKE_CURRENT_BINARY_DIR}/packaging/viewer-demo.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz DESTINATION ${docdir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME viewer)
set(CPACK_PACKAGE_CONTACT "${VIEWER_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interactive 3D viewer with a capture filter")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "ビューア draws a model in the .x format before a wall under one light, with a
translucent coloured filter over the picture. Held keys move the camera, the
model, the filter and the light; Enter saves the area under the filter as a
numbered BMP picture.

viewer-demo, which the applications menu starts, runs the viewer on a copy of
the demo scene in the user's pictures folder. To view a model of one's own,
start viewer in a folder that holds model.x, kabe.x and フィルター画像.bmp.")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://viewer-project.org/)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# The libraries the binary links come from dpkg-shlibdeps. SDL and libepoxy open OpenGL (GLX on
# X11, EGL on Wayland) only at run time, and the texts need a Japanese font: those are named.
# viewer-demo finds the pictures folder with xdg-user-dir, and has a fallback without it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libegl1, fonts-ipafont-gothic | fonts-japanese-gothic")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-user-dirs)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/reproducible-package.cmake)
set(CPACK_VIEWER_SOURCE_DIR ${PROJECT_SOURCE_DIR})
include(CPack)
