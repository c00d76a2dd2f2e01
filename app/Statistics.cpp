#include "Statistics.h"
