# What a user gets, for `cmake --install` and the packages: the plug-ins in
# the folders hosts search, the renderer and its manual page, the
# application with its manual page, desktop entry and icon, the README,
# licence and changelog. On Windows the installer script places the files
# (cmake/WindowsInstaller.cmake).
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/WindowsInstaller.cmake)
  return()
endif()

include(GNUInstallDirs)

# Hosts look in <prefix>/lib/vst, lib/clap, lib/vst3 and lib/lv2, never in a
# multiarch lib/x86_64-linux-gnu, which GNUInstallDirs picks for /usr.
set(QUENCHBOX_INSTALL_PLUGINDIR lib CACHE PATH "Folder under the prefix holding vst, clap, vst3 and lv2")
set(QUENCHBOX_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/quenchbox-rz)

# Plug-ins are loaded, never run: read-only files as Debian wants libraries.
set(quenchbox_library_permissions OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# `cmake --install` and cpack take what is built: the packages build only
# what ships (quenchbox-shipped), not the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
add_custom_target(quenchbox-shipped)

install(TARGETS QuenchboxRZ LIBRARY DESTINATION ${QUENCHBOX_INSTALL_PLUGINDIR}/vst
  PERMISSIONS ${quenchbox_library_permissions})
install(TARGETS QuenchboxRZ-clap LIBRARY DESTINATION ${QUENCHBOX_INSTALL_PLUGINDIR}/clap
  PERMISSIONS ${quenchbox_library_permissions})
install(TARGETS quenchbox-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
add_dependencies(quenchbox-shipped QuenchboxRZ QuenchboxRZ-clap quenchbox-render)

# A bundle is a folder that the target builds; it is installed whole, and the
# libraries in it are stripped like the targets above when stripping is asked
# for (cmake --install --strip, the Debian package).
function(quenchbox_install_bundle target folder destination)
  if(NOT TARGET ${target})
    return()
  endif()
  install(DIRECTORY ${PROJECT_BINARY_DIR}/${folder} DESTINATION ${destination}
    FILE_PERMISSIONS ${quenchbox_library_permissions})
  install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
      file(GLOB_RECURSE libraries \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}/${folder}/*.so\")
      foreach(library IN LISTS libraries)
        execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \"\${library}\" COMMAND_ERROR_IS_FATAL ANY)
      endforeach()
    endif()")
  add_dependencies(quenchbox-shipped ${target})
endfunction()

quenchbox_install_bundle(QuenchboxRZ-vst3 QuenchboxRZ.vst3 ${QUENCHBOX_INSTALL_PLUGINDIR}/vst3)
quenchbox_install_bundle(QuenchboxRZ-lv2 QuenchboxRZ.lv2 ${QUENCHBOX_INSTALL_PLUGINDIR}/lv2)

# The changelog and the manual page go compressed, as Debian wants them:
# gzip -9n, without a name or time stamp, so that rebuilds are identical.
function(quenchbox_gzip source output)
  add_custom_command(OUTPUT ${output} COMMAND gzip -9n -c ${source} > ${output}
    DEPENDS ${source} VERBATIM)
endfunction()
set(quenchbox_gzipped ${PROJECT_BINARY_DIR}/gzipped)
file(MAKE_DIRECTORY ${quenchbox_gzipped})
quenchbox_gzip(${PROJECT_SOURCE_DIR}/CHANGELOG ${quenchbox_gzipped}/changelog.gz)
set(quenchbox_manual_pages quenchbox-render.1)
# The application is built where JACK's and ALSA's headers are (app/).
if(TARGET quenchbox-rz)
  list(APPEND quenchbox_manual_pages quenchbox-rz.1)
endif()
set(quenchbox_gzipped_files ${quenchbox_gzipped}/changelog.gz)
foreach(page IN LISTS quenchbox_manual_pages)
  quenchbox_gzip(${PROJECT_SOURCE_DIR}/docs/${page} ${quenchbox_gzipped}/${page}.gz)
  list(APPEND quenchbox_gzipped_files ${quenchbox_gzipped}/${page}.gz)
  install(FILES ${quenchbox_gzipped}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(quenchbox-gzipped ALL DEPENDS ${quenchbox_gzipped_files})
add_dependencies(quenchbox-shipped quenchbox-gzipped)

# The application, and what a desktop needs to list it in its menu: the
# entry, and the icon in the theme every desktop falls back to (the SVG and
# the PNG sizes rendered from it).
if(TARGET quenchbox-rz)
  install(TARGETS quenchbox-rz RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/linux/quenchbox-rz.desktop
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons)
  add_dependencies(quenchbox-shipped quenchbox-rz)
endif()

install(FILES README.md ${quenchbox_gzipped}/changelog.gz DESTINATION ${QUENCHBOX_INSTALL_DOCDIR})
# The licence is written in Debian's machine-readable copyright format.
install(FILES LICENSE DESTINATION ${QUENCHBOX_INSTALL_DOCDIR} RENAME copyright)

include(${CMAKE_CURRENT_LIST_DIR}/DebianPackage.cmake)
