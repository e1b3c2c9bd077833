#pragma once

// Positions and sizes in the window's tables are in twips, 1/1440 inch:
// 15 twips to the pixel at 96 dots per inch, scaled with the screen's
// logical DPI.
class Twips
{
public:
    static constexpr double PerInch = 1440.0;
    static constexpr double BaseDpi = 96.0;

    static int toPixels(int twips, double logicalDpi = BaseDpi);
};
