# The project's version, from project(), as a generated header
# "QuenchboxVersion.h" for every part that shows or reports it.

# The version code (major, one digit of minor, two of patch) and the about
# view's "ver. 1.0.01" only read back unambiguously within these ranges.
if(PROJECT_VERSION_MINOR GREATER 9 OR PROJECT_VERSION_PATCH GREATER 99)
  message(FATAL_ERROR "Version ${PROJECT_VERSION}: the minor version must stay below 10 and the patch below 100")
endif()
math(EXPR QUENCHBOX_VERSION_CODE "${PROJECT_VERSION_MAJOR} * 1000 + ${PROJECT_VERSION_MINOR} * 100 + ${PROJECT_VERSION_PATCH}")

configure_file(${CMAKE_CURRENT_LIST_DIR}/Version.h.in ${PROJECT_BINARY_DIR}/generated/QuenchboxVersion.h @ONLY)

add_library(quenchbox_version INTERFACE)
target_include_directories(quenchbox_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
