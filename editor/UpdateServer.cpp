#include "editor/UpdateServer.h"

const char* quenchbox::editor::updateServer() { return QUENCHBOX_UPDATE_SERVER; }
