// The robot model: a boxy figure about 1.4 units tall whose feet stand on
// y = -1 and whose face looks along +z.
#pragma once

#include "mesh.h"

Model makeRobot();
