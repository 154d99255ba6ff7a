// The numbers behind the eyes: where the two eyes lie in a control of a given size,
// how big the pupils are, and where a pupil looks for a pointer anywhere on the
// screen.
#pragma once

#include "core/status/GaugeArithmetic.h"

namespace kex {

struct EyesLayout {
    int PupilRadius = 1;
    int Margin = 1;
    GaugeRect Eye[2];    // the left and the right eye's ellipse bounds
    int CentreX[2] = {}; // horizontal centres in client coordinates
    double CentreY = 0;
    double Rx = 0, Ry = 0; // semi-axes of the ellipse within which a pupil's centre moves
};
EyesLayout EyesGeometry(int width, int height);

// The eyes are never taller than wide.
inline int EyesHeightFor(int width, int height) { return height > width ? width : height; }

// The centre of eye `eye`'s pupil (0 left, 1 right), in screen coordinates, for a
// control whose client origin lies at `origin` on the screen: the pointer itself when
// it lies within the movement ellipse, else the point of the ellipse in its direction.
// A control too small for the pupils to move keeps them at the centres.
GaugePoint PupilPosition(const EyesLayout& g, int eye, GaugePoint origin, GaugePoint pointer);

} // namespace kex
