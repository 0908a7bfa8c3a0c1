#include "host/ResidentMemory.h"

#include <unistd.h>

#include <fstream>

namespace quenchbox::host {

long residentBytes()
{
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

}  // namespace quenchbox::host
