# Read by cpack once per generator: the installer's file name says what it is, and with a
# certificate in the environment (tools/package-windows.sh) the programs, the uninstaller and the
# setup are signed.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
endif()

if(NOT "$ENV{TAMBLO_SIGN_PFX}" STREQUAL "")
  set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/TambloSignStaged.cmake")
  # NSIS signs the uninstaller before it is packed into the setup, and the setup once written.
  set(sign_command "'\"${CPACK_TAMBLO_SIGN_TOOL}\" \"%1\"' = 0")
  set(CPACK_TAMBLO_NSIS_SIGNING "!uninstfinalize ${sign_command}\n!finalize ${sign_command}")
endif()
