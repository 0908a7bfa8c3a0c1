# Writes a C++ source that holds every PNG skin the resource script lists,
# as byte arrays with their ids, so the Linux library carries its skins the
# way the Windows one carries them as resources.
# Usage: cmake -DSOURCE_DIR=<project> -DOUTPUT=<file.cpp> -P EmbedSkins.cmake
file(STRINGS "${SOURCE_DIR}/resources/QuenchboxRZ.rc" lines REGEX "^SKIN_[A-Z0-9_]+ PNG \"[^\"]+\"")
set(arrays "")
set(table "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^(SKIN_[A-Z0-9_]+) PNG \"([^\"]+)\".*" "\\1;\\2" fields "${line}")
  list(GET fields 0 id)
  list(GET fields 1 path)
  file(READ "${SOURCE_DIR}/${path}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
  string(APPEND arrays "const unsigned char ${id}_png[] = {\n${bytes}\n};\n")
  string(APPEND table "    {${id}, ${id}_png, sizeof(${id}_png)},\n")
endforeach()
file(WRITE "${OUTPUT}.new" "// Generated from resources/QuenchboxRZ.rc by cmake/EmbedSkins.cmake.\n"
  "#include \"editor/x11/EmbeddedSkins.h\"\n#include \"resources/SkinIds.h\"\n\n"
  "namespace quenchbox::editor {\n\nnamespace {\n\n${arrays}\n}  // namespace\n\n"
  "const EmbeddedSkin kEmbeddedSkins[] = {\n${table}};\n"
  "const int kEmbeddedSkinCount = sizeof(kEmbeddedSkins) / sizeof(kEmbeddedSkins[0]);\n\n"
  "}  // namespace quenchbox::editor\n")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
