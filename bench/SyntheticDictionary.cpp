#include "bench/SyntheticDictionary.h"
