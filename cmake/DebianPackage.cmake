# The Debian package, made by `cpack` from the install rules into /usr
# (scripts/package.sh). Its version is the project's.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quenchbox-rz)
set(CPACK_PACKAGE_VENDOR ZUK)
set(CPACK_PACKAGE_CONTACT "ZUK <support@zuk.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "virtual-analog guitar distortion plug-in (VST2, VST3, CLAP, LV2)")
set(CPACK_PACKAGE_DESCRIPTION [[
Quenchbox RZ is a guitar distortion whose sound is computed per sample in
double precision from a model of an overdrive circuit: an input high-pass,
two nonlinear op-amp stages, a tone network with an LED clipping pair, an
optional low-end network, an output filter, level and a dry/wet mix, with
optional 8x oversampling.

This package holds the plug-in for Linux VST2 hosts (/usr/lib/vst), VST3
hosts (/usr/lib/vst3), CLAP hosts (/usr/lib/clap) and LV2 hosts
(/usr/lib/lv2), each with its skinned X11 editor; quenchbox-rz, an
application that plays a guitar through it on JACK or ALSA without a DAW,
with MIDI and presets; and quenchbox-render, a command-line host that
renders audio files through it.]])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://${QUENCHBOX_UPDATE_SERVER}/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)

install(FILES ${PROJECT_SOURCE_DIR}/packaging/debian/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides RENAME quenchbox-rz)
