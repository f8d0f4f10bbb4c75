# The Windows package: a zip with the viewer, the demo scene beside it (the viewer reads its
# files from the folder it is started in) and a short read-me.
#   cmake --build --preset windows --target package

install(TARGETS viewer RUNTIME DESTINATION .)
# Captures left in the source tree by runs there are not part of the scene.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/assets/demo/ DESTINATION . PATTERN ".gitkeep" EXCLUDE
        REGEX "抜き取り画像保存フォルダ/.+" EXCLUDE)
install(DIRECTORY DESTINATION "抜き取り画像保存フォルダ")
install(FILES ${PROJECT_SOURCE_DIR}/packaging/README-windows.txt DESTINATION . RENAME README.txt)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME viewer)
set(CPACK_PACKAGE_FILE_NAME viewer-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
