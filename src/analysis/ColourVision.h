#pragma once
// How far apart two colours look, for people with normal and with dichromatic colour vision:
// the CIEDE2000 colour difference and the Machado, Oliveira & Fernandes (2009) simulation of
// protanopia, deuteranopia and tritanopia. Used to check that the map's class colours stay
// distinguishable. No window code.

struct Rgb8 {
    int r = 0, g = 0, b = 0;
};

struct Lab {
    double L = 0, a = 0, b = 0;
};

/// CIE L*a*b* (D65 white) of an sRGB colour.
Lab LabOfSrgb(Rgb8 c);

/// CIEDE2000 colour difference (kL = kC = kH = 1).
double DeltaE2000(const Lab& x, const Lab& y);

enum class Dichromacy { Protanopia = 0, Deuteranopia, Tritanopia };

/// `c` as seen with the given dichromacy at full severity, back in sRGB.
Rgb8 SimulateDichromacy(Rgb8 c, Dichromacy kind);
