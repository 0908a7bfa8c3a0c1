#ifndef QUENCHBOX_HOST_RESIDENTMEMORY_H
#define QUENCHBOX_HOST_RESIDENTMEMORY_H

namespace quenchbox::host {

// This process's resident memory in bytes, as Linux counts it: what a leak
// or a growing cache shows up in over a long run.
long residentBytes();

}  // namespace quenchbox::host

#endif
