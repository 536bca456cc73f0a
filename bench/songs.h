#pragma once
// Songs the table and the soak play, composed in code or read from Songs/.

#include "support/synthsong.h"
