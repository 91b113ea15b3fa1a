# Packages made from the install rules with CPack (`cmake --build <dir> --target package`): a
# Debian package on Linux; from the Windows build a portable .zip and a per-user installer.
set(CPACK_PACKAGE_NAME tamblo)
set(CPACK_PACKAGE_VENDOR "tamblo maintainers")
set(CPACK_PACKAGE_CONTACT "tamblo maintainers <maintainers@users.noreply.c-seed-4f67676c.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "record the mouse anywhere on the screen and play it back")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# Packages are made from a build; the sources are in git.
set(CPACK_SOURCE_GENERATOR "")

if(WIN32)
  set(CPACK_GENERATOR ZIP NSIS)
  set(CPACK_PACKAGE_FILE_NAME "tamblo-${PROJECT_VERSION}-win64")
  # The installer is named apart from the .zip there (tamblo-<version>-win64-setup.exe).
  set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_CURRENT_LIST_DIR}/TambloPackageNames.cmake")
  set(CPACK_TAMBLO_SIGN_TOOL "${PROJECT_SOURCE_DIR}/tools/sign-windows.sh")
  # The installer's script is our own (per user, no administrator rights): CPack looks for it on
  # the module path before its own.
  list(PREPEND CMAKE_MODULE_PATH "${CMAKE_CURRENT_LIST_DIR}/nsis")
  set(CPACK_PACKAGE_INSTALL_DIRECTORY tamblo)
  set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY tamblo)
  set(CPACK_NSIS_PACKAGE_NAME tamblo)
  set(CPACK_NSIS_DISPLAY_NAME "tamblo ${PROJECT_VERSION}")
  set(CPACK_NSIS_UNINSTALL_NAME uninstall)
  # Start menu entries: the window once the build has it, and the quick start with the README.
  set(CPACK_NSIS_MENU_LINKS README.txt "tamblo 使用说明")
  if(TARGET tamblo)
    list(PREPEND CPACK_NSIS_MENU_LINKS tamblo.exe tamblo)
    set(CPACK_NSIS_INSTALLED_ICON_NAME tamblo.exe)
  else()
    set(CPACK_NSIS_INSTALLED_ICON_NAME tamblo-cli.exe)
  endif()
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  # From the newest changelog entry (resources/doc/CMakeLists.txt).
  set(CPACK_DEBIAN_PACKAGE_RELEASE "${TAMBLO_DEBIAN_REVISION}")
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # Without a CJK font the window's Chinese texts show as boxes.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "fonts-wqy-microhei | fonts-wqy-zenhei | fonts-noto-cjk | fonts-arphic-uming")
  # The synopsis line is CPACK_PACKAGE_DESCRIPTION_SUMMARY; this is the text below it.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
tamblo is an auto-clicker for X11 desktops. Press F7 in any application to
record what you do with the mouse, and F7 again to save it as a plain-text
script. F8 plays a script back as synthetic input, once or in a loop, and F8
during the playback stops it. Scripts are easy to write and edit by hand.

The package holds the tray window, tamblo, whose texts are in Simplified
Chinese, and tamblo-cli, which checks scripts and names the line at fault,
plays them with a chosen count, speed and stop key, and records keys as well
as the mouse. Example scripts are included.

鼠标录制与自动点击工具：F7 录制鼠标操作并保存为脚本，F8 播放脚本，脚本可以手工编写。]=])
  string(STRIP "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}" CPACK_DEBIAN_PACKAGE_DESCRIPTION)
endif()

include(CPack)
