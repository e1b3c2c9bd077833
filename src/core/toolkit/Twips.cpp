#include "toolkit/Twips.h"

#include <cmath>

int Twips::toPixels(int twips, double logicalDpi)
{
    return int(std::lround(twips * logicalDpi / PerInch));
}
