# Fails the build when a file includes a header of a layer above its own, or
# a platform library where only the platform back-ends may use one. Run as
#   cmake -DSOURCE_DIR=<repo> -P CheckLayers.cmake
# by the target check_layers, which every build runs.
#
# The layers, bottom to top:
#   messages, platform interfaces -> store -> script core, automatic profiles -> protocol
#   -> link (device session)
#   -> toolkit facade -> ui (page, macro editor) -> app (main window, program)
# with language beside store, and the platform back-ends, drivers and the
# virtual mouse outside the program's layers. The back-ends implement the
# platform interfaces and include none of the program's layers.

set(qt_or_x11 "<Q[A-Za-z]*>|<Qt[A-Za-z]*/|<X11/|<xcb/|<dbus/|<systemd/|<hidapi|<xkbcommon/")
set(ui_and_app "\"(toolkit|app|ui)/")
# The platform back-ends include the platform interfaces (and messages), nothing above them.
set(back_end_forbidden "\"(store|language|protocol|link|toolkit|ui|app)/")

# folder (relative to SOURCE_DIR) ; forbidden include pattern ; what it may not use
set(rules
  "src/messages|\"[a-z_]+/|any other layer"
  "src/store|\"(toolkit|app|ui|link|protocol)/|${qt_or_x11}|the layers above the store or a platform library"
  "src/language|\"(toolkit|app|ui|link|protocol)/|${qt_or_x11}|the layers above it or a platform library"
  "src/script|\"(toolkit|app|ui|link|protocol)/|${qt_or_x11}|the layers above the script core or a platform library"
  "src/autoprofile|\"(toolkit|app|ui|link|protocol|platform/linux|platform/posix)/|${qt_or_x11}|the layers above it, a platform back-end or a platform library"
  "src/protocol|${ui_and_app}|\"link/|${qt_or_x11}|the link, the UI or a platform library"
  "src/link|${ui_and_app}|${qt_or_x11}|the UI or a platform library"
  "src/platform/[a-z_]+\\.h|${ui_and_app}|\"link/|${qt_or_x11}|a layer above it or a platform library"
  "src/platform/linux|${back_end_forbidden}|the program's layers"
  "src/platform/posix|${back_end_forbidden}|the program's layers"
  "src/toolkit/(headless/)?[a-z_]+\\.[hc]p?p?|\"(app|ui|link)/|${qt_or_x11}|the program's layers or a platform library"
  "src/ui|\"app/|\"toolkit/(qt|headless)/|${qt_or_x11}|the application, a toolkit implementation or a platform library"
  "tools/vexelctl|${ui_and_app}|<Q|the GUI"
  "bench/link|${ui_and_app}|<Q|the GUI"
  "drivers|${ui_and_app}|\"link/|the program's layers"
  "sim|${ui_and_app}|\"link/|the program's layers"
)

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}"
  "${SOURCE_DIR}/src/*.h" "${SOURCE_DIR}/src/*.cpp"
  "${SOURCE_DIR}/tools/*.h" "${SOURCE_DIR}/tools/*.cpp"
  "${SOURCE_DIR}/bench/*.h" "${SOURCE_DIR}/bench/*.cpp"
  "${SOURCE_DIR}/drivers/*.h" "${SOURCE_DIR}/drivers/*.c" "${SOURCE_DIR}/drivers/*.cpp"
  "${SOURCE_DIR}/sim/*.h" "${SOURCE_DIR}/sim/*.cpp")

set(violations "")
foreach(source IN LISTS sources)
  foreach(rule IN LISTS rules)
    string(REPLACE "|" ";" parts "${rule}")
    list(GET parts 0 folder)
    list(LENGTH parts count)
    math(EXPR last "${count} - 1")
    list(GET parts ${last} what)
    list(SUBLIST parts 1 ${last} patterns)
    if(NOT source MATCHES "^${folder}(/|$)")
      continue()
    endif()
    string(JOIN "|" forbidden ${patterns})
    file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS includes)
      if(line MATCHES "${forbidden}")
        string(STRIP "${line}" line)
        string(APPEND violations "  ${source}: ${line}   (${folder} may not use ${what})\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "Includes against the layering:\n${violations}")
endif()
