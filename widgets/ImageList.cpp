#include "ImageList.h"
