#include "solver/ExponentialPair.h"

#include <cmath>

namespace quenchbox::solver {

ExponentialPair::ExponentialPair()
{
    for (std::uint64_t j = 0; j < table.size(); ++j) {
        const auto value = static_cast<double>(std::exp2(static_cast<long double>(j) / table.size()));
        std::memcpy(&table[j], &value, sizeof value);
        table[j] -= j << (52 - kTableBits);
    }
}

}  // namespace quenchbox::solver
