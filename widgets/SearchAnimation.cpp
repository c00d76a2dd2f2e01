#include "SearchAnimation.h"
