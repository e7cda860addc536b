# What a user takes: the tool, the README and the license. On Windows it is a
# zip whose folder is copied beside the host program ("cpack -G ZIP").
if(WIN32)
  set(DIGIT_TINT_BIN_DIR .)
  set(DIGIT_TINT_DOC_DIR .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x86_64)
else()
  include(GNUInstallDirs)
  set(DIGIT_TINT_BIN_DIR ${CMAKE_INSTALL_BINDIR})
  set(DIGIT_TINT_DOC_DIR ${CMAKE_INSTALL_DOCDIR})
  set(CPACK_GENERATOR TGZ)
endif()

install(TARGETS digit-tint RUNTIME DESTINATION ${DIGIT_TINT_BIN_DIR})
install(FILES README.md LICENSE DESTINATION ${DIGIT_TINT_DOC_DIR})

set(CPACK_PACKAGE_VENDOR "the digit-tint developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Recolours the digits in the text of a CAD selection")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
include(CPack)
