#pragma once
// The pen weights that the weight combo boxes of the tangent and annotation dialogs offer, in
// quarter points; the user may also type any other weight.

inline constexpr const char* KTWeightTexts[] = {"0.25pt", "0.50pt", "0.75pt", "1pt",    "1.25pt", "1.50pt",
                                                "1.75pt", "2pt",    "2.25pt", "2.50pt", "2.75pt", "3pt",
                                                "3.25pt", "3.50pt", "3.75pt", "4pt"};
