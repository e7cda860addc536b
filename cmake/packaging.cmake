# What a user takes: the tool, a guide and the license. On Windows it is a zip
# of digit-tint.exe with guides written for Windows users (windows-package.cmake);
# elsewhere a tarball with the tool, digit-tint-host and the documentation.
set(CPACK_PACKAGE_VENDOR "the digit-tint developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Recolours the digits in the text of a CAD selection")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# <package>.sha256 beside it: "<hash>  <file name>", as sha256sum -c reads it.
set(CPACK_PACKAGE_CHECKSUM SHA256)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x86_64)
  include(${CMAKE_CURRENT_LIST_DIR}/windows-package.cmake)
else()
  include(GNUInstallDirs)
  install(TARGETS digit-tint RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES README.md CHANGELOG.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)
  set(CPACK_GENERATOR TGZ)
endif()

include(CPack)
