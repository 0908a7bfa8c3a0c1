# The Windows installer QuenchboxRZ-<version>-setup.exe in the build tree,
# made by Debian's makensis from packaging/windows/QuenchboxRZ.nsi: target
# quenchbox-installer (scripts/package.sh). It takes the VST3 bundle when
# the build has one, and the application Quenchbox RZ.exe.
find_program(QUENCHBOX_MAKENSIS makensis)
if(NOT QUENCHBOX_MAKENSIS)
  return()
endif()

set(installer ${PROJECT_BINARY_DIR}/QuenchboxRZ-${PROJECT_VERSION}-setup.exe)
set(script ${PROJECT_SOURCE_DIR}/packaging/windows/QuenchboxRZ.nsi)
set(defines -DVERSION=${PROJECT_VERSION} -DVST2_DLL=$<TARGET_FILE:QuenchboxRZ>
  -DCLAP_FILE=$<TARGET_FILE:QuenchboxRZ-clap> -DAPP_EXE=$<TARGET_FILE:QuenchboxRZ-app>
  -DLICENSE_FILE=${PROJECT_SOURCE_DIR}/LICENSE -DOUT_FILE=${installer})
set(inputs QuenchboxRZ QuenchboxRZ-clap QuenchboxRZ-app ${PROJECT_SOURCE_DIR}/LICENSE ${script})
if(TARGET QuenchboxRZ-vst3)
  list(APPEND defines -DVST3_BUNDLE=${PROJECT_BINARY_DIR}/QuenchboxRZ.vst3)
  list(APPEND inputs QuenchboxRZ-vst3)
endif()

# -WX: a warning of makensis fails the build like a compiler's.
add_custom_command(OUTPUT ${installer}
  COMMAND ${QUENCHBOX_MAKENSIS} -V2 -WX ${defines} ${script}
  DEPENDS ${inputs} VERBATIM)
add_custom_target(quenchbox-installer DEPENDS ${installer})
