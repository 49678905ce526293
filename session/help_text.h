// SPDX-License-Identifier: GPL-3.0-or-later
// The text of the "&Help" command and the caption of its message box.
#pragma once

namespace tavex {

inline constexpr char kHelpText[] =
    "fdata\t Sets the function and its (optional) parameters a b c d e\n\n"
    "\t Use * for multiplication / for division ** for powers. |x| = fabs(x),\n\n"
    "\t sin(x), cos(x), tan(x), exp(x), sinh(x), cosh(x), tanh(x), atan(x), etc.\n\n"
    "\t [x1, x2] is the integration interval and n is number of steps.\n\n"
    "\t To update (accept) revised data, press button [u] in data box.\n\n\n"
    "gdata\t Sets the graph parameters.\n\n"
    "\t t1 and tt1 are large and small tick parameters for x.\n\n"
    "\t n here is the number of points on the graph of the function.\n\n\n"
    "Plot\t Plots f(x) and computes upper sum (SumU), lower sum (SumL), midpoint (SumM)\n\n"
    "\t trapezoidal (SumT), Simpson (SumS) [n even], and an accurate value (Exact).\n\n"
    "\t If n < 2 in fdata, only the graph of f(x) is plotted: by using the mouse\n\n"
    "\t we can find max min zeros and values of f(x) f'(x) f\"(x).\n\n\n"
    "Windows\t One can open all three windows, size them, and move them around.\n\n"
    "\t The plot of f(x) is started by a mouse click over the plot window.\n\n\n"
    "Tavex v(2.3)   February 2000";

inline constexpr char kHelpCaption[] = "Tavex  Version (2.3)";

}  // namespace tavex
