# Installation and the Debian package.
#
# The program finds its driver libraries and res/ beside its own executable, so
# the whole program folder is installed as one private folder, lib/vexel-mouse/,
# and bin/ only holds relative links into it: /proc/self/exe resolves a link, so
# the program still sees lib/vexel-mouse/ as its folder. The store then lives in
# $XDG_DATA_HOME/vexel-mouse/, as ordinary users cannot write that folder.
#
# Desktop integration (menu entry, software-centre metadata, icons, udev rule)
# comes from packaging/. `bash scripts/package.sh` builds the .deb with CPack.

set(VEXEL_APP_ID "io.github.vexel_mouse.VexelMouse")
set(vexel_program_install_dir "lib/vexel-mouse")
set(vexel_packaging_dir "${PROJECT_SOURCE_DIR}/packaging")

# --- The program folder -----------------------------------------------------

# The virtual mouse is installed too: with it the program can be tried and
# demonstrated without the hardware (see the README). It stays in the private
# folder, off PATH.
install(TARGETS vexel-mouse vexelctl vexel-mouse-sim
        RUNTIME DESTINATION "${vexel_program_install_dir}")

# Loaded with dlopen from the program folder by file name. The hook library
# comes with drivers/hook/; until then it is simply absent, as at run time.
foreach(module vexel_hiddriver_1 vexel_hiddriver_2 vexel_hook)
  if(TARGET ${module})
    install(TARGETS ${module} LIBRARY DESTINATION "${vexel_program_install_dir}")
  endif()
endforeach()

# From the source folder rather than the build copy, so files removed from
# res/ never linger in an installed copy.
# The store of an installed copy lives in each user's data folder, never in
# the program folder (see kInstalledMarker in src/store/store_folder.h).
file(WRITE "${CMAKE_BINARY_DIR}/installed-copy" "")
install(FILES "${CMAKE_BINARY_DIR}/installed-copy" DESTINATION "${vexel_program_install_dir}")
install(DIRECTORY "${PROJECT_SOURCE_DIR}/res/" DESTINATION "${vexel_program_install_dir}/res"
        PATTERN "CMakeLists.txt" EXCLUDE)

# bin/ links made in the build tree; file(INSTALL) copies a link as a link.
set(vexel_link_dir "${CMAKE_BINARY_DIR}/install-links")
file(MAKE_DIRECTORY "${vexel_link_dir}")
foreach(program vexel-mouse vexelctl)
  file(CREATE_LINK "../${vexel_program_install_dir}/${program}" "${vexel_link_dir}/${program}"
       SYMBOLIC)
  install(FILES "${vexel_link_dir}/${program}" DESTINATION bin)
endforeach()

# --- Desktop integration ------------------------------------------------------

install(FILES "${vexel_packaging_dir}/${VEXEL_APP_ID}.desktop" DESTINATION share/applications)
install(FILES "${vexel_packaging_dir}/${VEXEL_APP_ID}.metainfo.xml" DESTINATION share/metainfo)
install(FILES "${vexel_packaging_dir}/udev/70-vexel-mouse.rules" DESTINATION lib/udev/rules.d)

set(vexel_logo "${PROJECT_SOURCE_DIR}/res/skins/main/logo.svg")
install(FILES "${vexel_logo}" DESTINATION share/icons/hicolor/scalable/apps
        RENAME "${VEXEL_APP_ID}.svg")

# PNG icons for menus and software centres that do not draw SVG, rendered from
# the skin's logo so there is one drawing to keep.
find_program(VEXEL_RSVG_CONVERT rsvg-convert)
if(VEXEL_RSVG_CONVERT)
  set(vexel_icon_files "")
  foreach(size 16 22 24 32 48 64 128 256)
    set(icon_dir "${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps")
    set(icon "${icon_dir}/${VEXEL_APP_ID}.png")
    add_custom_command(
      OUTPUT "${icon}"
      COMMAND ${CMAKE_COMMAND} -E make_directory "${icon_dir}"
      COMMAND "${VEXEL_RSVG_CONVERT}" --width ${size} --height ${size} --keep-aspect-ratio
              --output "${icon}" "${vexel_logo}"
      DEPENDS "${vexel_logo}"
      VERBATIM)
    list(APPEND vexel_icon_files "${icon}")
    install(FILES "${icon}" DESTINATION "share/icons/hicolor/${size}x${size}/apps")
  endforeach()
  add_custom_target(vexel_icons ALL DEPENDS ${vexel_icon_files})
else()
  message(WARNING "rsvg-convert (librsvg2-bin) not found: only the SVG icon is installed")
endif()

# --- The Debian package -------------------------------------------------------

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vexel-mouse)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The first line is the synopsis, the rest the extended description.
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "configuration utility for the Vexel gaming mouse\n"
  "Edits the profiles of the Vexel gaming mouse (DPI stages, polling rate,\n"
  "lighting, button functions and macros) and sends them over the USB cable,\n"
  "the 2.4 GHz receiver or Bluetooth LE. Includes the command-line companion\n"
  "vexelctl and a virtual mouse for trying the program without the hardware.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER
    "Vexel Mouse maintainers <maintainers@users.noreply.c-seed-674d7344.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Libraries Qt loads with dlopen, which dpkg-shlibdeps cannot see: the SVG image
# and icon plugins draw the whole skin. The xcb platform plugin ships with
# libqt6gui6, which the program links anyway.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
# Lets the logged-in user reach a mouse that is already plugged in.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${vexel_packaging_dir}/debian/postinst")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
