#pragma once
#include <vector>

// The sky as the receiver sees it: each satellite with its number, elevation and
// azimuth (degrees), signal value and whether it is used in the fix; the fix's
// precision and whether there is anything to display.
class TMapaSatelites {
public:
    struct Satelite {
        int numero;
        double elevacion, azimut, senal;
        bool enUso;
    };
    // Fills the list from the library's current receiver data (empty without a library).
    void Lee_Satelites();

    std::vector<Satelite> satelites;
    double precision = 0;
    bool display = false;
};
