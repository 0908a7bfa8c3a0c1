#ifndef QUENCHBOX_EDITOR_UPDATESERVER_H
#define QUENCHBOX_EDITOR_UPDATESERVER_H

namespace quenchbox::editor {

// The maker's web server ("host" or "host:port") for the version file and
// the download page: a build setting, so tests build against a loopback one.
const char* updateServer();

}  // namespace quenchbox::editor

#endif
