#pragma once
// An implicit relation's lattice traced ahead of the calculation that reads it, on another
// thread: the members of a family are traced side by side this way, then calculated and drawn
// one after the other as before, each taking the lines traced for it where its lattice and
// programs are the ones they were traced with (else it traces them itself).

#include "engine/KTFunction3.h"
#include "engine/KTImplicitPolylines.h"

#include <cstring>

class KTImplicitAhead
{
public:
    /// The lattice over the graph rectangle, and the two sides' programs with their constants.
    double xLow = 0.0, xHigh = 0.0, yLow = 0.0, yHigh = 0.0;
    int columns = 0, rows = 0;
    KTFunction3::PreparedList first, second;
    bool planned = false; ///< the fields above say what to trace
    bool traced = false;  ///< `lines` holds the trace's polylines, not yet simplified
    bool holdsEverywhere = false; ///< traced as sides equal everywhere in view: no lines
    KTImplicitPolylines lines;

    /// Traced for this lattice and these programs.
    bool Fits(double x0, double x1, double y0, double y1, int c, int r, const KTFunction3::PreparedList& a,
              const KTFunction3::PreparedList& b) const
    {
        return traced && x0 == xLow && x1 == xHigh && y0 == yLow && y1 == yHigh && c == columns && r == rows &&
               Same(a, first) && Same(b, second);
    }

private:
    static bool Same(const KTFunction3::PreparedList& a, const KTFunction3::PreparedList& b)
    {
        return a.program == b.program && a.angleScale == b.angleScale &&
               std::memcmp(a.constants, b.constants, sizeof a.constants) == 0;
    }
};
