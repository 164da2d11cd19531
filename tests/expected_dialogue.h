// Console texts of the program that several end-to-end tests expect, each written out once.
#pragma once

#include <string>

namespace varnok::testing {

inline const std::string MENU = "\nVarnok Version 1.1c_32\n"
                                "--------------------------\n\n"
                                "Choose program mode:\n\n"
                                "(1) Rating list\n"
                                "(2) Tournament\n"
                                "(3) Single competition\n";

// The lines naming the reports at the end of a rating run, before the run time.
inline const std::string SUMMARY = "\nGeneral statistics in 'general.dat'\n"
                                   "Individual statistics in 'programs.dat'\n"
                                   "Rating list in 'rating.dat'\n"
                                   "Database structure in 'cluster.dat'\n\n";

inline const std::string CALCULATOR_PROMPTS = "\n\nWins   = Draws  = Losses = Av.Op. Elo = ";
inline const std::string QUESTION = "\nNew calculation (y/n) ? ";

// The calculator on one win and one loss against 2400: p = 0.5, both deviations 0.5, so every
// interval from two deviations on is clipped at both ends.
inline const std::string ONE_AND_ONE = "\nResult     : 1.0/2 (+1,=0,-1)\n"
                                       "Perf.      : 50.0 %\n"
                                       "Margins    :\n"
                                       " 68 %      : (+ 50.0,- 50.0 %) -> [  0.0,100.0 %]\n"
                                       " 95 %      : (+100.0,-100.0 %) -> [  0.0,100.0 %]\n"
                                       " 99.7 %    : (+100.0,-100.0 %) -> [  0.0,100.0 %]\n"
                                       "\nElo        : 2400\n"
                                       "Margins    :\n"
                                       " 68 %      : (+600,-600) -> [1800,3000]\n"
                                       " 95 %      : (+600,-600) -> [1800,3000]\n"
                                       " 99.7 %    : (+600,-600) -> [1800,3000]\n";

} // namespace varnok::testing
