// SPDX-License-Identifier: GPL-3.0-or-later
// The teaching tools of "&Plot" around the live plot window: n at a
// keystroke, fitting the graph window to the lesson, and the picture and the
// readouts saved or copied out of the program. Their rules are in
// session/plot_tools.h; these are the desktop's commands and dialogs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "plot/plot.h"
#include "session/plot_tools.h"

namespace tavex {

class ChildWindow;

// What a key (Qt::Key) does to n in the live plot window: 1 doubles ("+",
// "=" and PageUp), -1 halves ("-" and PageDown), 0 nothing.
int stepsKeyDirection(int key);

// Once no pass runs: doubles (direction 1) or halves (-1) the function data's
// n through acceptLine, as if typed, shows the new row in an open fdata box
// and draws window, if it is still the live plot window. Its status line then
// starts with "n = <new n>".
void changeSteps(ChildWindow& window, int direction);

// The commands of "&Plot" after "&Print" but "&Convergence"; each returns 0.
int fitGraphCommand();
int savePictureCommand();
int copyPictureCommand();
int copyReadoutsCommand();

// Where "Save &Picture..." asks for the file and the size; tests answer from
// a script. Nothing (an empty optional) when the user cancels.
struct PictureRequest {
  std::string path;  // UTF-8
  int width = 0;
  int height = 0;
};
class PictureFileDialog {
 public:
  virtual ~PictureFileDialog() = default;
  virtual std::optional<PictureRequest> choosePictureFile(const std::string& suggestedPath,
                                                          int width, int height) = 0;
};
// The dialog "Save &Picture..." asks through; null: the standard file dialog.
extern PictureFileDialog* pictureFileDialog;

// Largest width and height of a saved picture, in pixels.
inline constexpr int kMaxPictureSide = 10000;

// Draws one screen pass in context into the file at path (PNG, SVG or PDF)
// through renderPlotToFile, which replaces a file only with a whole picture:
// a failed or cancelled save leaves a file already there as it was. False
// with a reason in error (empty when the pass was cancelled).
bool savePictureFile(const PlotContext& context, const std::string& path, int width, int height,
                     PassResult& pass, std::string& error);

}  // namespace tavex
