#ifndef QUENCHBOX_EDITOR_X11_EMBEDDEDSKINS_H
#define QUENCHBOX_EDITOR_X11_EMBEDDEDSKINS_H

#include <cstddef>

namespace quenchbox::editor {

// A PNG skin bound into the library at build time (generated from the
// resource script's list, so both builds carry the same files under the
// same ids).
struct EmbeddedSkin {
    int id;
    const unsigned char* data;
    std::size_t size;
};

extern const EmbeddedSkin kEmbeddedSkins[];
extern const int kEmbeddedSkinCount;

}  // namespace quenchbox::editor

#endif
