#include "widgets/NiceSteps.h"

#include <cmath>
#include <initializer_list>

double NiceStep(double atLeast) {
    const double power = std::pow(10.0, std::floor(std::log10(atLeast)));
    for (const double factor : {1.0, 2.0, 5.0})
        // A hair of tolerance, so 0.3 / 3 stays 0.1 and not 0.2.
        if (factor * power >= atLeast * (1 - 1e-9))
            return factor * power;
    return 10 * power;
}
