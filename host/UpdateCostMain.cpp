// quenchbox-update-cost: prints what one coefficient update of the engine
// costs per group, in both circuit variants, with oversampling off and on.

#include "host/UpdateCost.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    int updates = 201;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--updates") == 0 && i + 1 < argc) {
            updates = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: quenchbox-update-cost [--updates N]\n"
                                 "Times N updates of each coefficient group (default 201) and prints\n"
                                 "the median of each variant with oversampling off and on (8x).\n");
            return argv[i][0] == '-' && argv[i][1] == 'h' ? 0 : 2;
        }
    }
    const auto costs = quenchbox::host::measureUpdateCosts(updates);
    std::fputs(quenchbox::host::formatUpdateCosts(costs).c_str(), stdout);
    return 0;
}
