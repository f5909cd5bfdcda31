// Sine and cosine of whole multiples of 3.75 degrees, read from a fixed table so
// that every curve the generator makes comes out the same with any compiler and
// maths library.
#pragma once

// Steps in a full turn: one step is 3.75 degrees, 48 steps make a half circle.
constexpr int TURN_STEPS = 96;

double sineOfStep(int step);
double cosineOfStep(int step);
