#include "fx/effect.h"
